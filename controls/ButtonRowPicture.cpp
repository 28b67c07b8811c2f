#include "ButtonRowPicture.h"

#include <algorithm>

namespace {

void DrawButton(PixelBuffer& image, const TRowState& s, const TRowGlyphs& glyphs, int button, int x) {
  const int h = s.height;
  const int bw = s.buttonWidth;
  const bool sunken = s.pressInside && button == s.pressed;
  const TRowColours& c = s.colours;

  image.FillRect(x, 0, x + bw, h, c.face);
  image.FrameRect(x, 0, x + bw, h, c.frame);
  if (sunken) {
    image.Line(x + 1, h - 2, x + 1, 1, c.shadow);
    image.Line(x + 1, 1, x + bw - 1, 1, c.shadow);
  } else {
    image.Line(x + 1, h - 2, x + 1, 1, c.highlight);
    image.Line(x + 1, 1, x + bw - 1, 1, c.highlight);
    image.Line(x + 2, h - 2, x + bw - 2, h - 2, c.shadow);
    image.Line(x + bw - 2, h - 2, x + bw - 2, 1, c.shadow);
  }

  const PixelBuffer& glyph = glyphs[button][RowGlyphChoice(s.buttons[button], s.controlEnabled, s.autoEnable)];
  int dx = bw / 2 - glyph.Width() / 2;
  int dy = h / 2 - glyph.Height() / 2;
  if (sunken) {
    ++dx;
    ++dy;
  }
  image.CopyGlyph(glyph, x + dx, dy, kRowGlyphTransparent, c.face);

  if (s.hasFocus && button == s.focused) {
    int left = x + 3, top = 3;
    if (sunken) {
      ++left;
      ++top;
    }
    image.InvertDottedFrame(left, top, left + bw - 6, top + h - 6);
  }
}

}  // namespace

int RowVisibleCount(const TRowButtons& buttons) {
  const int n =
      static_cast<int>(std::count_if(buttons.begin(), buttons.end(), [](const TRowButton& b) { return b.visible; }));
  return n == 0 ? 1 : n;
}

int RowButtonWidth(int width, int visibleCount) { return (width - 1) / visibleCount + 1; }

int RowWidth(int visibleCount, int buttonWidth) { return visibleCount * (buttonWidth - 1) + 1; }

TRowSize RowMinButtonSize(const TRowGlyphs& glyphs) {
  int maxWidth = 0, maxHeight = 0;
  for (const auto& button : glyphs)
    for (const PixelBuffer& glyph : button) {
      maxWidth = std::max(maxWidth, glyph.Width());
      maxHeight = std::max(maxHeight, glyph.Height());
    }
  return {maxWidth + 8, maxHeight + 4};
}

TRowSize RowNormalisedSize(int visibleCount, int width, int height, TRowSize minButton) {
  const int buttonWidth = RowButtonWidth(width, visibleCount);
  return {std::max(RowWidth(visibleCount, buttonWidth), RowWidth(visibleCount, minButton.width)),
          std::max(height, minButton.height)};
}

bool RowHitTest(const TRowButtons& buttons, int buttonWidth, int pointerX, TMPBtnType& button, int& cellLeft) {
  int x0 = 0;
  for (int b = 0; b < kRowButtonCount; ++b) {
    if (!buttons[b].visible) continue;
    if (x0 <= pointerX && pointerX <= x0 + buttonWidth) {
      button = TMPBtnType(b);
      cellLeft = x0;
      return true;
    }
    x0 += buttonWidth - 1;
  }
  return false;
}

bool RowClickable(const TRowButton& button, bool autoEnable) {
  return autoEnable ? button.autoEnabled : button.enabled;
}

TRowGlyph RowGlyphChoice(const TRowButton& button, bool controlEnabled, bool autoEnable) {
  if (!controlEnabled || !RowClickable(button, autoEnable)) return rgDisabled;
  return button.colored ? rgColored : rgEnabled;
}

TMPBtnType RowNextFocus(const TRowButtons& buttons, TMPBtnType focused, int step) {
  const int last = step > 0 ? btEject : btPlay;
  int b = focused;
  while (b != last) {
    b += step;
    if (buttons[b].visible) break;
  }
  return TMPBtnType(b);
}

PixelBuffer RowPicture(const TRowState& s, const TRowGlyphs& glyphs) {
  PixelBuffer image(s.width, s.height, s.colours.face);
  image.FrameRect(0, 0, s.width, s.height, s.colours.frame);
  int x = 0;
  for (int b = 0; b < kRowButtonCount; ++b) {
    if (!s.buttons[b].visible) continue;
    DrawButton(image, s, glyphs, b, x);
    x += s.buttonWidth - 1;
  }
  return image;
}
