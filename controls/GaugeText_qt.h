#pragma once
// The gauge's text in a widget's font, without grey edges, drawn white into
// the picture (the gauge's XOR turns it to the colours over which it lies).

#include <QFont>
#include <QFontMetrics>
#include <string>

#include "GaugePicture.h"

class FontTextPainter : public GaugeTextPainter {
 public:
  explicit FontTextPainter(const QFont& font);
  void Measure(const std::string& text, int& width, int& height) override;
  void Draw(PixelBuffer& into, const std::string& text, int x, int y, int left, int top, int right,
            int bottom) override;

 private:
  QFont font_;
  QFontMetrics metrics_;
};
