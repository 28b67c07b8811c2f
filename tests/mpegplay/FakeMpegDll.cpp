// A decoder library for tests: every entry logs its call and answers what the
// control block says. Built once complete and once without "Seek".
#include "FakeMpegDll.h"

#include <string>

namespace {

FakeMpegDllState g_state;

void Log(const char* entry, const std::string& args = "") {
  g_state.calls.push_back(std::string(entry) + "(" + args + ")");
  const auto it = g_state.errorAfter.find(entry);
  g_state.lastError = it == g_state.errorAfter.end() ? 0 : it->second;
}

std::string Str(int32_t v) { return std::to_string(v); }

}  // namespace

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

FAKE_EXPORT FakeMpegDllState* FakeMpegDll_State() { return &g_state; }

FAKE_EXPORT MpegBool init(void) {
  Log("init");
  return g_state.initResult ? 1 : 0;
}
FAKE_EXPORT void deinit(void) { Log("deinit"); }
FAKE_EXPORT void Open(const char* name, int32_t sourceFlag, MpegOpenStreamCb open, MpegCloseStreamCb close,
                      MpegRestartStreamCb restart, MpegReadStreamCb read, MpegSeekStreamCb seek,
                      MpegGetStreamSizeCb getSize, void* user) {
  g_state.openNameNull = name == nullptr;
  g_state.openName = name ? name : "";
  g_state.openSource = sourceFlag;
  g_state.openCb = open;
  g_state.closeCb = close;
  g_state.restartCb = restart;
  g_state.readCb = read;
  g_state.seekCb = seek;
  g_state.getSizeCb = getSize;
  g_state.user = user;
  const int callbacks = (open != nullptr) + (close != nullptr) + (restart != nullptr) + (read != nullptr) +
                        (seek != nullptr) + (getSize != nullptr);
  Log("Open", Str(sourceFlag) + "," + Str(callbacks) + "," + (user ? "user" : "null"));
}
FAKE_EXPORT void Pause(int32_t flag) { Log("Pause", Str(flag & 0xFF)); }
FAKE_EXPORT void Restart(void) { Log("Restart"); }
FAKE_EXPORT void Stop(void) { Log("Stop"); }
FAKE_EXPORT void SetPriority(int32_t priority) { Log("SetPriority", Str(priority)); }
FAKE_EXPORT void SetOutputDevice(int32_t device, const char* fileName) {
  Log("SetOutputDevice", Str(device) + "," + (fileName ? fileName : "<null>"));
}
FAKE_EXPORT int32_t Play(int32_t startPos, int32_t endPos, uint8_t* endFlag) {
  g_state.endFlag = endFlag;
  Log("Play", Str(startPos) + "," + Str(endPos));
  return g_state.playResult;
}
FAKE_EXPORT void Close(void) { Log("Close"); }
FAKE_EXPORT int32_t GetPlayerMode(void) {
  Log("GetPlayerMode");
  return g_state.playerMode;
}
FAKE_EXPORT int32_t GetCurrentPos(void) {
  Log("GetCurrentPos");
  return g_state.currentPos;
}
FAKE_EXPORT int32_t GetLength(void) {
  Log("GetLength");
  return g_state.length;
}
FAKE_EXPORT MpegBool ResetPlayerMode(void) {
  Log("ResetPlayerMode");
  return g_state.resetResult ? 1 : 0;
}
FAKE_EXPORT void SetSndDevice(int32_t device) { Log("SetSndDevice", Str(device)); }
FAKE_EXPORT int32_t LastError(void) {
  g_state.calls.push_back("LastError()");
  return g_state.lastError;
}
FAKE_EXPORT int32_t GetFrequency(void) {
  Log("GetFrequency");
  return 0;
}
FAKE_EXPORT int32_t GetBitrate(void) {
  Log("GetBitrate");
  return 0;
}
FAKE_EXPORT int32_t GetStereoMode(void) {
  Log("GetStereoMode");
  return 0;
}
FAKE_EXPORT int32_t GetLayer(void) {
  Log("GetLayer");
  return 0;
}
#ifndef FAKE_WITHOUT_SEEK
FAKE_EXPORT void Seek(int32_t position) { Log("Seek", Str(position)); }
#endif
