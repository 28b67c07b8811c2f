#pragma once
// The media control interface's names on Windows: the system's own command
// numbers, flags, error codes and parameter blocks from <mmsystem.h>, and the
// two blocks with text as the player fills them. The player's text is UTF-8,
// so it fills the blocks of the single-byte layout, and the system service
// (MciSystem_win.cpp) widens their text for the system's wide entry point.
// The Linux service declares the same names in mci/MciNames.h.

// <mmsystem.h> needs <windows.h> before it.
// clang-format off
#include "Win32_win.h"
#include <mmsystem.h>
// clang-format on

using TMciOpenParms = MCI_OPEN_PARMSA;
using TMciWindowParms = MCI_ANIM_WINDOW_PARMSA;
