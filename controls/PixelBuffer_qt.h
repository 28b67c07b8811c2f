#pragma once
// The Qt side of PixelBuffer: the buffer's layout is QImage::Format_RGB32's,
// so these only copy memory, never convert a pixel.

#include <QImage>

#include "PixelBuffer.h"

// A QImage that draws straight into `buffer`'s memory. REQUIRES: the buffer
// outlives the image and is not resized while the image exists.
QImage WrapAsImage(PixelBuffer& buffer);

// A copy of `buffer` as an image of its own.
QImage ToImage(const PixelBuffer& buffer);

// A copy of `image`, converted to RGB32 first if it is in another format.
PixelBuffer ToPixelBuffer(const QImage& image);
