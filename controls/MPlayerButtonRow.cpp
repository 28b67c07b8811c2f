// The transport button row of TMediaPlayer on Qt: loading the glyphs, the
// system colours, mouse and keys, and the copy of the row's picture to the
// widget. The rules and pixels are in ButtonRowPicture; the device side is the
// shared TMediaPlayerDevice (MediaPlayerDevice.cpp) with its Qt face in
// MPlayer.cpp.
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

#include "Application.h"
#include "MPlayer.h"
#include "PixelBuffer_qt.h"

// The glyphs live in this static library; their registration must be pulled in
// by hand (and from the global namespace).
static void InitGlyphResources() { Q_INIT_RESOURCE(glyphs); }

namespace {

// The glyph files of a button, in the order of TRowGlyph.
const char* const kGlyphPrefixes[] = {"EN", "DI", "CL"};
const char* const kButtonNames[] = {"MPPLAY", "MPPAUSE", "MPSTOP",   "MPNEXT", "MPPREV",
                                    "MPSTEP", "MPBACK",  "MPRECORD", "MPEJECT"};

// The system colours of the button row, from the palette's active group: a
// disabled row shows its disabled glyphs and nothing else changes, so the face,
// frame and bevel must not follow the widget into its disabled group.
QRgb SystemColour(const QWidget* w, QPalette::ColorRole role) {
  return w->palette().color(QPalette::Active, role).rgb();
}
QRgb BtnFace(const QWidget* w) { return SystemColour(w, QPalette::Button); }
QRgb BtnShadow(const QWidget* w) { return SystemColour(w, QPalette::Dark); }
QRgb BtnHighlight(const QWidget* w) { return SystemColour(w, QPalette::Light); }
QRgb WindowFrame(const QWidget* w) { return SystemColour(w, QPalette::WindowText); }

}  // namespace

// ---------------------------------------------------------------------------
// Glyphs and component life

void TMediaPlayer::LoadGlyphs() {
  InitGlyphResources();
  for (int b = 0; b < kRowButtonCount; ++b) {
    for (int i = 0; i < 3; ++i) {
      const QString name = QString::fromStdString(Format("%s_%s", kGlyphPrefixes[i], kButtonNames[b]));
      QImage glyph(":/glyphs/" + name);
      // Missing pictures are a broken build, not a user error.
      if (glyph.isNull()) throw Exception("Glyph resource missing: " + name.toStdString());
      glyphImages_[b][i] = glyph.convertToFormat(QImage::Format_RGB32);
      glyphs_[b][i] = ToPixelBuffer(glyphImages_[b][i]);
    }
  }
  const TRowSize min = RowMinButtonSize(glyphs_);
  minButtonSize_ = QPoint(min.width, min.height);
}

void TMediaPlayer::Updating() { updating_ = true; }

void TMediaPlayer::Updated() {
  updating_ = false;
  ResizeToButtons();
}

// ---------------------------------------------------------------------------
// Button sets and size

void TMediaPlayer::SetVisibleButtons(TButtonSet value) {
  visibleButtons_ = value;
  for (int b = 0; b < 9; ++b) buttons_[b].visible = value.Contains(TMPBtnType(b));
  if (updating_) {
    buttonWidth_ = RowButtonWidth(width(), RowVisibleCount(buttons_));
    update();
  } else {
    ResizeToButtons();
  }
}

void TMediaPlayer::SetEnabledButtons(TButtonSet value) {
  enabledButtons_ = value;
  for (int b = 0; b < 9; ++b) buttons_[b].enabled = value.Contains(TMPBtnType(b));
  update();
}

void TMediaPlayer::SetColoredButtons(TButtonSet value) {
  coloredButtons_ = value;
  for (int b = 0; b < 9; ++b) buttons_[b].colored = value.Contains(TMPBtnType(b));
  update();
}

void TMediaPlayer::SetAutoEnable(bool value) {
  if (value == device_.AutoEnable()) return;
  device_.SetAutoEnable(value);
  if (value)
    DrawAutoButtons();
  else
    SetEnabledButtons(enabledButtons_);
}

void TMediaPlayer::SetTabStop(bool value) { setFocusPolicy(value ? Qt::TabFocus : Qt::NoFocus); }

void TMediaPlayer::ResizeToButtons() {
  SetBounds(x(), y(), RowWidth(RowVisibleCount(buttons_), buttonWidth_), height());
  update();
}

void TMediaPlayer::SetBounds(int left, int top, int w, int h) {
  setGeometry(left, top, w, h);
  // A hidden widget gets its resize event only when shown; the cells must be
  // right before that, so the rule runs here too.
  ApplySizeRule();
}

void TMediaPlayer::ApplySizeRule() {
  if (updating_) return;
  const int n = RowVisibleCount(buttons_);
  buttonWidth_ = RowButtonWidth(width(), n);
  const TRowSize size = RowNormalisedSize(n, width(), height(), {minButtonSize_.x(), minButtonSize_.y()});
  if (size.width != width() || size.height != height()) SetBounds(x(), y(), size.width, size.height);
}

void TMediaPlayer::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Guarded([&] { ApplySizeRule(); });
}

void TMediaPlayer::DrawAutoButtons() {
  for (int b = 0; b < 9; ++b) buttons_[b].autoEnabled = device_.AutoButtons().Contains(TMPBtnType(b));
  update();
}

// ---------------------------------------------------------------------------
// Painting

TRowState TMediaPlayer::RowState() const {
  TRowState state;
  state.width = width();
  state.height = height();
  state.buttonWidth = buttonWidth_;
  state.buttons = buttons_;
  state.controlEnabled = isEnabled();
  state.autoEnable = device_.AutoEnable();
  state.hasFocus = hasFocus();
  state.focused = focusedButton_;
  state.pressed = device_.PressedButton();
  state.pressInside = pressInside_;
  state.colours.face = BtnFace(this);
  state.colours.shadow = BtnShadow(this);
  state.colours.highlight = BtnHighlight(this);
  state.colours.frame = WindowFrame(this);
  return state;
}

void TMediaPlayer::paintEvent(QPaintEvent*) {
  // Drawn whole off screen first: exact pixels, one copy to the screen.
  PixelBuffer picture = RowPicture(RowState(), glyphs_);
  QPainter painter(this);
  painter.drawImage(0, 0, WrapAsImage(picture));
}

// ---------------------------------------------------------------------------
// Mouse and keys

void TMediaPlayer::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  Guarded([&] { Press(static_cast<int>(event->position().x())); });
}

void TMediaPlayer::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mouseDoubleClickEvent(event);
  Guarded([&] { Press(static_cast<int>(event->position().x())); });
}

void TMediaPlayer::Press(int pointerX) {
  TMPBtnType button;
  int cellLeft;
  if (!RowHitTest(buttons_, buttonWidth_, pointerX, button, cellLeft)) return;
  if (!RowClickable(buttons_[button], device_.AutoEnable())) return;
  device_.SetPressedButton(button);
  if (button != focusedButton_) focusedButton_ = button;
  pressedRect_ = QRect(cellLeft, 0, buttonWidth_, height());
  pressActive_ = true;
  pressInside_ = true;
  // Shown sunken at once, before the button is let go.
  repaint();
}

void TMediaPlayer::mouseMoveEvent(QMouseEvent* event) {
  Guarded([&] {
    if (!pressActive_) return;
    const bool inside = pressedRect_.contains(event->position().toPoint());
    if (inside != pressInside_) {
      pressInside_ = inside;
      repaint();
    }
  });
}

void TMediaPlayer::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
  Guarded([&] {
    const bool dispatch = pressActive_ && pressInside_;
    // Cleared before the operation runs: an error it raises must not leave the
    // row believing a press is still going on.
    pressActive_ = false;
    if (!dispatch) return;
    pressInside_ = false;
    repaint();
    device_.ClickDispatch();
    if (device_.AutoEnable() && device_.LastError() == 0 && device_.IsOpen()) {
      UpdateAutoButtons(device_.PressedButton());
      DrawAutoButtons();
    }
  });
}

void TMediaPlayer::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Right:
    case Qt::Key_Left:
      Guarded([&] {
        const TMPBtnType next = RowNextFocus(buttons_, focusedButton_, event->key() == Qt::Key_Right ? 1 : -1);
        if (next != focusedButton_) {
          focusedButton_ = next;
          update();
        }
      });
      return;
    case Qt::Key_Space:
      Guarded([&] {
        if (!buttons_[focusedButton_].enabled) return;
        device_.SetPressedButton(focusedButton_);
        device_.ClickDispatch();
        if (device_.AutoEnable()) {
          UpdateAutoButtons(device_.PressedButton());
          DrawAutoButtons();
        }
      });
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}

void TMediaPlayer::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  Guarded([&] {
    repaint();
    if (OnEnter) OnEnter(this);
  });
}

void TMediaPlayer::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  Guarded([&] {
    repaint();
    if (OnExit) OnExit(this);
  });
}

void TMediaPlayer::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange) update();
  QWidget::changeEvent(event);
}
