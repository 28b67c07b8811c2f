#pragma once
// A media service that records every command the player sends, with its
// flags and the fields of its parameter block, and answers from a script.
// The same on every system: the names are the build's own (MciService.h).

#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "MciService.h"

struct RecordedCommand {
  MCIDEVICEID device = 0;
  uint32_t message = 0;
  uint32_t flags = 0;
  uintptr_t callback = 0;
  // Copied from the block the message takes; unused fields stay empty.
  std::optional<std::string> deviceType;
  std::string element;
  uint32_t item = 0;
  uint32_t track = 0;
  uint32_t from = 0;
  uint32_t to = 0;
  uint32_t frames = 0;
  uint32_t timeFormat = 0;
  uintptr_t window = 0;
};

class RecordingMciService : public IMciService {
 public:
  // Script.
  MCIDEVICEID openId = 7;
  std::map<uint32_t, MCIERROR> failures;    // message -> result
  std::map<uint32_t, uint32_t> status;      // MCI_STATUS item -> return value
  std::map<uint32_t, uint32_t> trackStart;  // track -> position
  std::map<uint32_t, uint32_t> devcaps;     // MCI_GETDEVCAPS item -> return value
  std::map<MCIERROR, std::string> errorTexts;
  decltype(MCI_ANIM_RECT_PARMS::rc) sourceRect{0, 0, 0, 0};
  uint32_t lastErrorBufferLength = 0;

  std::vector<RecordedCommand> log;

  RecordingMciService() {
    status[MCI_STATUS_MODE] = MCI_MODE_STOP;
    status[MCI_STATUS_LENGTH] = 1000;
    status[MCI_STATUS_POSITION] = 0;
    status[MCI_STATUS_TIME_FORMAT] = MCI_FORMAT_MILLISECONDS;
    devcaps[MCI_GETDEVCAPS_CAN_PLAY] = 1;
    devcaps[MCI_GETDEVCAPS_DEVICE_TYPE] = MCI_DEVTYPE_WAVEFORM_AUDIO;
  }

  MCIERROR SendCommand(MCIDEVICEID device, uint32_t message, uintptr_t flags, void* params) override {
    RecordedCommand c;
    c.device = device;
    c.message = message;
    c.flags = static_cast<uint32_t>(flags);
    if (params) c.callback = *static_cast<uintptr_t*>(params);
    const auto failure = failures.find(message);
    const MCIERROR result = failure == failures.end() ? 0 : failure->second;
    switch (message) {
      case MCI_OPEN: {
        auto* p = static_cast<TMciOpenParms*>(params);
        if (p->lpstrDeviceType) c.deviceType = p->lpstrDeviceType;
        if (p->lpstrElementName) c.element = p->lpstrElementName;
        if (result == 0) p->wDeviceID = openId;
        break;
      }
      case MCI_PLAY:
      case MCI_RECORD: {
        auto* p = static_cast<MCI_PLAY_PARMS*>(params);
        c.from = p->dwFrom;
        c.to = p->dwTo;
        break;
      }
      case MCI_SEEK:
        c.to = static_cast<MCI_SEEK_PARMS*>(params)->dwTo;
        break;
      case MCI_STATUS: {
        auto* p = static_cast<MCI_STATUS_PARMS*>(params);
        c.item = p->dwItem;
        c.track = p->dwTrack;
        if (result == 0) p->dwReturn = (flags & MCI_TRACK) ? trackStart[p->dwTrack] : status[p->dwItem];
        break;
      }
      case MCI_GETDEVCAPS: {
        auto* p = static_cast<MCI_GETDEVCAPS_PARMS*>(params);
        c.item = p->dwItem;
        p->dwReturn = devcaps[p->dwItem];
        break;
      }
      case MCI_SET:
        c.timeFormat = static_cast<MCI_SET_PARMS*>(params)->dwTimeFormat;
        break;
      case MCI_STEP:
        c.frames = static_cast<MCI_ANIM_STEP_PARMS*>(params)->dwFrames;
        break;
      case MCI_WINDOW:
        c.window = reinterpret_cast<uintptr_t>(static_cast<TMciWindowParms*>(params)->hWnd);
        break;
      case MCI_WHERE:
        static_cast<MCI_ANIM_RECT_PARMS*>(params)->rc = sourceRect;
        break;
      default:
        break;
    }
    log.push_back(c);
    return result;
  }

  bool GetErrorString(MCIERROR error, char* buffer, uint32_t length) override {
    lastErrorBufferLength = length;
    const auto it = errorTexts.find(error);
    if (it == errorTexts.end()) {
      buffer[0] = '\0';
      return false;
    }
    std::strncpy(buffer, it->second.c_str(), length - 1);
    buffer[length - 1] = '\0';
    return true;
  }

  // The commands with the given message, in order.
  std::vector<RecordedCommand> Sent(uint32_t message) const {
    std::vector<RecordedCommand> out;
    for (const auto& c : log)
      if (c.message == message) out.push_back(c);
    return out;
  }
  // The commands that change the device (everything but the queries).
  std::vector<RecordedCommand> Actions() const {
    std::vector<RecordedCommand> out;
    for (const auto& c : log)
      if (c.message != MCI_STATUS && c.message != MCI_GETDEVCAPS && c.message != MCI_WHERE) out.push_back(c);
    return out;
  }
};
