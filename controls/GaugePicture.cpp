#include "GaugePicture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr double kPi = 3.14159265358979323846;

// ---------------------------------------------------------------------------
// Extended-precision arithmetic of the bar length, in integers.
//
// An extended value is M * 2^E with a 64-bit mantissa M (top bit set unless
// the value is zero). The constant nearest 0.01 is 11805916207174113034 *
// 2^-70, a little below 0.01.

using u128 = unsigned __int128;

constexpr std::uint64_t kHundredthMantissa = 11805916207174113034ull;
constexpr int kHundredthExponent = -70;

int BitLength(u128 v) {
  const std::uint64_t hi = static_cast<std::uint64_t>(v >> 64);
  const std::uint64_t lo = static_cast<std::uint64_t>(v);
  if (hi != 0) return 128 - __builtin_clzll(hi);
  if (lo != 0) return 64 - __builtin_clzll(lo);
  return 0;
}

// Rounds v * 2^exp to a 64-bit mantissa, nearest even, as the FPU does.
void RoundToExtended(u128 v, int exp, std::uint64_t& mantissa, int& exponent) {
  const int bits = BitLength(v);
  if (bits <= 64) {
    mantissa = static_cast<std::uint64_t>(v);
    exponent = exp;
    return;
  }
  const int shift = bits - 64;
  u128 m = v >> shift;
  const u128 rest = v & ((u128{1} << shift) - 1);
  const u128 half = u128{1} << (shift - 1);
  if (rest > half || (rest == half && (m & 1) != 0)) ++m;
  int e = exp + shift;
  if (BitLength(m) > 64) {
    m >>= 1;
    ++e;
  }
  mantissa = static_cast<std::uint64_t>(m);
  exponent = e;
}

int RoundEven(double v) { return static_cast<int>(std::lrint(v)); }

}  // namespace

int GaugeBarLength(int percentage, int length) {
  if (percentage <= 0 || length == 0) return 0;
  // q = p * c, rounded to extended.
  std::uint64_t qm;
  int qe;
  RoundToExtended(u128{static_cast<unsigned>(percentage)} * kHundredthMantissa, kHundredthExponent, qm, qe);
  // q * n, rounded to extended, then truncated toward zero. Rounding to
  // nearest is symmetric, so a negative length gives the negated result.
  const std::uint64_t n = static_cast<std::uint64_t>(std::llabs(static_cast<long long>(length)));
  std::uint64_t rm;
  int re;
  RoundToExtended(u128{qm} * n, qe, rm, re);
  std::uint64_t whole;
  if (re >= 0)
    whole = rm << re;  // not reached for p <= 100: the product never exceeds n
  else
    whole = re <= -64 ? 0 : rm >> -re;
  const long long r = static_cast<long long>(whole);
  return static_cast<int>(length < 0 ? -r : r);
}

int GaugePercentage(int minValue, int maxValue, int progress) {
  const long long range = static_cast<long long>(maxValue) - minValue;
  if (range == 0) return 0;
  const long long p = (static_cast<long long>(progress) - minValue) * 100 / range;
  return static_cast<int>(std::clamp(p, 0LL, 100LL));
}

PixelBuffer GaugePicture(const GaugeState& s, GaugeTextPainter* text) {
  const int width = s.width;
  const int height = s.height;
  PixelBuffer image(width, height, PixelRgb(0, 0, 0));

  int l = 0, t = 0, r = width, b = height;
  if (s.borderStyle == TBorderStyle::bsSingle) {
    ++l;
    ++t;
    --r;
    --b;
  }

  // The overlays are bitmaps made like the picture, then cleared to black:
  // XOR with black leaves the picture as it is.
  PixelBuffer canvas;
  canvas.MakeLike(image, s.windowFrame);
  canvas.Fill(PixelRgb(0, 0, 0));
  const PixelColour fore = s.foreColor;
  const PixelColour back = s.backColor;
  const int percent = s.percentage;
  const int single = s.borderStyle == TBorderStyle::bsSingle ? 1 : 0;

  switch (s.kind) {
    case TGaugeKind::gkText:
      canvas.FillRect(l, t, r, b, back);
      break;
    case TGaugeKind::gkHorizontalBar:
    case TGaugeKind::gkVerticalBar: {
      canvas.FillRect(l, t, r, b, back);
      const int w = r - l + 1;
      const int h = b - t + 1;
      // The right and bottom edges are absolute coordinates, not offsets.
      if (s.kind == TGaugeKind::gkHorizontalBar) {
        int f = GaugeBarLength(percent, w);
        if (f > w) f = w;
        if (f >= 1) canvas.FillRect(l, t, f, h, fore);
      } else {
        int f = GaugeBarLength(percent, h);
        if (f >= h) f = h - 1;
        canvas.FillRect(l, h - f, w, h, fore);
      }
      break;
    }
    case TGaugeKind::gkPie: {
      const int w = r - l + single;
      const int h = b - t + single;
      canvas.FillRect(l, t, r, b, s.color);
      if (percent <= 0) {
        canvas.Pie(l, t, w, h, fore, back);
      } else {
        const int mx = w / 2;
        const int my = h / 2;
        const double angle = (percent / 50.0 + 0.5) * kPi;
        const int x3 = RoundEven(mx * (1 - std::cos(angle)));
        const int y3 = RoundEven(my * (1 - std::sin(angle)));
        // Outline and fill of the slice are both the fore colour; the rest of
        // the ellipse keeps the back colour.
        canvas.Pie(l, t, w, h, fore, back);
        canvas.Pie(l, t, w, h, fore, fore, true, x3, y3, mx, 0);
      }
      break;
    }
    case TGaugeKind::gkNeedle: {
      const int w = r - l + single;
      const int h = b - t + single;
      canvas.FillRect(l, t, r, b, s.color);
      canvas.Pie(l, t, w, 2 * h - 1, fore, back, true, l + w, b - 1, l, b - 1);
      canvas.Line(l, b, l + w, b, fore);
      if (percent > 0) {
        const int mx = width / 2;
        const double angle = percent / 100.0 * kPi;
        canvas.Line(mx, b - 1, RoundEven(mx * (1 - std::cos(angle))), RoundEven((b - 1) * (1 - std::sin(angle))), fore);
      }
      break;
    }
  }

  image.XorFrom(canvas);

  if (s.showText && text != nullptr && !image.Empty()) {
    char label[16];
    std::snprintf(label, sizeof label, "%d%%", percent);
    int textWidth = 0, textHeight = 0;
    text->Measure(label, textWidth, textHeight);
    const int x = (r - l + 1 - textWidth) / 2;
    const int y = (b - t + 1 - textHeight) / 2;
    PixelBuffer glyphs;
    glyphs.MakeLike(image, s.windowFrame);
    glyphs.Fill(PixelRgb(0, 0, 0));
    text->Draw(glyphs, label, x, y, l, t, r, b);
    image.XorFrom(glyphs);
  }
  return image;
}
