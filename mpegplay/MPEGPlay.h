#pragma once
// TMPEGPlayer: the MPEG audio player component. It loads the decoder library
// (libmpegdll.so) at run time, keeps the state of one open stream (open,
// playing, paused, ended) and turns every failure into a TMPEGError.
//
// Life of a player:
//   LoadDLL            loads the library, calls "init", creates the timer
//   Open / Play        opens StreamName (or the stream events) and starts it
//   Pause / Stop / Play / Restart while open
//   Close              back to "loaded, no stream"
//   UnloadDLL          closes what is open, "deinit", unloads
//
// Threads: every operation, setter, the position timer and the events
// OnPosUpdate and OnPlayEnd run on the user-interface thread. The library
// plays on a thread of its own; its only contact with the player there is the
// one-byte end flag, and for FromStream the six stream events, which are
// called on the library's thread at once and must be safe to run there.
//
// Events receive the player itself as sender (TMPEGPlayer*).

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "MPEGError.h"

class TTicker;
class TMpegLibrary;

enum class TPlayPriority : uint8_t { Idle, Lowest, BelowNormal, Normal, AboveNormal, Highest, TimeCritical };
enum class TOutputDevice : uint8_t { wavemapper, pcmfile };

class TMPEGPlayer;

// Stream events. A by-reference parameter is the library's own variable: a
// handler that leaves it alone gives the library what it held before.
using TOpenStreamEvent = std::function<void(bool& Nonseekable, void*& Context)>;
using TCloseStreamEvent = std::function<void(void* Context)>;
using TRestartStreamEvent = std::function<void(void* Context, bool& res)>;
// read_buffer: the library's buffer of at least nNumberOfBytesToRead bytes.
using TReadStreamEvent = std::function<void(void* Context, void* read_buffer, int32_t nNumberOfBytesToRead,
                                            int32_t& nNumberOfBytesRead, bool& res)>;
using TSeekStreamEvent = std::function<void(void* Context, int32_t numbytes, int32_t MoveMethod, int32_t& res)>;
using TGetStreamSizeEvent = std::function<void(void* Context, int32_t& res)>;
// Position report; no sender.
using TPosUpdateEvent = std::function<void(int32_t Pos, int32_t Len)>;
using TNotifyEvent = std::function<void(TMPEGPlayer* Sender)>;
// Runs one timer tick; must not let an exception escape (the application
// passes its guarded handler runner, which shows the error).
using TTimerGuard = std::function<void(const std::function<void()>& tick)>;

class TMPEGPlayer {
 public:
  TMPEGPlayer();
  // Unloads the library when the owner has not (see UnloadDLL): the library
  // keeps the address of the end flag and the player as stream user pointer.
  virtual ~TMPEGPlayer();
  TMPEGPlayer(const TMPEGPlayer&) = delete;
  TMPEGPlayer& operator=(const TMPEGPlayer&) = delete;

  // GetPlayerMode while a stream plays.
  static constexpr int32_t kModePlaying = 3;

  // ---- Published properties, in the order a form description applies them.
  bool Seekable() const { return seekable_; }  // stored only
  void SetSeekable(bool v) { seekable_ = v; }
  bool FromStream() const { return fromStream_; }
  void SetFromStream(bool v) { fromStream_ = v; }
  TPlayPriority PlayerPriority() const;
  // When loaded, also passes the priority to the library at once.
  void SetPlayerPriority(TPlayPriority v);
  // Applied to the timer by LoadDLL only.
  bool UseTimer() const { return useTimer_; }
  void SetUseTimer(bool v) { useTimer_ = v; }
  // Milliseconds. 0 also clears UseTimer. Applied to the timer by LoadDLL only.
  int32_t TimerFreq() const { return timerFreq_; }
  void SetTimerFreq(int32_t v);
  bool AutoPlay() const { return autoPlay_; }
  void SetAutoPlay(bool v) { autoPlay_ = v; }
  // Assigning closes an open stream.
  const std::string& StreamName() const { return streamName_; }
  void SetStreamName(const std::string& v);
  TOutputDevice OutputDevice() const;
  void SetOutputDevice(TOutputDevice v);
  int32_t WaveDeviceNum() const { return waveDeviceNum_; }
  void SetWaveDeviceNum(int32_t v) { waveDeviceNum_ = v; }
  // The file the pcmfile device writes.
  const std::string& OutFilename() const { return outFilename_; }
  void SetOutFilename(const std::string& v) { outFilename_ = v; }
  // Folder of libmpegdll.so; empty: the system's library search.
  const std::string& PathToDLL() const { return pathToDLL_; }
  void SetPathToDLL(const std::string& v) { pathToDLL_ = v; }
  // Start and end position of the first start after Open (library units;
  // both 0 play the whole stream).
  int32_t StartPos() const { return startPos_; }
  void SetStartPos(int32_t v) { startPos_ = v; }
  int32_t EndPos() const { return endPos_; }
  void SetEndPos(int32_t v) { endPos_ = v; }
  // 0 with no stream, 1 after Open, then one more at every start.
  int32_t PlayedXTimes() const { return playedXTimes_; }

  TOpenStreamEvent OnOpenStream;
  TCloseStreamEvent OnCloseStream;
  TRestartStreamEvent OnRestartStream;
  TGetStreamSizeEvent OnGetStreamSize;
  TSeekStreamEvent OnSeekStream;
  TReadStreamEvent OnReadStream;
  TPosUpdateEvent OnPosUpdate;
  TNotifyEvent OnPlayEnd;

  // Length of the stream read at Open; 0 after LoadDLL.
  int32_t StreamLength() const { return streamLength_; }

  // ---- Operations. Each raises TMPEGError on failure; what was changed before
  // the failing step stays changed.
  void LoadDLL();
  void UnloadDLL();
  void Open();
  // Resumes when paused; nothing while playing; otherwise opens when needed
  // and starts (the first time after Open) or restarts.
  void Play();
  void Pause(bool Value);
  void Stop();
  void Restart();
  void Close();
  // The library's mode; kModePlaying while a stream plays.
  int32_t GetPlayerMode();
  int32_t GetCurrentPos();  // -1 until playback has a position
  int32_t GetLength();
  // True once an ended playback has been reset; False at once while the end
  // flag is clear.
  bool ResetPlayerMode();

  // Handler of the position timer; also called by Play/Restart at a start.
  virtual void TimerTick(void* Sender);

  // How the timer runs a tick. Without a guard a tick's exception is written
  // to standard error and dropped, so none crosses the toolkit's event loop.
  void SetTimerGuard(TTimerGuard guard) { timerGuard_ = std::move(guard); }

  // ---- Read-only views of the private state, for the owner and tests.
  bool Loaded() const;
  bool Opened() const { return opened_; }
  bool Playing() const { return playing_; }
  bool Paused() const { return paused_; }
  bool PlayEnded() const { return playEnded_.load() != 0; }
  int32_t LastErrorCode() const { return lastErrorCode_; }
  // Null before LoadDLL.
  const TTicker* PositionTimer() const { return positionTimer_.get(); }

 private:
  void CheckLoaded() const;
  void CheckError();
  int32_t QueryLastError();
  void SetSoundDevice(int32_t Num);
  void StartTimer();
  void RunTick();

  bool seekable_ = false;
  bool fromStream_ = false;
  bool useTimer_ = false;
  int32_t timerFreq_ = 0;
  bool autoPlay_ = false;
  std::string streamName_;
  int32_t waveDeviceNum_ = 0;
  std::string outFilename_;
  std::string pathToDLL_;
  int32_t startPos_ = 0;
  int32_t endPos_ = 0;
  int32_t playedXTimes_ = 0;
  int32_t streamLength_ = 0;

  std::unique_ptr<TMpegLibrary> lib_;
  bool opened_ = false;
  bool playing_ = false;
  bool paused_ = false;
  // Set by the library's playing thread, cleared by the player only while no
  // playback runs. The library is handed its address as a uint8_t*.
  std::atomic<uint8_t> playEnded_{0};
  int32_t priorityValue_ = 0;
  int32_t deviceCode_ = 0;
  int32_t lastErrorCode_ = 0;
  std::unique_ptr<TTicker> positionTimer_;
  TTimerGuard timerGuard_;
};
