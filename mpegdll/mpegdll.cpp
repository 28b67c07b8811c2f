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
R guarded(R fallback, F&& body) {
  Engine* engine = g_engine;
  if (!engine) return fallback;
  try {
    engine->beginCall();
    return body(*engine);
  } catch (...) {
    engine->fail(MPEGDLL_ERR_DECODER);
    return fallback;
  }
}

template <typename F>
void guardedVoid(F&& body) {
  guarded(0, [&](Engine& e) {
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
  guardedVoid([&](Engine& e) {
    CallbackSource callbacks;
    callbacks.open = open;
    callbacks.close = close;
    callbacks.restart = restart;
    callbacks.read = read;
    callbacks.seek = seek;
    callbacks.getSize = getSize;
    callbacks.user = user;
    e.open(name, sourceFlag, callbacks);
  });
}

void Pause(int32_t flag) {
  guardedVoid([&](Engine& e) { e.pause(flag); });
}

void Restart(void) {
  guardedVoid([](Engine& e) { e.restart(); });
}

void Stop(void) {
  guardedVoid([](Engine& e) { e.stop(); });
}

void SetPriority(int32_t priority) {
  guardedVoid([&](Engine& e) { e.setPriority(priority); });
}

void SetOutputDevice(int32_t device, const char* fileName) {
  guardedVoid([&](Engine& e) { e.setOutputDevice(device, fileName); });
}

int32_t Play(int32_t startPos, int32_t endPos, uint8_t* endFlag) {
  return guarded(int32_t{1}, [&](Engine& e) { return e.play(startPos, endPos, endFlag); });
}

void Close(void) {
  guardedVoid([](Engine& e) { e.close(); });
}

int32_t GetPlayerMode(void) {
  return guarded(int32_t{MPEGDLL_MODE_CLOSED}, [](Engine& e) { return e.playerMode(); });
}

int32_t GetCurrentPos(void) {
  return guarded(int32_t{-1}, [](Engine& e) { return e.currentPos(); });
}

int32_t GetLength(void) {
  return guarded(int32_t{0}, [](Engine& e) { return e.length(); });
}

MpegBool ResetPlayerMode(void) {
  return guarded(MpegBool{1}, [](Engine& e) { return static_cast<MpegBool>(e.resetPlayerMode() ? 1 : 0); });
}

void SetSndDevice(int32_t device) {
  guardedVoid([&](Engine& e) { e.setSndDevice(device); });
}

int32_t LastError(void) { return g_engine ? g_engine->lastError() : MPEGDLL_ERR_MODE; }

int32_t GetFrequency(void) {
  return guarded(int32_t{0}, [](Engine& e) { return e.frequency(); });
}

int32_t GetBitrate(void) {
  return guarded(int32_t{0}, [](Engine& e) { return e.bitrate(); });
}

int32_t GetStereoMode(void) {
  return guarded(int32_t{0}, [](Engine& e) { return e.stereoMode(); });
}

int32_t GetLayer(void) {
  return guarded(int32_t{0}, [](Engine& e) { return e.layer(); });
}

void Seek(int32_t position) {
  guardedVoid([&](Engine& e) { e.seek(position); });
}
