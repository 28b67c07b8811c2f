#pragma once
// The transport button row of TMediaPlayer as rules shared by every system:
// the cells and the size they make, which cell a pointer hits, which glyph a
// button shows, where the focus goes with the arrow keys, and the row's
// pixels. The face keeps the state, loads the glyph bitmaps and hands them in,
// and copies the picture to the screen.
//
// The row: the visible buttons side by side, in the order of TMPBtnType, each
// a cell `buttonWidth` pixels wide and the row's height; neighbouring cells
// share their one-pixel frame line, so n cells are n * (buttonWidth - 1) + 1
// pixels wide. A row with no visible button is laid out as if it had one.

#include <array>

#include "MediaPlayerPort.h"
#include "PixelBuffer.h"

constexpr int kRowButtonCount = 9;

// The three glyphs of a button, in this order.
enum TRowGlyph : int { rgEnabled = 0, rgDisabled = 1, rgColored = 2 };

// The colour of the glyphs' pixels that show the button face instead.
constexpr PixelColour kRowGlyphTransparent = PixelRgb(128, 128, 0);

struct TRowButton {
  bool visible = true;
  bool enabled = true;
  bool colored = true;
  bool autoEnabled = false;
};

using TRowButtons = std::array<TRowButton, kRowButtonCount>;

// Glyph bitmaps, [button][TRowGlyph].
using TRowGlyphs = std::array<std::array<PixelBuffer, 3>, kRowButtonCount>;

// The system colours the row is drawn with.
struct TRowColours {
  PixelColour face = PixelRgb(192, 192, 192);
  PixelColour shadow = PixelRgb(128, 128, 128);
  PixelColour highlight = PixelRgb(255, 255, 255);
  PixelColour frame = PixelRgb(0, 0, 0);
};

struct TRowSize {
  int width;
  int height;
};

// The number of visible buttons, at least 1.
int RowVisibleCount(const TRowButtons& buttons);

// The cell width that fills `width` pixels with `visibleCount` cells.
int RowButtonWidth(int width, int visibleCount);

// The width of `visibleCount` cells of `buttonWidth` pixels.
int RowWidth(int visibleCount, int buttonWidth);

// The smallest cell that holds every glyph with its bevel and focus mark.
TRowSize RowMinButtonSize(const TRowGlyphs& glyphs);

// A size change made whole: the cells that fill `width`, widened to at least
// `minButton`, and at least `minButton.height` high.
TRowSize RowNormalisedSize(int visibleCount, int width, int height, TRowSize minButton);

// The first visible cell, from the left, whose span left..left + buttonWidth
// holds `pointerX`, both ends included: a cell reaches one pixel past its own
// right edge, so the shared frame line and the next cell's first inner pixel
// press the left cell. Returns false when none does.
bool RowHitTest(const TRowButtons& buttons, int buttonWidth, int pointerX, TMPBtnType& button, int& cellLeft);

// Whether a press on the button runs its operation: while AutoEnable is on
// the automatic set decides, otherwise EnabledButtons.
bool RowClickable(const TRowButton& button, bool autoEnable);

// The glyph a button shows. A disabled control shows only disabled glyphs.
TRowGlyph RowGlyphChoice(const TRowButton& button, bool controlEnabled, bool autoEnable);

// Where the focus goes from `focused` in direction `step` (+1 right, -1
// left): the next visible button, or else the end of the row (btEject or
// btPlay, visible or not); `focused` itself when it is that end.
TMPBtnType RowNextFocus(const TRowButtons& buttons, TMPBtnType focused, int step);

// Everything the row's pixels depend on.
struct TRowState {
  int width = 0;
  int height = 0;
  int buttonWidth = 0;
  TRowButtons buttons;
  bool controlEnabled = true;
  bool autoEnable = true;
  bool hasFocus = false;
  TMPBtnType focused = btPlay;
  // `pressed` is drawn sunken while `pressInside` holds.
  TMPBtnType pressed = btPlay;
  bool pressInside = false;
  TRowColours colours;
};

// The whole row, state.width x state.height.
PixelBuffer RowPicture(const TRowState& state, const TRowGlyphs& glyphs);
