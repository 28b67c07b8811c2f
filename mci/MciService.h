#pragma once
// The media control service as its clients call it: the entry points, the
// service interface behind them, and the posting of completion reports to
// a callback object (no toolkit type here: the callback is an opaque
// address, which the Linux service posts to as a Qt event, see Mci.h).

#include <cstdint>

#include "MciNames.h"

// The service behind the entry points. Tests of a client substitute their own.
class IMciService {
 public:
  virtual ~IMciService() = default;
  // `params` points at the parameter block the message takes (may be null for
  // commands whose flags need none; MCIERR_NULL_PARAMETER_BLOCK otherwise).
  virtual MCIERROR SendCommand(MCIDEVICEID device, uint32_t message, uintptr_t flags, void* params) = 0;
  // Copies the text of `error` into `buffer` (NUL-terminated, cut to fit
  // `length` bytes). Returns false, with an empty buffer, when the code has
  // no text.
  virtual bool GetErrorString(MCIERROR error, char* buffer, uint32_t length) = 0;
};

// The real service; a process-wide singleton. Devices still open when the
// program ends are closed when the service is destroyed.
IMciService& DefaultMciService();

MCIERROR mciSendCommand(MCIDEVICEID device, uint32_t message, uintptr_t flags, uintptr_t params);
bool mciGetErrorString(MCIERROR error, char* buffer, uint32_t length);

// Posts a completion report (on Linux a TMciNotifyEvent, Mci.h) to the
// object in `callback` (nothing when 0).
// Thread-safe; never delivers inside the call. Fakes of IMciService use it too.
void PostMciNotify(uintptr_t callback, uint32_t code, MCIDEVICEID device);
