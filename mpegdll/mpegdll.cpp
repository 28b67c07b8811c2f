// The exported entries: thin C wrappers over the one Engine. No exception
// leaves the library; an unexpected one (out of memory, no thread) becomes
// the decoder error code.

#pragma GCC visibility push(default)
#include "mpegdll.h"
#pragma GCC visibility pop

#include <new>

#include "Engine.h"

namespace {

Engine* g_engine = nullptr;

template <typename R, typename F>
R Guarded(R fallback, F&& body) {
  Engine* engine = g_engine;
  if (!engine) return fallback;
  try {
    engine->BeginCall();
    return body(*engine);
  } catch (...) {
    engine->Fail(MPEGDLL_ERR_DECODER);
    return fallback;
  }
}

template <typename F>
void GuardedVoid(F&& body) {
  Guarded(0, [&](Engine& e) {
    body(e);
    return 0;
  });
}

}  // namespace

MpegBool init(void) {
  if (g_engine) return 1;
  g_engine = new (std::nothrow) Engine();
  return g_engine ? 1 : 0;
}

void deinit(void) {
  delete g_engine;
  g_engine = nullptr;
}

void Open(const char* name, int32_t sourceFlag, MpegOpenStreamCb open, MpegCloseStreamCb close,
          MpegRestartStreamCb restart, MpegReadStreamCb read, MpegSeekStreamCb seek, MpegGetStreamSizeCb getSize,
          void* user) {
  GuardedVoid([&](Engine& e) {
    StreamCallbacks callbacks;
    callbacks.open = open;
    callbacks.close = close;
    callbacks.restart = restart;
    callbacks.read = read;
    callbacks.seek = seek;
    callbacks.getSize = getSize;
    callbacks.user = user;
    e.Open(name, sourceFlag, callbacks);
  });
}

void Pause(int32_t flag) {
  GuardedVoid([&](Engine& e) { e.Pause(flag); });
}

void Restart(void) {
  GuardedVoid([](Engine& e) { e.Restart(); });
}

void Stop(void) {
  GuardedVoid([](Engine& e) { e.Stop(); });
}

void SetPriority(int32_t priority) {
  GuardedVoid([&](Engine& e) { e.SetPriority(priority); });
}

void SetOutputDevice(int32_t device, const char* fileName) {
  GuardedVoid([&](Engine& e) { e.SetOutputDevice(device, fileName); });
}

int32_t Play(int32_t startPos, int32_t endPos, uint8_t* endFlag) {
  return Guarded(int32_t{1}, [&](Engine& e) { return e.Play(startPos, endPos, endFlag); });
}

void Close(void) {
  GuardedVoid([](Engine& e) { e.Close(); });
}

int32_t GetPlayerMode(void) {
  return Guarded(int32_t{MPEGDLL_MODE_CLOSED}, [](Engine& e) { return e.PlayerMode(); });
}

int32_t GetCurrentPos(void) {
  return Guarded(int32_t{-1}, [](Engine& e) { return e.CurrentPos(); });
}

int32_t GetLength(void) {
  return Guarded(int32_t{0}, [](Engine& e) { return e.Length(); });
}

MpegBool ResetPlayerMode(void) {
  return Guarded(MpegBool{1}, [](Engine& e) { return static_cast<MpegBool>(e.ResetPlayerMode() ? 1 : 0); });
}

void SetSndDevice(int32_t device) {
  GuardedVoid([&](Engine& e) { e.SetSndDevice(device); });
}

int32_t LastError(void) { return g_engine ? g_engine->LastError() : MPEGDLL_ERR_MODE; }

int32_t GetFrequency(void) {
  return Guarded(int32_t{0}, [](Engine& e) { return e.Frequency(); });
}

int32_t GetBitrate(void) {
  return Guarded(int32_t{0}, [](Engine& e) { return e.Bitrate(); });
}

int32_t GetStereoMode(void) {
  return Guarded(int32_t{0}, [](Engine& e) { return e.StereoMode(); });
}

int32_t GetLayer(void) {
  return Guarded(int32_t{0}, [](Engine& e) { return e.Layer(); });
}

void Seek(int32_t position) {
  GuardedVoid([&](Engine& e) { e.Seek(position); });
}
