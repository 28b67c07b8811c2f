#include "PixelBuffer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr double kPi = 3.14159265358979323846;

// The counterclockwise turn from angle `from` to angle `to`, in [0, 2 pi).
double Ccw(double from, double to) {
  double d = std::fmod(to - from, 2 * kPi);
  if (d < 0) d += 2 * kPi;
  return d;
}

}  // namespace

PixelBuffer::PixelBuffer(int width, int height, PixelColour fill)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      pixels_(static_cast<std::size_t>(width_) * height_, fill) {}

void PixelBuffer::Plot(int x, int y, PixelColour c) {
  if (x >= 0 && y >= 0 && x < width_ && y < height_) Row(y)[x] = c;
}

void PixelBuffer::Fill(PixelColour c) { std::fill(pixels_.begin(), pixels_.end(), c); }

void PixelBuffer::MakeLike(const PixelBuffer& tmpl, PixelColour c) {
  width_ = tmpl.width_;
  height_ = tmpl.height_;
  pixels_.assign(tmpl.pixels_.size(), c);
}

void PixelBuffer::FillRect(int left, int top, int right, int bottom, PixelColour c) {
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, width_);
  bottom = std::min(bottom, height_);
  for (int y = top; y < bottom; ++y) {
    std::uint32_t* row = Row(y);
    for (int x = left; x < right; ++x) row[x] = c;
  }
}

void PixelBuffer::FrameRect(int left, int top, int right, int bottom, PixelColour c) {
  if (right <= left || bottom <= top) return;
  FillRect(left, top, right, top + 1, c);
  FillRect(left, bottom - 1, right, bottom, c);
  FillRect(left, top, left + 1, bottom, c);
  FillRect(right - 1, top, right, bottom, c);
}

void PixelBuffer::Line(int x0, int y0, int x1, int y1, PixelColour c) {
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

void PixelBuffer::Pie(int left, int top, int right, int bottom, PixelColour pen, PixelColour brush, bool slice, int x3,
                      int y3, int x4, int y4) {
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
  std::vector<unsigned char> cls(static_cast<std::size_t>(gw) * gh, 0);
  auto at = [&](int gx, int gy) -> unsigned char& { return cls[static_cast<std::size_t>(gy) * gw + gx]; };
  for (int gy = 1; gy <= h; ++gy) {
    for (int gx = 1; gx <= w; ++gx) {
      const int x = left + gx - 1;
      const int y = top + gy - 1;
      const double px = (x + 0.5) - cx;
      const double py = cy - (y + 0.5);
      if ((px / a) * (px / a) + (py / b) * (py / b) > 1.0) continue;
      const bool in = whole || Ccw(startAngle, std::atan2(py, px)) <= span;
      at(gx, gy) = in ? 2 : 1;
    }
  }
  for (int gy = 1; gy <= h; ++gy) {
    for (int gx = 1; gx <= w; ++gx) {
      const unsigned char k = at(gx, gy);
      if (k == 0) continue;
      const unsigned char n[4] = {at(gx, gy - 1), at(gx, gy + 1), at(gx - 1, gy), at(gx + 1, gy)};
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

void PixelBuffer::XorFrom(const PixelBuffer& from) {
  const std::size_t n = std::min(pixels_.size(), from.pixels_.size());
  for (std::size_t i = 0; i < n; ++i) pixels_[i] ^= from.pixels_[i] & 0x00FFFFFFu;
}

void PixelBuffer::InvertDottedFrame(int left, int top, int right, int bottom) {
  if (right <= left || bottom <= top) return;
  auto invert = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    if ((x + y) % 2 != 0) return;
    Row(y)[x] ^= 0x00FFFFFFu;
  };
  for (int x = left; x < right; ++x) {
    invert(x, top);
    if (bottom - 1 != top) invert(x, bottom - 1);
  }
  for (int y = top + 1; y < bottom - 1; ++y) {
    invert(left, y);
    if (right - 1 != left) invert(right - 1, y);
  }
}

void PixelBuffer::CopyGlyph(const PixelBuffer& glyph, int x, int y, PixelColour transparent, PixelColour background) {
  for (int gy = 0; gy < glyph.Height(); ++gy) {
    const int ty = y + gy;
    if (ty < 0 || ty >= height_) continue;
    const std::uint32_t* src = glyph.Row(gy);
    std::uint32_t* dst = Row(ty);
    for (int gx = 0; gx < glyph.Width(); ++gx) {
      const int tx = x + gx;
      if (tx < 0 || tx >= width_) continue;
      const PixelColour p = src[gx] | 0xFF000000u;
      dst[tx] = p == (transparent | 0xFF000000u) ? background : p;
    }
  }
}
