#ifndef VANTREL_MPEGDLL_H
#define VANTREL_MPEGDLL_H
/* The decoder library's exported entries, as the player binds them by name.
 * C linkage; every integer is 32-bit signed; a Boolean is one byte (0 false,
 * non-zero true). The library is loaded at run time; nothing links it.
 *
 * Units: positions and lengths ("Play", "GetCurrentPos", "GetLength", "Seek")
 * are milliseconds of decoded sound from the start of the stream.
 *
 * Life of a handle
 * ----------------
 * The library keeps one state object. "init" creates it, "deinit" destroys it
 * (closing what is open); nothing of it survives "deinit". Every entry but
 * "LastError" first clears the error code; "LastError" then tells how the
 * call went (0, or the codes below). Entries called without "init" do nothing
 * and "LastError" answers 2.
 *
 *   init                          state created
 *   SetPriority / SetOutputDevice / SetSndDevice
 *                                 stored; they apply to the next start
 *   Open(name or callbacks)       opens the input and reads up to the first
 *                                 audio frame, on the caller's thread; the
 *                                 exact length is known from here (a pass
 *                                 over the frames when no encoder tag gives
 *                                 it). A missing, empty or unreadable input,
 *                                 a name that is not a regular file (FIFO,
 *                                 device, folder: never waited on), or one
 *                                 without any MPEG audio frame, fails HERE
 *                                 with 3. Mode 1 (stopped), position -1.
 *   Play(start, end, &flag)       starts a playing thread and waits until its
 *                                 output is open: an output that cannot be
 *                                 opened (no sound server or sound card; a
 *                                 PCM file that cannot be created, is not a
 *                                 regular file, has no write permission bit
 *                                 even for root, or is the input file under
 *                                 any name) returns non-zero at once with 5,
 *                                 nothing is written, and no playback
 *                                 exists. On
 *                                 success the flag is cleared, the position
 *                                 becomes the start position (never -1 again
 *                                 until "Close") and the mode 3 (playing).
 *                                 start = end = 0 plays the whole stream; end
 *                                 0 means "to the end of the stream"; a start
 *                                 past the end plays nothing and ends at once.
 *   Pause(0) / Pause(1)           pause / resume the playing thread (mode 2 /
 *                                 3); the PCM-file device simply stops writing.
 *   (playing thread)              decodes and writes; it ends at the end of
 *                                 the range, at the end of the stream (data
 *                                 after the last frame that holds no frame
 *                                 ends it too), on an error, or when asked
 *                                 by Stop/Restart/Close.
 *                                 As its last act it stores the end flag
 *                                 (atomic, once per playback) after the PCM
 *                                 file is complete and closed; an error of
 *                                 decoding (1), reading (3) or output (5)
 *                                 becomes the code of the next entry called.
 *                                 Mode 4 (ended) after a natural end.
 *   ResetPlayerMode               true once nothing plays (the ended playback
 *                                 is cleaned up, mode 1); false while playing
 *                                 or paused.
 *   Stop                          ends the playback and waits for the thread
 *                                 (the flag is set, mode 1).
 *   Restart                       ends a running playback and plays the same
 *                                 range again with the same end flag.
 *   Close                         ends any playback and closes the input (the
 *                                 close callback is called); mode 0. The end
 *                                 flag's address is not used after "Close".
 *   deinit                        Close, then the state is destroyed.
 *
 * Threads: the entries are meant for one caller thread (they are serialised
 * by a lock all the same); GetCurrentPos, GetPlayerMode and LastError take
 * no lock, so a caller may poll them back to back while the playing thread
 * works. GetPlayerMode and LastError never block; GetCurrentPos sleeps 1 ms
 * when it finds the position unchanged since the previous call while a file
 * decode (device 2) runs, so that such a poll leaves the processor to the
 * decoding. Play, Pause, Stop, Restart, Close and deinit wait for
 * the playing thread where they must (at most the time of one decoded frame,
 * or of one device write). The stream callbacks are called on the caller's
 * thread during "Open" and "Restart" and on the playing thread while playing.
 *
 * Devices ("SetOutputDevice"): 0 plays through the first sound output that
 * opens among PulseAudio, ALSA, OSS and JACK, on the device numbered by
 * "SetSndDevice" (0: the output's default device; n > 0: the n-th device the
 * output lists). 2 decodes as fast as possible into the named file: a WAV
 * with the canonical 44-byte header, 16-bit signed little-endian, two
 * channels (mono doubled) at the stream's own rate, sizes written when the
 * playback ends (also after Stop, so the file is always valid). Sound that
 * would take the data past the format's 4 GiB ends the playback with 5.
 *
 * Priority ("SetPriority"): -15 idle scheduling, -2 / -1 / 0 / 1 / 2 the
 * niceness of the caller's thread +10 / +5 / 0 / -5 / -10, 15 niceness -20;
 * lower values than -2 count as -15, higher than 2 as 15. A raise that the
 * system refuses without privileges leaves the thread at the caller's
 * niceness.
 *
 * Stream callbacks (source flag 1): "open" is called in "Open" and gives the
 * context and whether the stream is non-seekable; "read" follows ReadFile:
 * res false is a read error (3), res true with 0 bytes the end of the stream;
 * "seek" follows SetFilePointer (moveMethod 0 begin, 1 current, 2 end; res
 * the new position or -1); "get size" gives the size in bytes or -1;
 * "restart" rewinds a non-seekable stream (res false: 4); "close" is called
 * once, in "Close". A start position other than 0 on a non-seekable stream
 * gives 4. */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint8_t MpegBool;

/* Stream source callbacks: the user pointer given to "Open" comes first. */
typedef void (*MpegOpenStreamCb)(void* user, MpegBool* nonseekable, void** context);
typedef void (*MpegCloseStreamCb)(void* user, void* context);
typedef void (*MpegRestartStreamCb)(void* user, void* context, MpegBool* res);
typedef void (*MpegReadStreamCb)(void* user, void* context, void* buffer, int32_t bytesToRead, int32_t* bytesRead,
                                 MpegBool* res);
typedef void (*MpegSeekStreamCb)(void* user, void* context, int32_t numbytes, int32_t moveMethod, int32_t* res);
typedef void (*MpegGetStreamSizeCb)(void* user, void* context, int32_t* res);

/* Device codes of "SetOutputDevice". */
#define MPEGDLL_DEVICE_WAVEMAPPER 0
#define MPEGDLL_DEVICE_PCMFILE 2

/* "LastError" codes. */
#define MPEGDLL_ERR_DECODER 1
#define MPEGDLL_ERR_MODE 2
#define MPEGDLL_ERR_INPUT 3
#define MPEGDLL_ERR_NONSEEKABLE 4
#define MPEGDLL_ERR_OUTPUT 5

/* "GetPlayerMode". The end flag of "Play" is set with an atomic store from
 * the playing thread. */
#define MPEGDLL_MODE_CLOSED 0
#define MPEGDLL_MODE_STOPPED 1
#define MPEGDLL_MODE_PAUSED 2
#define MPEGDLL_MODE_PLAYING 3
#define MPEGDLL_MODE_ENDED 4

MpegBool init(void);
void deinit(void);
void Open(const char* name, int32_t sourceFlag, MpegOpenStreamCb open, MpegCloseStreamCb close,
          MpegRestartStreamCb restart, MpegReadStreamCb read, MpegSeekStreamCb seek, MpegGetStreamSizeCb getSize,
          void* user);
void Pause(int32_t flag);
void Restart(void);
void Stop(void);
void SetPriority(int32_t priority);
void SetOutputDevice(int32_t device, const char* fileName);
int32_t Play(int32_t startPos, int32_t endPos, uint8_t* endFlag);
void Close(void);
int32_t GetPlayerMode(void);
int32_t GetCurrentPos(void);
int32_t GetLength(void);
MpegBool ResetPlayerMode(void);
void SetSndDevice(int32_t device);
int32_t LastError(void);
int32_t GetFrequency(void);
int32_t GetBitrate(void);
int32_t GetStereoMode(void);
int32_t GetLayer(void);
void Seek(int32_t position);

#ifdef __cplusplus
}
#endif

#endif
