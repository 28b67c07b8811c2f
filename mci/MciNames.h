#pragma once
// The media control interface's names: command messages, flags, error
// codes, time formats and parameter blocks, with the values and layouts of
// the platform's media control interface. The Linux service (Mci.h) declares
// them here; the Windows build takes the system's own from <mmsystem.h>
// (controls/win32/MciNames.h), and both name the two blocks with text the
// same way (TMciOpenParms, TMciWindowParms). No toolkit type.

#include <cstdint>

using MCIERROR = uint32_t;
using MCIDEVICEID = uint32_t;  // 0 = no device

// Command messages.
constexpr uint32_t MCI_OPEN = 0x0803;
constexpr uint32_t MCI_CLOSE = 0x0804;
constexpr uint32_t MCI_ESCAPE = 0x0805;
constexpr uint32_t MCI_PLAY = 0x0806;
constexpr uint32_t MCI_SEEK = 0x0807;
constexpr uint32_t MCI_STOP = 0x0808;
constexpr uint32_t MCI_PAUSE = 0x0809;
constexpr uint32_t MCI_INFO = 0x080A;
constexpr uint32_t MCI_GETDEVCAPS = 0x080B;
constexpr uint32_t MCI_SPIN = 0x080C;
constexpr uint32_t MCI_SET = 0x080D;
constexpr uint32_t MCI_STEP = 0x080E;
constexpr uint32_t MCI_RECORD = 0x080F;
constexpr uint32_t MCI_SYSINFO = 0x0810;
constexpr uint32_t MCI_BREAK = 0x0811;
constexpr uint32_t MCI_SAVE = 0x0813;
constexpr uint32_t MCI_STATUS = 0x0814;
constexpr uint32_t MCI_CUE = 0x0830;
constexpr uint32_t MCI_REALIZE = 0x0840;
constexpr uint32_t MCI_WINDOW = 0x0841;
constexpr uint32_t MCI_PUT = 0x0842;
constexpr uint32_t MCI_WHERE = 0x0843;
constexpr uint32_t MCI_FREEZE = 0x0844;
constexpr uint32_t MCI_UNFREEZE = 0x0845;
constexpr uint32_t MCI_LOAD = 0x0850;
constexpr uint32_t MCI_CUT = 0x0851;
constexpr uint32_t MCI_COPY = 0x0852;
constexpr uint32_t MCI_PASTE = 0x0853;
constexpr uint32_t MCI_UPDATE = 0x0854;
constexpr uint32_t MCI_RESUME = 0x0855;
constexpr uint32_t MCI_DELETE = 0x0856;

// The completion report's message number (the event carries it too).
constexpr uint32_t MM_MCINOTIFY = 0x03B9;

// Notification codes (wParam of MM_MCINOTIFY).
constexpr uint32_t MCI_NOTIFY_SUCCESSFUL = 0x0001;
constexpr uint32_t MCI_NOTIFY_SUPERSEDED = 0x0002;
constexpr uint32_t MCI_NOTIFY_ABORTED = 0x0004;
constexpr uint32_t MCI_NOTIFY_FAILURE = 0x0008;

// Sent to this id, MCI_CLOSE closes every open device.
constexpr MCIDEVICEID MCI_ALL_DEVICE_ID = 0xFFFF;

// Flags common to all commands.
constexpr uint32_t MCI_NOTIFY = 0x00000001;
constexpr uint32_t MCI_WAIT = 0x00000002;
constexpr uint32_t MCI_FROM = 0x00000004;
constexpr uint32_t MCI_TO = 0x00000008;
constexpr uint32_t MCI_TRACK = 0x00000010;

// MCI_OPEN flags.
constexpr uint32_t MCI_OPEN_SHAREABLE = 0x00000100;
constexpr uint32_t MCI_OPEN_ELEMENT = 0x00000200;
constexpr uint32_t MCI_OPEN_ALIAS = 0x00000400;
constexpr uint32_t MCI_OPEN_ELEMENT_ID = 0x00000800;
constexpr uint32_t MCI_OPEN_TYPE_ID = 0x00001000;
constexpr uint32_t MCI_OPEN_TYPE = 0x00002000;

// MCI_SEEK flags.
constexpr uint32_t MCI_SEEK_TO_START = 0x00000100;
constexpr uint32_t MCI_SEEK_TO_END = 0x00000200;

// MCI_STATUS flags and items.
constexpr uint32_t MCI_STATUS_ITEM = 0x00000100;
constexpr uint32_t MCI_STATUS_START = 0x00000200;
constexpr uint32_t MCI_STATUS_LENGTH = 0x00000001;
constexpr uint32_t MCI_STATUS_POSITION = 0x00000002;
constexpr uint32_t MCI_STATUS_NUMBER_OF_TRACKS = 0x00000003;
constexpr uint32_t MCI_STATUS_MODE = 0x00000004;
constexpr uint32_t MCI_STATUS_MEDIA_PRESENT = 0x00000005;
constexpr uint32_t MCI_STATUS_TIME_FORMAT = 0x00000006;
constexpr uint32_t MCI_STATUS_READY = 0x00000007;
constexpr uint32_t MCI_STATUS_CURRENT_TRACK = 0x00000008;

// MCI_GETDEVCAPS flags and items.
constexpr uint32_t MCI_GETDEVCAPS_ITEM = 0x00000100;
constexpr uint32_t MCI_GETDEVCAPS_CAN_RECORD = 0x00000001;
constexpr uint32_t MCI_GETDEVCAPS_HAS_AUDIO = 0x00000002;
constexpr uint32_t MCI_GETDEVCAPS_HAS_VIDEO = 0x00000003;
constexpr uint32_t MCI_GETDEVCAPS_DEVICE_TYPE = 0x00000004;
constexpr uint32_t MCI_GETDEVCAPS_USES_FILES = 0x00000005;
constexpr uint32_t MCI_GETDEVCAPS_COMPOUND_DEVICE = 0x00000006;
constexpr uint32_t MCI_GETDEVCAPS_CAN_EJECT = 0x00000007;
constexpr uint32_t MCI_GETDEVCAPS_CAN_PLAY = 0x00000008;
constexpr uint32_t MCI_GETDEVCAPS_CAN_SAVE = 0x00000009;

// MCI_SET flags.
constexpr uint32_t MCI_SET_DOOR_OPEN = 0x00000100;
constexpr uint32_t MCI_SET_DOOR_CLOSED = 0x00000200;
constexpr uint32_t MCI_SET_TIME_FORMAT = 0x00000400;
constexpr uint32_t MCI_SET_AUDIO = 0x00000800;
constexpr uint32_t MCI_SET_VIDEO = 0x00001000;
constexpr uint32_t MCI_SET_ON = 0x00002000;
constexpr uint32_t MCI_SET_OFF = 0x00004000;
constexpr uint32_t MCI_SET_AUDIO_ALL = 0x00000000;
constexpr uint32_t MCI_SET_AUDIO_LEFT = 0x00000001;
constexpr uint32_t MCI_SET_AUDIO_RIGHT = 0x00000002;

// MCI_RECORD, MCI_SAVE, MCI_LOAD flags.
constexpr uint32_t MCI_RECORD_INSERT = 0x00000100;
constexpr uint32_t MCI_RECORD_OVERWRITE = 0x00000200;
constexpr uint32_t MCI_SAVE_FILE = 0x00000100;
constexpr uint32_t MCI_LOAD_FILE = 0x00000100;

// Animation / video-disc / digital-video flags (MCI_STEP, MCI_WINDOW,
// MCI_WHERE, MCI_PUT).
constexpr uint32_t MCI_ANIM_STEP_REVERSE = 0x00010000;
constexpr uint32_t MCI_ANIM_STEP_FRAMES = 0x00020000;
constexpr uint32_t MCI_ANIM_WINDOW_HWND = 0x00010000;
constexpr uint32_t MCI_ANIM_WINDOW_STATE = 0x00040000;
constexpr uint32_t MCI_ANIM_WINDOW_TEXT = 0x00080000;
constexpr uint32_t MCI_ANIM_WINDOW_ENABLE_STRETCH = 0x00100000;
constexpr uint32_t MCI_ANIM_WINDOW_DISABLE_STRETCH = 0x00200000;
constexpr uint32_t MCI_ANIM_WINDOW_DEFAULT = 0x00000000;
constexpr uint32_t MCI_ANIM_RECT = 0x00010000;
constexpr uint32_t MCI_ANIM_PUT_SOURCE = 0x00020000;
constexpr uint32_t MCI_ANIM_PUT_DESTINATION = 0x00040000;
constexpr uint32_t MCI_ANIM_WHERE_SOURCE = 0x00020000;
constexpr uint32_t MCI_ANIM_WHERE_DESTINATION = 0x00040000;
constexpr uint32_t MCI_VD_STEP_FRAMES = 0x00010000;
constexpr uint32_t MCI_VD_STEP_REVERSE = 0x00020000;
constexpr uint32_t MCI_DGV_RECT = 0x00010000;
constexpr uint32_t MCI_DGV_WHERE_SOURCE = 0x00020000;
constexpr uint32_t MCI_DGV_WHERE_DESTINATION = 0x00040000;

// Device modes (MCI_STATUS_MODE).
constexpr uint32_t MCI_STRING_OFFSET = 512;
constexpr uint32_t MCI_MODE_NOT_READY = MCI_STRING_OFFSET + 12;  // 524
constexpr uint32_t MCI_MODE_STOP = MCI_STRING_OFFSET + 13;       // 525
constexpr uint32_t MCI_MODE_PLAY = MCI_STRING_OFFSET + 14;       // 526
constexpr uint32_t MCI_MODE_RECORD = MCI_STRING_OFFSET + 15;     // 527
constexpr uint32_t MCI_MODE_SEEK = MCI_STRING_OFFSET + 16;       // 528
constexpr uint32_t MCI_MODE_PAUSE = MCI_STRING_OFFSET + 17;      // 529
constexpr uint32_t MCI_MODE_OPEN = MCI_STRING_OFFSET + 18;       // 530

// Device types (MCI_GETDEVCAPS_DEVICE_TYPE, MCI_OPEN_TYPE_ID).
constexpr uint32_t MCI_DEVTYPE_VCR = 513;
constexpr uint32_t MCI_DEVTYPE_VIDEODISC = 514;
constexpr uint32_t MCI_DEVTYPE_OVERLAY = 515;
constexpr uint32_t MCI_DEVTYPE_CD_AUDIO = 516;
constexpr uint32_t MCI_DEVTYPE_DAT = 517;
constexpr uint32_t MCI_DEVTYPE_SCANNER = 518;
constexpr uint32_t MCI_DEVTYPE_ANIMATION = 519;
constexpr uint32_t MCI_DEVTYPE_DIGITAL_VIDEO = 520;
constexpr uint32_t MCI_DEVTYPE_OTHER = 521;
constexpr uint32_t MCI_DEVTYPE_WAVEFORM_AUDIO = 522;
constexpr uint32_t MCI_DEVTYPE_SEQUENCER = 523;

// Time formats (MCI_SET_TIME_FORMAT, MCI_STATUS_TIME_FORMAT).
constexpr uint32_t MCI_FORMAT_MILLISECONDS = 0;
constexpr uint32_t MCI_FORMAT_HMS = 1;
constexpr uint32_t MCI_FORMAT_MSF = 2;
constexpr uint32_t MCI_FORMAT_FRAMES = 3;
constexpr uint32_t MCI_FORMAT_SMPTE_24 = 4;
constexpr uint32_t MCI_FORMAT_SMPTE_25 = 5;
constexpr uint32_t MCI_FORMAT_SMPTE_30 = 6;
constexpr uint32_t MCI_FORMAT_SMPTE_30DROP = 7;
constexpr uint32_t MCI_FORMAT_BYTES = 8;
constexpr uint32_t MCI_FORMAT_SAMPLES = 9;
constexpr uint32_t MCI_FORMAT_TMSF = 10;

// Error codes.
constexpr MCIERROR MCIERR_BASE = 256;
constexpr MCIERROR MCIERR_INVALID_DEVICE_ID = MCIERR_BASE + 1;          // 257
constexpr MCIERROR MCIERR_UNRECOGNIZED_KEYWORD = MCIERR_BASE + 3;       // 259
constexpr MCIERROR MCIERR_UNRECOGNIZED_COMMAND = MCIERR_BASE + 5;       // 261
constexpr MCIERROR MCIERR_HARDWARE = MCIERR_BASE + 6;                   // 262
constexpr MCIERROR MCIERR_INVALID_DEVICE_NAME = MCIERR_BASE + 7;        // 263
constexpr MCIERROR MCIERR_OUT_OF_MEMORY = MCIERR_BASE + 8;              // 264
constexpr MCIERROR MCIERR_DEVICE_OPEN = MCIERR_BASE + 9;                // 265
constexpr MCIERROR MCIERR_CANNOT_LOAD_DRIVER = MCIERR_BASE + 10;        // 266
constexpr MCIERROR MCIERR_DRIVER_INTERNAL = MCIERR_BASE + 16;           // 272
constexpr MCIERROR MCIERR_MISSING_PARAMETER = MCIERR_BASE + 17;         // 273
constexpr MCIERROR MCIERR_UNSUPPORTED_FUNCTION = MCIERR_BASE + 18;      // 274
constexpr MCIERROR MCIERR_FILE_NOT_FOUND = MCIERR_BASE + 19;            // 275
constexpr MCIERROR MCIERR_DEVICE_NOT_READY = MCIERR_BASE + 20;          // 276
constexpr MCIERROR MCIERR_INTERNAL = MCIERR_BASE + 21;                  // 277
constexpr MCIERROR MCIERR_DRIVER = MCIERR_BASE + 22;                    // 278
constexpr MCIERROR MCIERR_CANNOT_USE_ALL = MCIERR_BASE + 23;            // 279
constexpr MCIERROR MCIERR_MULTIPLE = MCIERR_BASE + 24;                  // 280
constexpr MCIERROR MCIERR_EXTENSION_NOT_FOUND = MCIERR_BASE + 25;       // 281
constexpr MCIERROR MCIERR_OUTOFRANGE = MCIERR_BASE + 26;                // 282
constexpr MCIERROR MCIERR_FLAGS_NOT_COMPATIBLE = MCIERR_BASE + 28;      // 284
constexpr MCIERROR MCIERR_FILE_NOT_SAVED = MCIERR_BASE + 30;            // 286
constexpr MCIERROR MCIERR_DEVICE_TYPE_REQUIRED = MCIERR_BASE + 31;      // 287
constexpr MCIERROR MCIERR_DEVICE_LOCKED = MCIERR_BASE + 32;             // 288
constexpr MCIERROR MCIERR_DUPLICATE_ALIAS = MCIERR_BASE + 33;           // 289
constexpr MCIERROR MCIERR_BAD_CONSTANT = MCIERR_BASE + 34;              // 290
constexpr MCIERROR MCIERR_MUST_USE_SHAREABLE = MCIERR_BASE + 35;        // 291
constexpr MCIERROR MCIERR_MISSING_DEVICE_NAME = MCIERR_BASE + 36;       // 292
constexpr MCIERROR MCIERR_BAD_TIME_FORMAT = MCIERR_BASE + 37;           // 293
constexpr MCIERROR MCIERR_INVALID_FILE = MCIERR_BASE + 40;              // 296
constexpr MCIERROR MCIERR_NULL_PARAMETER_BLOCK = MCIERR_BASE + 41;      // 297
constexpr MCIERROR MCIERR_NONAPPLICABLE_FUNCTION = MCIERR_BASE + 46;    // 302
constexpr MCIERROR MCIERR_FILENAME_REQUIRED = MCIERR_BASE + 48;         // 304
constexpr MCIERROR MCIERR_DEVICE_NOT_INSTALLED = MCIERR_BASE + 50;      // 306
constexpr MCIERROR MCIERR_WAVE_OUTPUTSINUSE = MCIERR_BASE + 64;         // 320
constexpr MCIERROR MCIERR_WAVE_SETOUTPUTINUSE = MCIERR_BASE + 65;       // 321
constexpr MCIERROR MCIERR_WAVE_INPUTSINUSE = MCIERR_BASE + 66;          // 322
constexpr MCIERROR MCIERR_WAVE_SETINPUTINUSE = MCIERR_BASE + 67;        // 323
constexpr MCIERROR MCIERR_WAVE_OUTPUTUNSPECIFIED = MCIERR_BASE + 68;    // 324
constexpr MCIERROR MCIERR_WAVE_INPUTUNSPECIFIED = MCIERR_BASE + 69;     // 325
constexpr MCIERROR MCIERR_WAVE_OUTPUTSUNSUITABLE = MCIERR_BASE + 70;    // 326
constexpr MCIERROR MCIERR_WAVE_SETOUTPUTUNSUITABLE = MCIERR_BASE + 71;  // 327
constexpr MCIERROR MCIERR_WAVE_INPUTSUNSUITABLE = MCIERR_BASE + 72;     // 328
constexpr MCIERROR MCIERR_WAVE_SETINPUTUNSUITABLE = MCIERR_BASE + 73;   // 329
constexpr MCIERROR MCIERR_NO_WINDOW = MCIERR_BASE + 90;                 // 346
constexpr MCIERROR MCIERR_CREATEWINDOW = MCIERR_BASE + 91;              // 347
constexpr MCIERROR MCIERR_FILE_READ = MCIERR_BASE + 92;                 // 348
constexpr MCIERROR MCIERR_FILE_WRITE = MCIERR_BASE + 93;                // 349

// Parameter blocks. dwCallback carries a QObject* (as uintptr_t) that
// receives MM_MCINOTIFY; 0 for none. Return fields are filled by the service.
struct MCI_GENERIC_PARMS {
  uintptr_t dwCallback;
};

struct MCI_OPEN_PARMS {
  uintptr_t dwCallback;
  MCIDEVICEID wDeviceID;         // out: the new device
  const char* lpstrDeviceType;   // MCI_OPEN_TYPE: a name ("WaveAudio");
                                 // MCI_OPEN_TYPE_ID: an MCI_DEVTYPE_* number
  const char* lpstrElementName;  // MCI_OPEN_ELEMENT: the file's path (UTF-8)
  const char* lpstrAlias;        // MCI_OPEN_ALIAS
};

struct MCI_PLAY_PARMS {
  uintptr_t dwCallback;
  uint32_t dwFrom;  // MCI_FROM
  uint32_t dwTo;    // MCI_TO
};

struct MCI_SEEK_PARMS {
  uintptr_t dwCallback;
  uint32_t dwTo;  // MCI_TO
};

struct MCI_STATUS_PARMS {
  uintptr_t dwCallback;
  uintptr_t dwReturn;  // out
  uint32_t dwItem;     // MCI_STATUS_*
  uint32_t dwTrack;    // MCI_TRACK
};

struct MCI_INFO_PARMS {
  uintptr_t dwCallback;
  char* lpstrReturn;
  uint32_t dwRetSize;
};

struct MCI_GETDEVCAPS_PARMS {
  uintptr_t dwCallback;
  uint32_t dwReturn;  // out
  uint32_t dwItem;    // MCI_GETDEVCAPS_*
};

struct MCI_SET_PARMS {
  uintptr_t dwCallback;
  uint32_t dwTimeFormat;  // MCI_SET_TIME_FORMAT
  uint32_t dwAudio;       // MCI_SET_AUDIO
};

struct MCI_RECORD_PARMS {
  uintptr_t dwCallback;
  uint32_t dwFrom;
  uint32_t dwTo;
};

struct MCI_SAVE_PARMS {
  uintptr_t dwCallback;
  const char* lpfilename;
};

struct MCI_LOAD_PARMS {
  uintptr_t dwCallback;
  const char* lpfilename;
};

struct MCI_ANIM_STEP_PARMS {
  uintptr_t dwCallback;
  uint32_t dwFrames;
};

struct MCI_VD_STEP_PARMS {
  uintptr_t dwCallback;
  uint32_t dwFrames;
};

struct MCI_ANIM_WINDOW_PARMS {
  uintptr_t dwCallback;
  uintptr_t hWnd;  // the display window's handle (QWidget::winId()); 0: default
  uint32_t nCmdShow;
  const char* lpstrText;
};

struct MCI_RECT {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

struct MCI_ANIM_RECT_PARMS {
  uintptr_t dwCallback;
  MCI_RECT rc;
};

struct MCI_DGV_RECT_PARMS {
  uintptr_t dwCallback;
  MCI_RECT rc;
};

// The blocks with text, as the players fill them: their text is UTF-8.
using TMciOpenParms = MCI_OPEN_PARMS;
using TMciWindowParms = MCI_ANIM_WINDOW_PARMS;
