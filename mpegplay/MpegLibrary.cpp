#include "MpegLibrary.h"

#include "DynamicLibrary.h"
#include "PathUtils.h"

namespace {

template <typename F>
bool Resolve(void* handle, const char* name, F& entry) {
  entry = reinterpret_cast<F>(DynamicLibrarySymbol(handle, name));
  return entry != nullptr;
}

}  // namespace

std::string TMpegLibrary::FilePath(const std::string& pathToDLL) {
  std::string path = pathToDLL;
  if (!path.empty() && !IsPathDelimiter(path.back()) && path.back() != ':') path += PathDelim;
  return path + kFileName;
}

TMpegLibrary::TLoadResult TMpegLibrary::Load(const std::string& filePath) {
  Unload();
  void* handle = LoadDynamicLibrary(filePath);
  if (!handle) return TLoadResult::CannotLoad;
  TEntries e;
  // Looked up in this order; the first missing one ends the binding.
  const bool complete =
      Resolve(handle, "init", e.init) && Resolve(handle, "deinit", e.deinit) && Resolve(handle, "Open", e.Open) &&
      Resolve(handle, "Pause", e.Pause) && Resolve(handle, "Restart", e.Restart) && Resolve(handle, "Stop", e.Stop) &&
      Resolve(handle, "SetPriority", e.SetPriority) && Resolve(handle, "SetOutputDevice", e.SetOutputDevice) &&
      Resolve(handle, "Play", e.Play) && Resolve(handle, "Close", e.Close) &&
      Resolve(handle, "GetFrequency", e.GetFrequency) && Resolve(handle, "GetBitrate", e.GetBitrate) &&
      Resolve(handle, "GetStereoMode", e.GetStereoMode) && Resolve(handle, "GetLayer", e.GetLayer) &&
      Resolve(handle, "GetPlayerMode", e.GetPlayerMode) && Resolve(handle, "GetCurrentPos", e.GetCurrentPos) &&
      Resolve(handle, "GetLength", e.GetLength) && Resolve(handle, "ResetPlayerMode", e.ResetPlayerMode) &&
      Resolve(handle, "Seek", e.Seek) && Resolve(handle, "SetSndDevice", e.SetSndDevice) &&
      Resolve(handle, "LastError", e.LastError);
  if (!complete) {
    UnloadDynamicLibrary(handle);
    return TLoadResult::EntryMissing;
  }
  handle_ = handle;
  entries_ = e;
  return TLoadResult::Loaded;
}

void TMpegLibrary::Unload() {
  if (!handle_) return;
  UnloadDynamicLibrary(handle_);
  handle_ = nullptr;
  entries_ = TEntries{};
}

bool TMpegLibrary::init() { return entries_.init() != 0; }
void TMpegLibrary::deinit() { entries_.deinit(); }

void TMpegLibrary::Open(const char* name, int32_t sourceFlag, MpegOpenStreamCb open, MpegCloseStreamCb close,
                        MpegRestartStreamCb restart, MpegReadStreamCb read, MpegSeekStreamCb seek,
                        MpegGetStreamSizeCb getSize, void* user) {
  entries_.Open(name, sourceFlag, open, close, restart, read, seek, getSize, user);
}

void TMpegLibrary::Pause(int32_t flag) { entries_.Pause(flag); }
void TMpegLibrary::Restart() { entries_.Restart(); }
void TMpegLibrary::Stop() { entries_.Stop(); }
void TMpegLibrary::SetPriority(int32_t priority) { entries_.SetPriority(priority); }
void TMpegLibrary::SetOutputDevice(int32_t device, const char* fileName) { entries_.SetOutputDevice(device, fileName); }
int32_t TMpegLibrary::Play(int32_t startPos, int32_t endPos, uint8_t* endFlag) {
  return entries_.Play(startPos, endPos, endFlag);
}
void TMpegLibrary::Close() { entries_.Close(); }
int32_t TMpegLibrary::GetPlayerMode() { return entries_.GetPlayerMode(); }
int32_t TMpegLibrary::GetCurrentPos() { return entries_.GetCurrentPos(); }
int32_t TMpegLibrary::GetLength() { return entries_.GetLength(); }
int32_t TMpegLibrary::GetFrequency() { return entries_.GetFrequency(); }
int32_t TMpegLibrary::GetBitrate() { return entries_.GetBitrate(); }
int32_t TMpegLibrary::GetStereoMode() { return entries_.GetStereoMode(); }
int32_t TMpegLibrary::GetLayer() { return entries_.GetLayer(); }
void TMpegLibrary::Seek(int32_t position) { entries_.Seek(position); }
bool TMpegLibrary::ResetPlayerMode() { return entries_.ResetPlayerMode() != 0; }
void TMpegLibrary::SetSndDevice(int32_t device) { entries_.SetSndDevice(device); }
int32_t TMpegLibrary::LastError() { return entries_.LastError ? entries_.LastError() : 0; }
