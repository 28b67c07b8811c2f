#pragma once
// The media control service as the players call it: one interface in front of
// the system's service, so the player's rules are written once and tests put a
// recording service in its place. No toolkit type and no system header here:
// the names (command numbers, flags, parameter blocks, error codes) come from
// the MciNames.h of the build's system, mci/MciNames.h on Linux (our own
// service), controls/win32/MciNames.h on Windows (the system's <mmsystem.h>).

#include <cstdint>

#include "MciNames.h"

class IMciService {
 public:
  virtual ~IMciService() = default;
  // `params` points at the parameter block the message takes (may be null for
  // commands whose flags need none; MCIERR_NULL_PARAMETER_BLOCK otherwise).
  // Blocks that carry text (TMciOpenParms, TMciWindowParms) carry it in UTF-8.
  // A block's dwCallback names where a completion report for MCI_NOTIFY goes:
  // the player's window, as the system's notification target.
  virtual MCIERROR SendCommand(MCIDEVICEID device, uint32_t message, uintptr_t flags, void* params) = 0;
  // Copies the text of `error` into `buffer` (UTF-8, NUL-terminated, cut to
  // fit `length` bytes). Returns false, with an empty buffer, when the code
  // has no text.
  virtual bool GetErrorString(MCIERROR error, char* buffer, uint32_t length) = 0;
};

// The system's service; a process-wide singleton.
IMciService& DefaultMciService();
