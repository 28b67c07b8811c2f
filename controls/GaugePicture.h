#pragma once
// The gauge's picture: its state turned into pixels, the same on every
// system. The face (TGauge) gathers the state, hands in a text painter that
// draws with the gauge's font, and copies the buffer to the screen.
//
// How a picture is made: the kind's drawing (bar, pie, needle or plain back
// colour, inside a one-pixel border when BorderStyle is bsSingle) goes into a
// black overlay that is XORed into a black picture, so the border stays black
// and the drawing keeps its colours. The percentage text, white on black in a
// second overlay, is XORed in last and so inverts whatever lies under it.

#include <cstdint>
#include <string>

#include "PixelBuffer.h"

enum class TGaugeKind : std::uint8_t { gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle };

enum class TBorderStyle : std::uint8_t { bsNone, bsSingle };

// The filled length of a bar of `length` pixels at `percentage` (0..100), as
// extended floating point (64-bit mantissa, round to nearest even after each
// step) computes percentage * c * length with c the extended value nearest
// 0.01, truncated toward zero. c lies just below 0.01, so exact multiples can
// come out one pixel short (5% of 100 is 4). Computed in integers, so the
// result is the same on every machine whatever its long double is.
// REQUIRES: 0 <= percentage <= 100.
int GaugeBarLength(int percentage, int length);

// (progress - minValue) * 100 / (maxValue - minValue), truncated and held
// within 0..100 (bounds out of order can only come from loading); 0 for an
// empty range.
int GaugePercentage(int minValue, int maxValue, int progress);

// Everything the picture depends on, colours already resolved.
struct GaugeState {
  int width = 0;
  int height = 0;
  TGaugeKind kind = TGaugeKind::gkHorizontalBar;
  TBorderStyle borderStyle = TBorderStyle::bsSingle;
  int percentage = 0;  // 0..100
  bool showText = true;
  PixelColour foreColor = PixelRgb(0, 0, 0);
  PixelColour backColor = PixelRgb(255, 255, 255);
  // The colour around the pie and the needle dial.
  PixelColour color = PixelRgb(255, 255, 255);
  // The system's window-frame colour, which a bitmap made like another
  // starts with.
  PixelColour windowFrame = PixelRgb(0, 0, 0);
};

// Measures and draws text in the face's font, whole pixels only: the text is
// inverted into the picture by XOR, and grey edges would turn into stray
// colours.
class GaugeTextPainter {
 public:
  virtual ~GaugeTextPainter() = default;
  // The text's cell: its advance width and the font's line height.
  virtual void Measure(const std::string& text, int& width, int& height) = 0;
  // Draws `text` in white on `into` with its cell's top left corner at
  // (x, y), touching only pixels inside (left, top)-(right, bottom).
  virtual void Draw(PixelBuffer& into, const std::string& text, int x, int y, int left, int top, int right,
                    int bottom) = 0;
};

// The whole picture, `state.width` x `state.height`. `text` may be null when
// state.showText is false.
PixelBuffer GaugePicture(const GaugeState& state, GaugeTextPainter* text);
