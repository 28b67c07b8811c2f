#pragma once
// The message dialog's layout, worked out once for every face: from the
// metrics of the message-box font, the text's extent and the screen's width
// it places the icon, the message and the row of buttons, and names each
// button's caption, result and role. The face measures in its own toolkit
// through the callbacks below and builds its widgets from the rectangles.
//
// The rules, in units of the font's average character width (cw, in quarters)
// and height (ch, in eighths): margins 8/4 cw and 8/8 ch, spacing between icon
// and text 10/4 cw, between text and buttons 10/8 ch, between buttons 4/4 cw;
// buttons 14/8 ch high and as wide as the widest caption shown + 8 pixels, at
// least 50/4 cw. The text wraps at words in half the screen's width; the icon
// is 32 x 32 and the text block at least that high beside it.

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "DialogTypes.h"

// a * b / c rounded to the nearest integer, halves away from zero; -1 when c
// is 0 or the result does not fit an int (the platform's MulDiv).
int MulDiv(int a, int b, int c);

struct TDialogRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const TDialogRect& o) const {
    return left == o.left && top == o.top && width == o.width && height == o.height;
  }
};

struct TTextExtent {
  int width = 0;
  int height = 0;
};

// The face measures this text on one line in the dialog's font; a 52nd of its
// width is the average character width, its height the character height.
constexpr const char kAverageCharSample[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
int AverageCharWidth(int sampleWidth);

// One entry of the fixed button table, in the order of TMsgDlgBtn.
struct TMessageButtonInfo {
  const char* name;     // the widget's name
  const char* caption;  // shown; "&" marks the accelerator letter
  TModalResult result;  // mrNone: pressing it does not close the dialog
};
constexpr size_t kMessageButtonCount = 11;
const TMessageButtonInfo& MessageButtonInfo(TMsgDlgBtn button);

// The letter after a single "&" of an ASCII caption, upper-cased as key codes
// are; 0 when none ("&&" shows one ampersand and marks nothing).
int AcceleratorLetter(const std::string& caption);

// A carriage return alone, a line feed alone and the pair each end a line;
// the result ends its lines with line feeds only.
std::string MessageLines(const std::string& text);

// Each button caption is measured once for the life of the cache (the face
// keeps one for the process): width of the caption on one line + 8.
class TButtonWidths {
 public:
  using Measure = std::function<int(const std::string& caption)>;
  int Width(TMsgDlgBtn button, const Measure& captionWidth);
  int Cached(TMsgDlgBtn button) const { return widths_[static_cast<size_t>(button)]; }
  int Measurements(TMsgDlgBtn button) const { return measurements_[static_cast<size_t>(button)]; }

 private:
  std::array<int, kMessageButtonCount> widths_{};
  std::array<int, kMessageButtonCount> measurements_{};
};

struct TMessageLayoutInput {
  int charWidth = 0;   // AverageCharWidth of the sample
  int charHeight = 0;  // the sample's height
  int screenWidth = 0;
  bool rightToLeft = false;  // mirrors the message's place, not the buttons'
  TMsgDlgType kind = TMsgDlgType::mtCustom;
  TMsgDlgButtons buttons;
  std::string text;              // as given: lines end in CR, LF or CRLF
  std::string applicationTitle;  // the caption of the custom kind
  // The size of `lines` (ending in LF) drawn left aligned, word-wrapped within
  // maxWidth, tabs expanded, "&" marking a letter: as the face draws it.
  std::function<TTextExtent(const std::string& lines, int maxWidth)> textExtent;
  // The width of a button caption on one line, "&" marking a letter.
  TButtonWidths::Measure captionWidth;
};

struct TMessageButtonLayout {
  TMsgDlgBtn id;
  std::string name;
  std::string caption;
  TModalResult result;
  TDialogRect rect;
  bool isDefault;  // Enter presses it when no button has the focus
  bool isCancel;   // Escape presses it
  int accelerator;  // AcceleratorLetter of the caption
};

struct TMessageLayout {
  int clientWidth = 0;
  int clientHeight = 0;
  std::string caption;  // the window title
  std::string lines;    // the text with its lines ending in LF
  bool hasIcon = false;
  TDialogRect icon;
  TDialogRect message;
  std::vector<TMessageButtonLayout> buttons;  // left to right, in table order
};

// The longest window title, counted in UTF-16 units as the system counts it.
constexpr int kMaxCaptionUnits = 255;

// REQUIRES: both callbacks set. Measures uncached captions through `widths`.
TMessageLayout LayOutMessageDialog(const TMessageLayoutInput& in, TButtonWidths& widths);
