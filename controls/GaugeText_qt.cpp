#include "GaugeText_qt.h"

#include <QPainter>

#include "PixelBuffer_qt.h"

namespace {

QFont WholePixels(QFont font) {
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

}  // namespace

FontTextPainter::FontTextPainter(const QFont& font) : font_(WholePixels(font)), metrics_(font_) {}

void FontTextPainter::Measure(const std::string& text, int& width, int& height) {
  width = metrics_.horizontalAdvance(QString::fromStdString(text));
  height = metrics_.height();
}

void FontTextPainter::Draw(PixelBuffer& into, const std::string& text, int x, int y, int left, int top, int right,
                           int bottom) {
  QImage image = WrapAsImage(into);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::TextAntialiasing, false);
  painter.setFont(font_);
  painter.setPen(Qt::white);
  painter.setClipRect(QRect(left, top, right - left, bottom - top));
  painter.drawText(x, y + metrics_.ascent(), QString::fromStdString(text));
}
