// The controls' shared pictures on their own, without any toolkit: the pixel
// buffer's layout and primitives, the gauge's picture with a scripted text
// painter, and the transport row's rules and picture with made-up glyphs.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "ButtonRowPicture.h"
#include "GaugePicture.h"
#include "PixelBuffer.h"

namespace {

constexpr PixelColour kBlack = PixelRgb(0, 0, 0);
constexpr PixelColour kWhite = PixelRgb(255, 255, 255);
constexpr PixelColour kRed = PixelRgb(255, 0, 0);
constexpr PixelColour kBlue = PixelRgb(0, 0, 255);

using Points = std::set<std::pair<int, int>>;

Points PixelsOf(const PixelBuffer& image, PixelColour c) {
  Points points;
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < image.Width(); ++x)
      if (image.Pixel(x, y) == c) points.insert({x, y});
  return points;
}

Points Rect(int left, int top, int right, int bottom) {
  Points points;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) points.insert({x, y});
  return points;
}

Points Union(Points a, const Points& b) {
  a.insert(b.begin(), b.end());
  return a;
}

Points Without(Points a, const Points& b) {
  for (const auto& p : b) a.erase(p);
  return a;
}

Points Moved(const Points& a, int dx, int dy) {
  Points moved;
  for (const auto& p : a) moved.insert({p.first + dx, p.second + dy});
  return moved;
}

// ---------------------------------------------------------------------------
// PixelBuffer

TEST(PixelBuffer, MemoryIsTopDownRowsOfBlueGreenRedOpaqueBytes) {
  PixelBuffer image(3, 2, kBlack);
  image.Plot(1, 1, PixelRgb(0x12, 0x34, 0x56));
  ASSERT_EQ(image.Stride(), 12u);
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(image.Bits());
  const unsigned char expected[4] = {0x56, 0x34, 0x12, 0xFF};
  EXPECT_EQ(std::memcmp(bytes + 1 * 12 + 1 * 4, expected, 4), 0);
  EXPECT_EQ(reinterpret_cast<const unsigned char*>(image.Row(1)), bytes + 12);
  EXPECT_EQ(PixelsOf(image, kBlack).size(), 5u);
}

TEST(PixelBuffer, LinesLeaveOutTheirEndPointInEveryDirection) {
  struct Case {
    int x0, y0, x1, y1;
    Points expected;
  };
  const Case cases[] = {
      {1, 2, 5, 2, {{1, 2}, {2, 2}, {3, 2}, {4, 2}}},
      {5, 2, 1, 2, {{5, 2}, {4, 2}, {3, 2}, {2, 2}}},
      {3, 0, 3, 3, {{3, 0}, {3, 1}, {3, 2}}},
      {3, 3, 3, 0, {{3, 3}, {3, 2}, {3, 1}}},
      {0, 0, 3, 3, {{0, 0}, {1, 1}, {2, 2}}},
      {2, 2, 2, 2, {}},
      // Clipped, not wrapped into the next row.
      {-2, 1, 2, 1, {{0, 1}, {1, 1}}},
      {7, 1, 9, 1, {}},
  };
  for (const Case& c : cases) {
    PixelBuffer image(7, 5, kBlack);
    image.Line(c.x0, c.y0, c.x1, c.y1, kRed);
    EXPECT_EQ(PixelsOf(image, kRed), c.expected) << c.x0 << "," << c.y0 << " to " << c.x1 << "," << c.y1;
  }
}

TEST(PixelBuffer, RectanglesLeaveOutRightAndBottomAndAreClipped) {
  PixelBuffer image(6, 4, kBlack);
  image.FillRect(-3, 2, 2, 9, kRed);
  EXPECT_EQ(PixelsOf(image, kRed), Rect(0, 2, 2, 4));

  PixelBuffer framed(6, 4, kBlack);
  framed.FrameRect(1, 0, 5, 3, kBlue);
  EXPECT_EQ(PixelsOf(framed, kBlack),
            Union(Union(Rect(2, 1, 4, 2), Rect(0, 0, 1, 4)), Union(Rect(5, 0, 6, 4), Rect(1, 3, 5, 4))));
  PixelBuffer empty(6, 4, kBlack);
  empty.FrameRect(3, 1, 3, 4, kBlue);
  EXPECT_TRUE(PixelsOf(empty, kBlue).empty());
}

TEST(PixelBuffer, XorKeepsTheOpaqueTopByte) {
  PixelBuffer image(2, 1, PixelRgb(0x0F, 0xF0, 0x55));
  PixelBuffer overlay(2, 1, kBlack);
  overlay.Plot(1, 0, kWhite);
  image.XorFrom(overlay);
  EXPECT_EQ(image.Pixel(0, 0), PixelRgb(0x0F, 0xF0, 0x55));
  EXPECT_EQ(image.Pixel(1, 0), PixelRgb(0xF0, 0x0F, 0xAA));
}

TEST(PixelBuffer, FocusMarkInvertsEveryOtherOutlinePixelAndTwiceRestores) {
  PixelBuffer image(8, 6, kBlue);
  image.InvertDottedFrame(1, 1, 6, 5);
  Points expected;
  for (int x = 1; x < 6; ++x)
    for (int y : {1, 4})
      if ((x + y) % 2 == 0) expected.insert({x, y});
  for (int y = 2; y < 4; ++y)
    for (int x : {1, 5})
      if ((x + y) % 2 == 0) expected.insert({x, y});
  EXPECT_EQ(PixelsOf(image, PixelRgb(255, 255, 0)), expected);
  image.InvertDottedFrame(1, 1, 6, 5);
  EXPECT_EQ(PixelsOf(image, kBlue).size(), 48u);
}

TEST(PixelBuffer, GlyphCopyShowsTheBackgroundForTheTransparentColourAndIsClipped) {
  PixelBuffer glyph(3, 2, kRed);
  // Top bytes as a loaded bitmap may leave them: they do not count.
  glyph.Row(0)[1] = kRowGlyphTransparent & 0x00FFFFFFu;
  glyph.Row(1)[0] = kRed & 0x00FFFFFFu;
  PixelBuffer image(4, 3, kBlack);
  image.CopyGlyph(glyph, 2, 1, kRowGlyphTransparent, kWhite);
  EXPECT_EQ(PixelsOf(image, kRed), (Points{{2, 1}, {2, 2}, {3, 2}}));
  EXPECT_EQ(PixelsOf(image, kWhite), (Points{{3, 1}}));
  image.CopyGlyph(glyph, -1, 0, kRowGlyphTransparent, kWhite);
  EXPECT_EQ(image.Pixel(0, 0), kWhite);
  EXPECT_EQ(image.Pixel(1, 0), kRed);
  EXPECT_EQ(image.Pixel(1, 1), kRed);
  EXPECT_EQ(image.Pixel(2, 0), kBlack);
}

// ---------------------------------------------------------------------------
// GaugePicture

// Measures every text as `width` x `height` and draws it as a solid white
// block, clipped as asked.
class BlockText : public GaugeTextPainter {
 public:
  BlockText(int width, int height) : width_(width), height_(height) {}
  void Measure(const std::string& text, int& width, int& height) override {
    measured.push_back(text);
    width = width_;
    height = height_;
  }
  void Draw(PixelBuffer& into, const std::string& text, int x, int y, int left, int top, int right,
            int bottom) override {
    drawn.push_back(text);
    for (const auto& p :
         Rect(std::max(x, left), std::max(y, top), std::min(x + width_, right), std::min(y + height_, bottom)))
      into.Plot(p.first, p.second, kWhite);
  }
  std::vector<std::string> measured, drawn;

 private:
  int width_, height_;
};

GaugeState Bar(int width, int height, int percentage) {
  GaugeState s;
  s.width = width;
  s.height = height;
  s.percentage = percentage;
  s.foreColor = kRed;
  s.backColor = kBlue;
  s.windowFrame = PixelRgb(10, 20, 30);
  return s;
}

TEST(GaugePicture, TextIsCentredInThePaintRectangleAndInvertsWhatIsUnder) {
  GaugeState s = Bar(41, 13, 37);
  BlockText text(10, 7);
  const PixelBuffer image = GaugePicture(s, &text);
  EXPECT_EQ(text.measured, std::vector<std::string>{"37%"});
  EXPECT_EQ(text.drawn, std::vector<std::string>{"37%"});
  // Paint rectangle (1, 1, 40, 12): X = (40 - 1 + 1 - 10) div 2, Y = (12 - 1 + 1 - 7) div 2.
  const Points block = Rect(15, 2, 25, 9);
  // The bar fills from x = 1 up to its length, exclusive.
  const int fill = GaugeBarLength(37, 40);
  Points inverted;
  for (const auto& p : block)
    if (image.Pixel(p.first, p.second) == (p.first < fill ? (kRed ^ 0x00FFFFFFu) : (kBlue ^ 0x00FFFFFFu)))
      inverted.insert(p);
  EXPECT_EQ(inverted, block);
  EXPECT_EQ(PixelsOf(image, kBlack), Without(Rect(0, 0, 41, 13), Rect(1, 1, 40, 12)));
}

TEST(GaugePicture, TextIsClippedToThePaintRectangleAndLeftOutWhenHidden) {
  GaugeState s = Bar(12, 6, 100);
  s.kind = TGaugeKind::gkText;
  BlockText wide(30, 30);
  const PixelBuffer clipped = GaugePicture(s, &wide);
  EXPECT_EQ(PixelsOf(clipped, kBlue ^ 0x00FFFFFFu), Rect(1, 1, 11, 5));
  EXPECT_EQ(PixelsOf(clipped, kBlack).size(), 12u * 6 - 10 * 4);

  s.showText = false;
  BlockText unused(3, 3);
  const PixelBuffer plain = GaugePicture(s, &unused);
  EXPECT_TRUE(unused.measured.empty());
  EXPECT_EQ(PixelsOf(plain, kBlue), Rect(1, 1, 11, 5));
}

TEST(GaugePicture, EmptyGaugeHasNoPixelsAndNoText) {
  BlockText text(3, 3);
  for (TGaugeKind kind : {TGaugeKind::gkText, TGaugeKind::gkHorizontalBar, TGaugeKind::gkVerticalBar, TGaugeKind::gkPie,
                          TGaugeKind::gkNeedle}) {
    GaugeState s = Bar(0, 0, 50);
    s.kind = kind;
    EXPECT_TRUE(GaugePicture(s, &text).Empty());
    s.width = 1;
    s.height = 2;
    EXPECT_EQ(GaugePicture(s, &text).Width(), 1);
  }
  EXPECT_EQ(text.drawn.size(), 5u);
}

TEST(GaugePicture, PercentageIsTruncatedAndHeldWithinTheRange) {
  EXPECT_EQ(GaugePercentage(0, 3, 2), 66);
  EXPECT_EQ(GaugePercentage(-10, 10, -5), 25);
  EXPECT_EQ(GaugePercentage(5, 5, 5), 0);
  EXPECT_EQ(GaugePercentage(-2147483647 - 1, 2147483647, 2147483647), 100);
  EXPECT_EQ(GaugePercentage(10, 0, 15), 0);  // bounds left crossed while loading
}

// ---------------------------------------------------------------------------
// ButtonRowPicture

TRowButtons Visible(std::initializer_list<TMPBtnType> shown) {
  TRowButtons buttons;
  for (TRowButton& b : buttons) b.visible = false;
  for (TMPBtnType b : shown) buttons[b].visible = true;
  return buttons;
}

TEST(ButtonRowPicture, PressReachesOnePixelPastTheCellIntoTheNextOne) {
  const TRowButtons buttons = Visible({btPlay, btStop, btEject});
  struct Case {
    int x;
    bool hit;
    TMPBtnType button;
    int left;
  };
  const Case cases[] = {{0, true, btPlay, 0},    {20, true, btPlay, 0},  {21, true, btPlay, 0},
                        {22, true, btStop, 20},  {41, true, btStop, 20}, {42, true, btEject, 40},
                        {61, true, btEject, 40}, {62, false, btPlay, 0}, {-1, false, btPlay, 0}};
  for (const Case& c : cases) {
    TMPBtnType button = btPlay;
    int left = 0;
    ASSERT_EQ(RowHitTest(buttons, 21, c.x, button, left), c.hit) << c.x;
    if (!c.hit) continue;
    EXPECT_EQ(button, c.button) << c.x;
    EXPECT_EQ(left, c.left) << c.x;
  }
}

TEST(ButtonRowPicture, SizeIsWholeCellsOfAtLeastTheMinimum) {
  const TRowSize min{29, 20};
  struct Case {
    int count, width, height;
    TRowSize expected;
  };
  const Case cases[] = {{2, 57, 23, {57, 23}},
                        {2, 60, 23, {59, 23}},
                        {2, 30, 10, {57, 20}},
                        {9, 240, 30, {253, 30}},
                        {1, 100, 40, {100, 40}}};
  for (const Case& c : cases) {
    const TRowSize size = RowNormalisedSize(c.count, c.width, c.height, min);
    EXPECT_EQ(size.width, c.expected.width) << c.count << " x " << c.width;
    EXPECT_EQ(size.height, c.expected.height) << c.count << " x " << c.width;
  }
  EXPECT_EQ(RowVisibleCount(Visible({})), 1);
  EXPECT_EQ(RowVisibleCount(Visible({btNext, btBack})), 2);
}

TEST(ButtonRowPicture, FocusStepsOverHiddenButtonsUpToTheEndOfTheRow) {
  const TRowButtons buttons = Visible({btPlay, btStop, btStep});
  EXPECT_EQ(RowNextFocus(buttons, btPlay, 1), btStop);
  EXPECT_EQ(RowNextFocus(buttons, btStop, 1), btStep);
  EXPECT_EQ(RowNextFocus(buttons, btStep, 1), btEject);  // hidden, but the end
  EXPECT_EQ(RowNextFocus(buttons, btEject, 1), btEject);
  EXPECT_EQ(RowNextFocus(buttons, btStep, -1), btStop);
  EXPECT_EQ(RowNextFocus(buttons, btPlay, -1), btPlay);
}

TEST(ButtonRowPicture, GlyphChoiceFollowsTheSetThatDecidesClicks) {
  TRowButton b;
  b.enabled = true;
  b.autoEnabled = false;
  b.colored = true;
  EXPECT_EQ(RowGlyphChoice(b, true, false), rgColored);
  EXPECT_EQ(RowGlyphChoice(b, true, true), rgDisabled);
  EXPECT_EQ(RowGlyphChoice(b, false, false), rgDisabled);
  b.colored = false;
  EXPECT_EQ(RowGlyphChoice(b, true, false), rgEnabled);
  b.enabled = false;
  b.autoEnabled = true;
  EXPECT_EQ(RowGlyphChoice(b, true, true), rgEnabled);
  EXPECT_EQ(RowClickable(b, true), true);
  EXPECT_EQ(RowClickable(b, false), false);
}

// Every glyph a 4 x 2 block of its own colour, with one transparent pixel.
TRowGlyphs BlockGlyphs() {
  TRowGlyphs glyphs;
  for (int b = 0; b < kRowButtonCount; ++b)
    for (int i = 0; i < 3; ++i) {
      glyphs[b][i] = PixelBuffer(4, 2, PixelRgb(b * 20, i * 100, 7));
      glyphs[b][i].Plot(0, 0, kRowGlyphTransparent);
    }
  return glyphs;
}

TEST(ButtonRowPicture, RaisedAndSunkenCellsWithCentredGlyphs) {
  const TRowGlyphs glyphs = BlockGlyphs();
  TRowState s;
  s.width = 21;
  s.height = 12;
  s.buttonWidth = 11;
  s.buttons = Visible({btPause, btNext});
  s.buttons[btNext].colored = false;
  s.autoEnable = false;
  s.pressed = btNext;
  s.pressInside = true;
  const TRowColours& c = s.colours;
  const PixelBuffer image = RowPicture(s, glyphs);

  // Pause, raised: glyph at 11 / 2 - 2, 12 / 2 - 1; bevel lit at top and left.
  EXPECT_EQ(PixelsOf(image, PixelRgb(20, 200, 7)), Without(Rect(3, 5, 7, 7), {{3, 5}}));
  EXPECT_EQ(image.Pixel(3, 5), c.face);
  EXPECT_EQ(image.Pixel(1, 1), c.highlight);
  EXPECT_EQ(image.Pixel(1, 10), c.highlight);
  EXPECT_EQ(image.Pixel(9, 10), c.shadow);
  EXPECT_EQ(image.Pixel(9, 2), c.shadow);
  // Next, sunken: the shared frame line at x = 10, glyph one pixel down and
  // right, no bottom-right shadow.
  for (int y = 0; y < 12; ++y) EXPECT_EQ(image.Pixel(10, y), c.frame) << y;
  EXPECT_EQ(PixelsOf(image, PixelRgb(60, 0, 7)), Without(Rect(14, 6, 18, 8), {{14, 6}}));
  EXPECT_EQ(image.Pixel(11, 1), c.shadow);
  EXPECT_EQ(image.Pixel(18, 10), c.face);
}

TEST(ButtonRowPicture, FocusMarkFollowsTheFocusedCellAndItsPress) {
  const TRowGlyphs glyphs = BlockGlyphs();
  TRowState s;
  s.width = 21;
  s.height = 12;
  s.buttonWidth = 11;
  s.buttons = Visible({btPlay, btStop});
  s.focused = btStop;
  const PixelBuffer unfocused = RowPicture(s, glyphs);
  s.hasFocus = true;
  const PixelBuffer focused = RowPicture(s, glyphs);
  s.pressed = btStop;
  s.pressInside = true;
  const PixelBuffer pressedFocused = RowPicture(s, glyphs);
  s.hasFocus = false;
  const PixelBuffer pressed = RowPicture(s, glyphs);

  auto changed = [](const PixelBuffer& a, const PixelBuffer& b) {
    Points points;
    for (int y = 0; y < a.Height(); ++y)
      for (int x = 0; x < a.Width(); ++x)
        if (a.Pixel(x, y) != b.Pixel(x, y)) points.insert({x, y});
    return points;
  };
  const Points mark = changed(unfocused, focused);
  ASSERT_FALSE(mark.empty());
  // Inside the focused cell's rectangle (13, 3)-(18, 9), not in Play's cell.
  for (const auto& p : mark) {
    EXPECT_GE(p.first, 13);
    EXPECT_LT(p.first, 18);
    EXPECT_GE(p.second, 3);
    EXPECT_LT(p.second, 9);
  }
  EXPECT_EQ(mark.count({13, 3}), 1u);
  EXPECT_EQ(mark.count({14, 3}), 0u);
  // A press moves the mark with the glyph, one pixel down and right.
  EXPECT_EQ(changed(pressed, pressedFocused), Moved(mark, 1, 1));
}

}  // namespace
