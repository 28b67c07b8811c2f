#include "Gauges.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "Exceptions.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

const char kRangeMessage[] = "La valeur doit être comprise entre %d et %d";

// The system colours the gauge uses, taken from the application's theme.
QColor WindowFrameColor() { return QApplication::palette().color(QPalette::Active, QPalette::WindowText); }
QColor WindowColor() { return QApplication::palette().color(QPalette::Active, QPalette::Base); }

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

// ---------------------------------------------------------------------------
// Drawing on 32-bit images with exact pixels. Rectangles exclude their right
// and bottom edges; everything is clipped to the image.

class Surface {
 public:
  explicit Surface(QImage& image) : image_(image) {}

  void Plot(int x, int y, QRgb c) {
    if (x >= 0 && y >= 0 && x < image_.width() && y < image_.height())
      reinterpret_cast<QRgb*>(image_.scanLine(y))[x] = c;
  }

  void FillRect(int left, int top, int right, int bottom, QRgb c) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, image_.width());
    bottom = std::min(bottom, image_.height());
    for (int y = top; y < bottom; ++y) {
      QRgb* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
      for (int x = left; x < right; ++x) row[x] = c;
    }
  }

  // A line from the start point up to, not including, the end point.
  void Line(int x0, int y0, int x1, int y1, QRgb c) {
    const int dx = std::abs(x1 - x0);
    const int dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1;
    const int sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    while (x0 != x1 || y0 != y1) {
      Plot(x0, y0, c);
      const int e2 = 2 * err;
      if (e2 >= dy) {
        err += dy;
        x0 += sx;
      }
      if (e2 <= dx) {
        err += dx;
        y0 += sy;
      }
    }
  }

  // The ellipse inscribed in the box (left, top)-(right, bottom), outlined
  // with the pen and filled with the brush. When `slice` is set only the part
  // from the radial through (x3, y3) counterclockwise to the radial through
  // (x4, y4) is drawn (the whole ellipse when the radials coincide), and the
  // two radials are outlined too.
  void Pie(int left, int top, int right, int bottom, QRgb pen, QRgb brush, bool slice = false, int x3 = 0, int y3 = 0,
           int x4 = 0, int y4 = 0) {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    const int w = right - left;
    const int h = bottom - top;
    if (w <= 0 || h <= 0) return;
    const double cx = (left + right) / 2.0;
    const double cy = (top + bottom) / 2.0;
    const double a = w / 2.0;
    const double b = h / 2.0;
    const double startAngle = std::atan2(cy - (y3 + 0.5), (x3 + 0.5) - cx);
    const double endAngle = std::atan2(cy - (y4 + 0.5), (x4 + 0.5) - cx);
    const bool whole = !slice || startAngle == endAngle;
    const double span = Ccw(startAngle, endAngle);

    // Pixel classes over the box plus a one-pixel margin: 0 outside the
    // ellipse, 1 inside but outside the slice, 2 in the slice.
    const int gw = w + 2;
    const int gh = h + 2;
    std::vector<unsigned char> cls(static_cast<size_t>(gw) * gh, 0);
    for (int gy = 1; gy <= h; ++gy) {
      for (int gx = 1; gx <= w; ++gx) {
        const int x = left + gx - 1;
        const int y = top + gy - 1;
        const double px = (x + 0.5) - cx;
        const double py = cy - (y + 0.5);
        if ((px / a) * (px / a) + (py / b) * (py / b) > 1.0) continue;
        bool in = whole || Ccw(startAngle, std::atan2(py, px)) <= span;
        cls[static_cast<size_t>(gy) * gw + gx] = in ? 2 : 1;
      }
    }
    for (int gy = 1; gy <= h; ++gy) {
      for (int gx = 1; gx <= w; ++gx) {
        const unsigned char k = cls[static_cast<size_t>(gy) * gw + gx];
        if (k == 0) continue;
        const unsigned char n[4] = {
            cls[static_cast<size_t>(gy - 1) * gw + gx], cls[static_cast<size_t>(gy + 1) * gw + gx],
            cls[static_cast<size_t>(gy) * gw + gx - 1], cls[static_cast<size_t>(gy) * gw + gx + 1]};
        bool edge = false;
        for (unsigned char c : n) {
          // The arc: slice pixels next to the outside. The radials: pixels
          // just outside the slice, so the slice keeps its full area.
          if (k == 2 && c == 0) edge = true;
          if (k == 1 && c == 2) edge = true;
        }
        const int x = left + gx - 1;
        const int y = top + gy - 1;
        if (edge)
          Plot(x, y, pen);
        else if (k == 2)
          Plot(x, y, brush);
      }
    }
  }

 private:
  // The counterclockwise turn from angle `from` to angle `to`, in [0, 2 pi).
  static double Ccw(double from, double to) {
    double d = std::fmod(to - from, 2 * kPi);
    if (d < 0) d += 2 * kPi;
    return d;
  }

  QImage& image_;
};

// Combines `from` into `into` pixel by pixel with a bitwise XOR of the colour.
void XorInto(QImage& into, const QImage& from) {
  for (int y = 0; y < into.height(); ++y) {
    QRgb* dst = reinterpret_cast<QRgb*>(into.scanLine(y));
    const QRgb* src = reinterpret_cast<const QRgb*>(from.constScanLine(y));
    for (int x = 0; x < into.width(); ++x) dst[x] ^= src[x] & 0x00FFFFFFu;
  }
}

int RoundEven(double v) { return static_cast<int>(std::lrint(v)); }

}  // namespace

void TBltBitmap::MakeLike(const QImage& tmpl) {
  QImage::operator=(QImage(tmpl.size(), QImage::Format_RGB32));
  fill(WindowFrameColor().rgb());
}

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

TGauge::TGauge(QWidget* owner) : QWidget(owner) {
  // Every pixel is painted by the gauge itself.
  setAttribute(Qt::WA_OpaquePaintEvent);
  resize(100, 100);
}

int TGauge::Percentage() const {
  const long long range = static_cast<long long>(maxValue_) - minValue_;
  if (range == 0) return 0;
  const long long p = (static_cast<long long>(progress_) - minValue_) * 100 / range;
  // Only bounds stored out of order while loading can bring it outside.
  return static_cast<int>(std::clamp(p, 0LL, 100LL));
}

void TGauge::RepaintNow() {
  // The commands that move the gauge do not return to the event loop while
  // they work, so the new picture must be on screen before the setter returns.
  repaint();
}

void TGauge::SetProgress(int value) {
  const int before = Percentage();
  if (value < minValue_)
    value = minValue_;
  else if (value > maxValue_)
    value = maxValue_;
  if (value == progress_) return;
  progress_ = value;
  if (Percentage() != before) RepaintNow();
}

void TGauge::SetMinValue(int value) {
  if (value == minValue_) return;
  if (value > maxValue_ && !Loading())
    throw EInvalidOperation(
        Format(kRangeMessage, -2147483647, static_cast<int>(static_cast<long long>(maxValue_) - 1)));
  minValue_ = value;
  if (progress_ < value) progress_ = value;
  RepaintNow();
}

void TGauge::SetMaxValue(int value) {
  if (value == maxValue_) return;
  if (value < minValue_ && !Loading())
    throw EInvalidOperation(Format(kRangeMessage, static_cast<int>(static_cast<long long>(minValue_) + 1), 2147483647));
  maxValue_ = value;
  if (progress_ > value) progress_ = value;
  RepaintNow();
}

void TGauge::SetKind(TGaugeKind value) {
  if (value == kind_) return;
  kind_ = value;
  RepaintNow();
}

void TGauge::SetShowText(bool value) {
  if (value == showText_) return;
  showText_ = value;
  RepaintNow();
}

void TGauge::SetBorderStyle(TBorderStyle value) {
  if (value == borderStyle_) return;
  borderStyle_ = value;
  RepaintNow();
}

void TGauge::SetForeColor(const QColor& value) {
  if (value == foreColor_) return;
  foreColor_ = value;
  RepaintNow();
}

void TGauge::SetBackColor(const QColor& value) {
  if (value == backColor_) return;
  backColor_ = value;
  RepaintNow();
}

QColor TGauge::Color() const {
  if (!parentColor_) return color_;
  if (const QWidget* parent = parentWidget())
    return parent->palette().color(QPalette::Active, parent->backgroundRole());
  return WindowColor();
}

void TGauge::SetColor(const QColor& value) {
  const bool changed = parentColor_ || value != color_;
  color_ = value;
  parentColor_ = false;
  if (changed) update();
}

void TGauge::SetParentColor(bool value) {
  if (value == parentColor_) return;
  if (!value) color_ = Color();
  parentColor_ = value;
  update();
}

void TGauge::changeEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::PaletteChange:
    case QEvent::ParentChange:
      update();
      break;
    default:
      break;
  }
  QWidget::changeEvent(event);
}

void TGauge::paintEvent(QPaintEvent*) {
  ++paintCount_;
  const QImage image = Paint();
  QPainter painter(this);
  painter.drawImage(0, 0, image);
}

QImage TGauge::Paint() const {
  const int width = this->width();
  const int height = this->height();
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(0);

  int l = 0, t = 0, r = width, b = height;
  if (borderStyle_ == TBorderStyle::bsSingle) {
    ++l;
    ++t;
    --r;
    --b;
  }

  TBltBitmap overlay;
  overlay.MakeLike(image);
  overlay.fill(0);
  Surface canvas(overlay);
  const QRgb fore = foreColor_.rgb();
  const QRgb back = backColor_.rgb();
  const int percent = Percentage();
  const int single = borderStyle_ == TBorderStyle::bsSingle ? 1 : 0;

  switch (kind_) {
    case TGaugeKind::gkText:
      canvas.FillRect(l, t, r, b, back);
      break;
    case TGaugeKind::gkHorizontalBar:
    case TGaugeKind::gkVerticalBar: {
      canvas.FillRect(l, t, r, b, back);
      const int w = r - l + 1;
      const int h = b - t + 1;
      // The right and bottom edges are absolute coordinates, not offsets.
      if (kind_ == TGaugeKind::gkHorizontalBar) {
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
      canvas.FillRect(l, t, r, b, Color().rgb());
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
      canvas.FillRect(l, t, r, b, Color().rgb());
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

  XorInto(image, overlay);

  if (showText_ && !image.isNull()) {
    const QString text = QString::asprintf("%d%%", percent);
    TBltBitmap textImage;
    textImage.MakeLike(image);
    textImage.fill(0);
    // Whole pixels only: the text is inverted into the picture by XOR, and
    // grey edges would turn into stray colours.
    QFont textFont = font();
    textFont.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics metrics(textFont);
    const int x = (r - l + 1 - metrics.horizontalAdvance(text)) / 2;
    const int y = (b - t + 1 - metrics.height()) / 2;
    {
      QPainter painter(&textImage);
      painter.setRenderHint(QPainter::TextAntialiasing, false);
      painter.setFont(textFont);
      painter.setPen(Qt::white);
      painter.setClipRect(QRect(l, t, r - l, b - t));
      painter.drawText(x, y + metrics.ascent(), text);
    }
    XorInto(image, textImage);
  }
  return image;
}
