#pragma once
// TGauge: the progress gauge. It shows how far Progress has come between
// MinValue and MaxValue as a whole-number percentage, drawn as text, a bar, a
// pie or a needle dial with the percentage written over it.
//
// The commands that drive it run inside a button handler and never return to
// the event loop while they work, so the setters of the bounds, Progress, Kind,
// ShowText, BorderStyle, ForeColor and BackColor paint the gauge synchronously
// (QWidget::repaint) before they return. A Progress change paints only when the
// whole-number percentage changes, so a caller may set Progress once per block
// and pay for at most 101 paints. Color and ParentColor, which no command
// changes while it works, only schedule a paint (QWidget::update).
//
// The pixels come from GaugePicture (shared with the Windows build); this
// class holds the state, resolves the colours, draws the text with the
// widget's font and copies the picture to the widget in one operation. The
// widget is opaque (nothing behind it is erased first).

#include <QImage>
#include <QWidget>
#include <cstdint>

#include "CommandPorts.h"
#include "GaugePicture.h"

// The bitmap of the overlay and of the text: MakeLike takes the template's
// size and fills the whole surface with the window-frame system colour.
class TBltBitmap : public QImage {
 public:
  void MakeLike(const QImage& tmpl);
};

class TGauge : public QWidget, public IProgressGauge {
 public:
  // A new gauge is 100 x 100 pixels, 0..100, Progress 0, a horizontal bar with
  // a single border, black on white, with the text shown.
  explicit TGauge(QWidget* owner = nullptr);

  // The bounds. Outside loading, a bound that would cross the other raises
  // EInvalidOperation and changes nothing; an equal bound is accepted.
  // Progress follows a bound that moves past it. Both paint at once.
  int MinValue() const { return minValue_; }
  void SetMinValue(int value);
  int MaxValue() const override { return maxValue_; }
  void SetMaxValue(int value) override;

  // Clamped into the bounds; never an error.
  int Progress() const override { return progress_; }
  void SetProgress(int value) override;

  TGaugeKind Kind() const { return kind_; }
  void SetKind(TGaugeKind value);
  bool ShowText() const { return showText_; }
  void SetShowText(bool value);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle value);
  QColor ForeColor() const { return foreColor_; }
  void SetForeColor(const QColor& value);
  QColor BackColor() const { return backColor_; }
  void SetBackColor(const QColor& value);

  // The colour around the pie and needle drawings. While ParentColor is true
  // it is the parent's background colour (the window colour without parent).
  QColor Color() const;
  void SetColor(const QColor& value);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool value);

  // (Progress - MinValue) * 100 / (MaxValue - MinValue), truncated; 0 for an
  // empty range. Always within 0..100.
  int Percentage() const;

  // While the window applies stored properties, the bound checks are off so
  // the bounds can be given in any order; clamping of Progress still applies.
  // Calls nest.
  void BeginLoading() { ++loading_; }
  void EndLoading() {
    if (loading_ > 0) --loading_;
  }
  bool Loading() const { return loading_ > 0; }

  // The gauge's whole picture at its current size and state.
  QImage Paint() const;

  // How many times the widget has been painted (for tests and diagnostics).
  int PaintCount() const { return paintCount_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void RepaintNow();

  int minValue_ = 0;
  int maxValue_ = 100;
  int progress_ = 0;
  TGaugeKind kind_ = TGaugeKind::gkHorizontalBar;
  bool showText_ = true;
  TBorderStyle borderStyle_ = TBorderStyle::bsSingle;
  QColor foreColor_ = Qt::black;
  QColor backColor_ = Qt::white;

  QColor color_;
  bool parentColor_ = true;
  int loading_ = 0;
  int paintCount_ = 0;
};
