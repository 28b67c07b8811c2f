#pragma once
// TMpegLibrary: the decoder library loaded at run time. It loads the file,
// resolves all 21 entries up front and is the only code that touches the raw
// entry addresses; the player, and the decoder's own tests and benchmark,
// call its methods. It raises nothing: load
// failures come back as a result, and the player turns them into errors.
//
// REQUIRES for every entry method: Loaded().

#include <cstdint>
#include <string>

#include "Platform.h"
#include "mpegdll.h"

class TMpegLibrary {
 public:
  // The library's file name, wherever it lies.
  static constexpr const char* kFileName = kDecoderLibraryFile;

  // The file name of the library in a folder: PathToDLL, then the delimiter
  // unless it is empty or already ends in one or in ":", then kFileName
  // ("libmpegdll.so" on Linux, "mpegdll.dll" on Windows). An empty folder
  // gives the bare name, left to the system's library search.
  static std::string FilePath(const std::string& pathToDLL);

  enum class TLoadResult { Loaded, CannotLoad, EntryMissing };

  TLoadResult Load(const std::string& filePath);
  // Unmaps the library and forgets every entry; nothing when not loaded.
  // Calls no entry ("deinit" is the caller's business).
  void Unload();
  bool Loaded() const { return handle_ != nullptr; }

  TMpegLibrary() = default;
  ~TMpegLibrary() { Unload(); }
  TMpegLibrary(const TMpegLibrary&) = delete;
  TMpegLibrary& operator=(const TMpegLibrary&) = delete;

  bool init();
  void deinit();
  // `name` is read only during the call.
  void Open(const char* name, int32_t sourceFlag, MpegOpenStreamCb open, MpegCloseStreamCb close,
            MpegRestartStreamCb restart, MpegReadStreamCb read, MpegSeekStreamCb seek, MpegGetStreamSizeCb getSize,
            void* user);
  void Pause(int32_t flag);
  void Restart();
  void Stop();
  void SetPriority(int32_t priority);
  // `fileName` is read only during the call.
  void SetOutputDevice(int32_t device, const char* fileName);
  // The library keeps `endFlag` while the stream is open and sets it from its
  // playing thread.
  int32_t Play(int32_t startPos, int32_t endPos, uint8_t* endFlag);
  void Close();
  int32_t GetPlayerMode();
  int32_t GetCurrentPos();
  int32_t GetLength();
  int32_t GetFrequency();
  int32_t GetBitrate();
  int32_t GetStereoMode();
  int32_t GetLayer();
  void Seek(int32_t position);
  bool ResetPlayerMode();
  void SetSndDevice(int32_t device);
  // 0 when the library is not loaded.
  int32_t LastError();

 private:
  struct TEntries {
    decltype(&::init) init = nullptr;
    decltype(&::deinit) deinit = nullptr;
    decltype(&::Open) Open = nullptr;
    decltype(&::Pause) Pause = nullptr;
    decltype(&::Restart) Restart = nullptr;
    decltype(&::Stop) Stop = nullptr;
    decltype(&::SetPriority) SetPriority = nullptr;
    decltype(&::SetOutputDevice) SetOutputDevice = nullptr;
    decltype(&::Play) Play = nullptr;
    decltype(&::Close) Close = nullptr;
    decltype(&::GetFrequency) GetFrequency = nullptr;
    decltype(&::GetBitrate) GetBitrate = nullptr;
    decltype(&::GetStereoMode) GetStereoMode = nullptr;
    decltype(&::GetLayer) GetLayer = nullptr;
    decltype(&::GetPlayerMode) GetPlayerMode = nullptr;
    decltype(&::GetCurrentPos) GetCurrentPos = nullptr;
    decltype(&::GetLength) GetLength = nullptr;
    decltype(&::ResetPlayerMode) ResetPlayerMode = nullptr;
    decltype(&::Seek) Seek = nullptr;
    decltype(&::SetSndDevice) SetSndDevice = nullptr;
    decltype(&::LastError) LastError = nullptr;
  };

  void* handle_ = nullptr;
  TEntries entries_;
};
