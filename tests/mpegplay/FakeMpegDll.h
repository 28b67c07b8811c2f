#pragma once
// The control block of the scriptable fake decoder library. The fake exports
// the 21 entries of libmpegdll.so plus FakeMpegDll_State, which hands the test
// this block: the log of every entry call and the results to give.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "mpegdll.h"

struct FakeMpegDllState {
  // One line per entry call, e.g. "Play(0,0)", "Pause(1)", "SetOutputDevice(2,out.wav)".
  std::vector<std::string> calls;

  // What "LastError" reports after a call of the named entry (0 when absent).
  std::map<std::string, int32_t> errorAfter;
  int32_t lastError = 0;

  bool initResult = true;
  int32_t playResult = 0;
  int32_t playerMode = 0;
  int32_t currentPos = -1;
  int32_t length = 0;
  bool resetResult = true;

  // What the last "Open" and "Play" were given.
  std::string openName;
  bool openNameNull = false;
  int32_t openSource = -1;
  MpegOpenStreamCb openCb = nullptr;
  MpegCloseStreamCb closeCb = nullptr;
  MpegRestartStreamCb restartCb = nullptr;
  MpegReadStreamCb readCb = nullptr;
  MpegSeekStreamCb seekCb = nullptr;
  MpegGetStreamSizeCb getSizeCb = nullptr;
  void* user = nullptr;
  uint8_t* endFlag = nullptr;

  void Reset() { *this = FakeMpegDllState{}; }
  // Plays the end of playback the way the library's thread does it.
  void SetEnded() const { __atomic_store_n(endFlag, uint8_t{1}, __ATOMIC_SEQ_CST); }
};

extern "C" FakeMpegDllState* FakeMpegDll_State();
