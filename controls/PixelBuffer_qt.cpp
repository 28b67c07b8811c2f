#include "PixelBuffer_qt.h"

#include <cstring>

QImage WrapAsImage(PixelBuffer& buffer) {
  if (buffer.Empty()) return QImage();
  return QImage(reinterpret_cast<uchar*>(buffer.Bits()), buffer.Width(), buffer.Height(),
                static_cast<qsizetype>(buffer.Stride()), QImage::Format_RGB32);
}

QImage ToImage(const PixelBuffer& buffer) {
  QImage image(buffer.Width(), buffer.Height(), QImage::Format_RGB32);
  for (int y = 0; y < buffer.Height(); ++y) std::memcpy(image.scanLine(y), buffer.Row(y), buffer.Stride());
  return image;
}

PixelBuffer ToPixelBuffer(const QImage& image) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  PixelBuffer buffer(rgb.width(), rgb.height());
  for (int y = 0; y < rgb.height(); ++y) std::memcpy(buffer.Row(y), rgb.constScanLine(y), buffer.Stride());
  return buffer;
}
