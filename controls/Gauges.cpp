#include "Gauges.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QPalette>

#include "Exceptions.h"
#include "GaugeText_qt.h"
#include "PixelBuffer_qt.h"

namespace {

const char kRangeMessage[] = "La valeur doit être comprise entre %d et %d";

// The system colours the gauge uses, taken from the application's theme.
QColor WindowFrameColor() { return QApplication::palette().color(QPalette::Active, QPalette::WindowText); }
QColor WindowColor() { return QApplication::palette().color(QPalette::Active, QPalette::Base); }

}  // namespace

void TBltBitmap::MakeLike(const QImage& tmpl) {
  QImage::operator=(QImage(tmpl.size(), QImage::Format_RGB32));
  fill(WindowFrameColor().rgb());
}

TGauge::TGauge(QWidget* owner) : QWidget(owner) {
  // Every pixel is painted by the gauge itself.
  setAttribute(Qt::WA_OpaquePaintEvent);
  resize(100, 100);
}

int TGauge::Percentage() const { return GaugePercentage(minValue_, maxValue_, progress_); }

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
  GaugeState state;
  state.width = width();
  state.height = height();
  state.kind = kind_;
  state.borderStyle = borderStyle_;
  state.percentage = Percentage();
  state.showText = showText_;
  state.foreColor = foreColor_.rgb();
  state.backColor = backColor_.rgb();
  state.color = Color().rgb();
  state.windowFrame = WindowFrameColor().rgb();
  FontTextPainter text(font());
  return ToImage(GaugePicture(state, &text));
}
