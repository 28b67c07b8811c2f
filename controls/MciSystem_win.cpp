// The media control service on Windows: the system's MCI (winmm) behind the
// player's service interface, through the system's wide entry points.
//
// The player fills the single-byte layout of the blocks with text and writes
// that text in UTF-8; the open block's names and a display window's caption
// are widened here on the way in, and the new device's id is copied back on
// the way out (the element's name as the system's devices can open it, see
// OpenableName). Every other block the player sends holds no text and goes to
// the system as it is. Commands whose blocks carry text of other kinds (info,
// system info, save, load, escape and the digital-video ones) are not passed
// on: the system would read their single-byte text as wide.
#include <algorithm>
#include <cstring>
#include <string>

#include "MciService.h"
#include "Win32_win.h"

namespace {

// The open flags of the plain open block; the others belong to the longer
// blocks of particular devices, which the player never fills.
constexpr uintptr_t kPlainOpenFlags = MCI_NOTIFY | MCI_WAIT | MCI_OPEN_SHAREABLE | MCI_OPEN_ELEMENT | MCI_OPEN_ALIAS |
                                      MCI_OPEN_ELEMENT_ID | MCI_OPEN_TYPE_ID | MCI_OPEN_TYPE;

// The commands whose blocks hold no text.
bool TakesTextFreeBlock(uint32_t message) {
  switch (message) {
    case MCI_CLOSE:
    case MCI_PLAY:
    case MCI_SEEK:
    case MCI_STOP:
    case MCI_PAUSE:
    case MCI_RESUME:
    case MCI_GETDEVCAPS:
    case MCI_SPIN:
    case MCI_SET:
    case MCI_STEP:
    case MCI_RECORD:
    case MCI_BREAK:
    case MCI_STATUS:
    case MCI_CUE:
    case MCI_REALIZE:
    case MCI_PUT:
    case MCI_WHERE:
    case MCI_FREEZE:
    case MCI_UNFREEZE:
      return true;
    default:
      return false;
  }
}

// A UTF-8 name widened, kept alive for the call.
const wchar_t* Wide(const char* text, std::wstring& store) {
  if (text == nullptr) return nullptr;
  store = Widen(text);
  return store.c_str();
}

// Whether the name has only characters of the system's ANSI code page.
bool FitsAnsiCodePage(const std::wstring& name) {
  BOOL lost = FALSE;
  // A code page that refuses the question (UTF-8 as the ANSI code page) holds
  // every character.
  if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.c_str(), -1, nullptr, 0, nullptr, &lost) == 0) return true;
  return !lost;
}

// The file name the system's devices can open. The wave device opens its
// file through the multimedia file services by the name's ANSI form (wine's
// certainly; Windows documents those services with the ANSI file opening's
// limits), so a name with other characters is not found. The file's short
// name is plain ASCII: it is given instead where the file system keeps one.
std::wstring OpenableName(const std::wstring& name) {
  if (FitsAnsiCodePage(name)) return name;
  const DWORD needed = GetShortPathNameW(name.c_str(), nullptr, 0);
  if (needed == 0) return name;
  std::wstring shortName(needed, L'\0');
  const DWORD length = GetShortPathNameW(name.c_str(), shortName.data(), needed);
  if (length == 0 || length >= needed) return name;
  shortName.resize(length);
  return shortName;
}

class SystemMciService : public IMciService {
 public:
  MCIERROR SendCommand(MCIDEVICEID device, uint32_t message, uintptr_t flags, void* params) override {
    if (message == MCI_OPEN) return Open(device, flags, static_cast<TMciOpenParms*>(params));
    if (message == MCI_WINDOW) return Window(device, flags, static_cast<TMciWindowParms*>(params));
    if (!TakesTextFreeBlock(message)) return MCIERR_UNSUPPORTED_FUNCTION;
    return mciSendCommandW(device, message, flags, reinterpret_cast<DWORD_PTR>(params));
  }

  bool GetErrorString(MCIERROR error, char* buffer, uint32_t length) override {
    if (length == 0) return false;
    buffer[0] = '\0';
    // A UTF-16 unit never takes fewer UTF-8 bytes, so `length` units hold
    // every text that can fit.
    std::wstring wide(length, L'\0');
    if (!mciGetErrorStringW(error, wide.data(), length)) return false;
    const std::string text = Narrow(wide.c_str(), std::wcslen(wide.c_str()));
    size_t n = std::min<size_t>(text.size(), length - 1);
    // Cut between characters, never inside one.
    while (n > 0 && n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return true;
  }

 private:
  static MCIERROR Open(MCIDEVICEID device, uintptr_t flags, TMciOpenParms* params) {
    if (params == nullptr) return mciSendCommandW(device, MCI_OPEN, flags, 0);
    if ((flags & ~kPlainOpenFlags) != 0) return MCIERR_UNSUPPORTED_FUNCTION;
    MCI_OPEN_PARMSW wide{};
    wide.dwCallback = params->dwCallback;
    std::wstring type, element, alias;
    // With the _ID flags the fields hold numbers, not text.
    if (flags & MCI_OPEN_TYPE_ID)
      wide.lpstrDeviceType = reinterpret_cast<LPCWSTR>(params->lpstrDeviceType);
    else if (flags & MCI_OPEN_TYPE)
      wide.lpstrDeviceType = Wide(params->lpstrDeviceType, type);
    if (flags & MCI_OPEN_ELEMENT_ID)
      wide.lpstrElementName = reinterpret_cast<LPCWSTR>(params->lpstrElementName);
    else if ((flags & MCI_OPEN_ELEMENT) && params->lpstrElementName != nullptr) {
      element = OpenableName(Widen(params->lpstrElementName));
      wide.lpstrElementName = element.c_str();
    }
    if (flags & MCI_OPEN_ALIAS) wide.lpstrAlias = Wide(params->lpstrAlias, alias);
    const MCIERROR result = mciSendCommandW(device, MCI_OPEN, flags, reinterpret_cast<DWORD_PTR>(&wide));
    params->wDeviceID = wide.wDeviceID;
    return result;
  }

  static MCIERROR Window(MCIDEVICEID device, uintptr_t flags, TMciWindowParms* params) {
    if (params == nullptr) return mciSendCommandW(device, MCI_WINDOW, flags, 0);
    MCI_ANIM_WINDOW_PARMSW wide{};
    wide.dwCallback = params->dwCallback;
    wide.hWnd = params->hWnd;
    wide.nCmdShow = params->nCmdShow;
    std::wstring text;
    if (flags & MCI_ANIM_WINDOW_TEXT) wide.lpstrText = Wide(params->lpstrText, text);
    return mciSendCommandW(device, MCI_WINDOW, flags, reinterpret_cast<DWORD_PTR>(&wide));
  }
};

}  // namespace

IMciService& DefaultMciService() {
  static SystemMciService service;
  return service;
}
