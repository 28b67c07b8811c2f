#pragma once
// PixelBuffer: the off-screen picture the window's own controls draw into,
// with the platform's pixel rules, before one copy to the screen.
//
// Memory layout: `Width() * Height()` 32-bit pixels, top row first, each row
// `Width() * 4` bytes with no padding; a pixel is 0xFFRRGGBB in the machine's
// (little-endian) order, so the bytes are B, G, R, 0xFF. That is both a Qt
// RGB32 image and a top-down 32-bit DIB section, and a face wraps or copies
// the buffer without converting a pixel.
//
// Coordinates: a rectangle (left, top)-(right, bottom) covers left..right-1 and
// top..bottom-1; a line leaves out its end point. Everything is clipped to the
// buffer, so callers may draw partly or wholly outside it.

#include <cstddef>
#include <cstdint>
#include <vector>

// A colour as 0xFFRRGGBB; the top byte is always 0xFF in a drawn picture.
using PixelColour = std::uint32_t;

constexpr PixelColour PixelRgb(int r, int g, int b) {
  return 0xFF000000u | (static_cast<std::uint32_t>(r & 0xFF) << 16) | (static_cast<std::uint32_t>(g & 0xFF) << 8) |
         static_cast<std::uint32_t>(b & 0xFF);
}

class PixelBuffer {
 public:
  PixelBuffer() = default;
  // REQUIRES: width >= 0, height >= 0.
  PixelBuffer(int width, int height, PixelColour fill = 0xFF000000u);

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }
  // Bytes from one row to the next.
  std::size_t Stride() const { return static_cast<std::size_t>(width_) * 4; }

  // The first pixel of the top row; null for an empty buffer.
  std::uint32_t* Bits() { return pixels_.empty() ? nullptr : pixels_.data(); }
  const std::uint32_t* Bits() const { return pixels_.empty() ? nullptr : pixels_.data(); }
  // REQUIRES: 0 <= y < Height().
  std::uint32_t* Row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
  const std::uint32_t* Row(int y) const { return pixels_.data() + static_cast<std::size_t>(y) * width_; }

  // REQUIRES: the point lies in the buffer.
  PixelColour Pixel(int x, int y) const { return Row(y)[x]; }
  // Outside the buffer: nothing.
  void Plot(int x, int y, PixelColour c);

  void Fill(PixelColour c);
  // Takes `tmpl`'s width and height and fills the whole surface with `c`.
  void MakeLike(const PixelBuffer& tmpl, PixelColour c);
  void FillRect(int left, int top, int right, int bottom, PixelColour c);
  // The one-pixel outline of the rectangle; nothing for an empty rectangle.
  void FrameRect(int left, int top, int right, int bottom, PixelColour c);
  // Any direction (Bresenham), from (x0, y0) up to, not including, (x1, y1).
  void Line(int x0, int y0, int x1, int y1, PixelColour c);

  // The ellipse inscribed in the box (left, top)-(right, bottom), outlined
  // with `pen` and filled with `brush`. With `slice` set only the part from
  // the radial through (x3, y3) counterclockwise to the radial through
  // (x4, y4) is drawn (the whole ellipse when the radials coincide), and the
  // two radials are outlined too.
  void Pie(int left, int top, int right, int bottom, PixelColour pen, PixelColour brush, bool slice = false, int x3 = 0,
           int y3 = 0, int x4 = 0, int y4 = 0);

  // Each pixel's colour XORed with the same pixel of `from`; the top byte
  // stays. REQUIRES: `from` has this buffer's size.
  void XorFrom(const PixelBuffer& from);

  // The dotted focus mark: the outline pixels with even x + y inverted.
  void InvertDottedFrame(int left, int top, int right, int bottom);

  // Copies `glyph` with its top left corner at (x, y), its `transparent`
  // pixels written as `background`. The glyph's top bytes are ignored.
  void CopyGlyph(const PixelBuffer& glyph, int x, int y, PixelColour transparent, PixelColour background);

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint32_t> pixels_;
};
