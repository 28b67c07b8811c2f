#pragma once
// The main window's data, the same on every system: its size and title,
// each control's name, place, caption and hint, the tab order, and the texts
// it shows at the start. The window on each toolkit builds its controls
// from here.

struct TControlPlace {
  const char* name;
  int left;
  int top;
  int width;
  int height;
  const char* caption;  // UTF-8; empty when the control has none
  const char* hint;     // the tooltip, or empty
};

namespace window_layout {

constexpr const char* kTitle = "Vantrel  V2.0";
constexpr int kClientWidth = 346;
constexpr int kClientHeight = 155;
// The window's font and the title label's.
constexpr const char* kFontName = "MS Sans Serif";
constexpr int kFontPixels = 11;
constexpr const char* kTitleFontName = "Arial";
constexpr int kTitleFontPixels = 16;

constexpr TControlPlace kBevel1{"Bevel1", 0, 0, 346, 49, "", ""};
constexpr TControlPlace kLabel1{"Label1", 8, 8, 330, 19, "Serafon", ""};
constexpr TControlPlace kLabel2{"Label2", 8, 30, 337, 17, "Vantrel 2.0 - sounds for GP3 and GP4", ""};
constexpr TControlPlace kGauge1{"Gauge1", 2, 112, 343, 18, "", ""};
constexpr TControlPlace kBitBtn2{"BitBtn2", 170, 54, 121, 22, "Convert Mp3 as Wav",
                                 "If Mp3 is choosed, need to decode first"};
constexpr TControlPlace kBitBtn4{"BitBtn4", 54, 54, 103, 22, "Play Wav /Mp3", "Play  WAV or MP3"};
constexpr TControlPlace kMediaPlayer1{"MediaPlayer1", 7, 81, 57, 23, "", ""};
constexpr TControlPlace kBitBtn6{"BitBtn6", 8, 81, 25, 23, "", ""};
constexpr TControlPlace kStatusBar1{"StatusBar1", 0, 136, 346, 19,
                                    "Vantrel - free software for Grand Prix sound makers", ""};
constexpr TControlPlace kBitBtn1{"BitBtn1", 54, 81, 238, 22, "Convert Wav as GP3 / GP4 sound format", ""};

// The order in which the keyboard focus moves through the controls.
constexpr const TControlPlace* kTabOrder[] = {&kBitBtn2, &kBitBtn4, &kMediaPlayer1, &kBitBtn6, &kBitBtn1};

// The game sound file's save dialog.
constexpr const char* kSaveDialogTitle = "Select your Grand Prix 3\\Sound  Directory";
constexpr const char* kSaveDialogFilter = "GP3/GP4 Sounds|bsound*.16;tk*.st1";

}  // namespace window_layout
