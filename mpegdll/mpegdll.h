#ifndef VANTREL_MPEGDLL_H
#define VANTREL_MPEGDLL_H
/* The decoder library's exported entries, as the player binds them by name.
 * C linkage; every integer is 32-bit signed; a Boolean is one byte (0 false,
 * non-zero true). The library is loaded at run time; nothing links it. */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint8_t MpegBool;

/* Stream source callbacks: the user pointer given to "Open" comes first. */
typedef void (*MpegOpenStreamCb)(void* user, MpegBool* nonseekable, void** context);
typedef void (*MpegCloseStreamCb)(void* user, void* context);
typedef void (*MpegRestartStreamCb)(void* user, void* context, MpegBool* res);
typedef void (*MpegReadStreamCb)(void* user, void* context, void* buffer, int32_t bytesToRead,
                                 int32_t* bytesRead, MpegBool* res);
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

/* "GetPlayerMode" while playing. The end flag of "Play" is set with an atomic
 * store from the playing thread. */
#define MPEGDLL_MODE_PLAYING 3

MpegBool init(void);
void deinit(void);
void Open(const char* name, int32_t sourceFlag, MpegOpenStreamCb open, MpegCloseStreamCb close,
          MpegRestartStreamCb restart, MpegReadStreamCb read, MpegSeekStreamCb seek,
          MpegGetStreamSizeCb getSize, void* user);
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
