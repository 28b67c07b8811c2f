// The transport button row of TMediaPlayer: glyphs, size rule, painting,
// mouse and keys. The device side is in MPlayer.cpp.
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <algorithm>

#include "Application.h"
#include "MPlayer.h"

// The glyphs live in this static library; their registration must be pulled in
// by hand (and from the global namespace).
static void InitGlyphResources() { Q_INIT_RESOURCE(glyphs); }

namespace {

const char* const kGlyphPrefixes[] = {"EN", "DI", "CL"};
const char* const kButtonNames[] = {"MPPLAY", "MPPAUSE", "MPSTOP",   "MPNEXT", "MPPREV",
                                    "MPSTEP", "MPBACK",  "MPRECORD", "MPEJECT"};
constexpr int kGlyphEnabled = 0, kGlyphDisabled = 1, kGlyphColored = 2;

// The glyphs' transparent colour.
constexpr QRgb kOlive = qRgb(128, 128, 0);

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

// Drawing with the platform's pixel rules, straight on the image: a rectangle
// (x1, y1)-(x2, y2) covers x1..x2-1 and y1..y2-1; a line leaves out its end point.
void FillPixels(QImage& image, int x1, int y1, int x2, int y2, QRgb colour) {
  x1 = std::max(x1, 0);
  y1 = std::max(y1, 0);
  x2 = std::min(x2, image.width());
  y2 = std::min(y2, image.height());
  for (int y = y1; y < y2; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = x1; x < x2; ++x) line[x] = colour;
  }
}

void FrameRect(QImage& image, int x1, int y1, int x2, int y2, QRgb pen) {
  if (x2 <= x1 || y2 <= y1) return;
  FillPixels(image, x1, y1, x2, y1 + 1, pen);
  FillPixels(image, x1, y2 - 1, x2, y2, pen);
  FillPixels(image, x1, y1, x1 + 1, y2, pen);
  FillPixels(image, x2 - 1, y1, x2, y2, pen);
}

// A horizontal or vertical line from (x1, y1) towards (x2, y2), end point excluded.
void Line(QImage& image, int x1, int y1, int x2, int y2, QRgb pen) {
  if (x1 == x2) {
    if (y2 >= y1)
      FillPixels(image, x1, y1, x1 + 1, y2, pen);
    else
      FillPixels(image, x1, y2 + 1, x1 + 1, y1 + 1, pen);
  } else {
    if (x2 >= x1)
      FillPixels(image, x1, y1, x2, y1 + 1, pen);
    else
      FillPixels(image, x2 + 1, y1, x1 + 1, y1 + 1, pen);
  }
}

// The dotted focus mark: every other pixel of the rectangle's outline inverted.
void DrawFocusRect(QImage& image, const QRect& r) {
  const int x1 = r.left(), y1 = r.top(), x2 = r.left() + r.width(), y2 = r.top() + r.height();
  if (x2 <= x1 || y2 <= y1) return;
  auto invert = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) return;
    if ((x + y) % 2 != 0) return;
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    line[x] = line[x] ^ 0x00FFFFFF;
  };
  for (int x = x1; x < x2; ++x) {
    invert(x, y1);
    if (y2 - 1 != y1) invert(x, y2 - 1);
  }
  for (int y = y1 + 1; y < y2 - 1; ++y) {
    invert(x1, y);
    if (x2 - 1 != x1) invert(x2 - 1, y);
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Glyphs and component life

void TMediaPlayer::LoadGlyphs() {
  InitGlyphResources();
  int maxWidth = 0, maxHeight = 0;
  for (int b = 0; b < 9; ++b) {
    for (int i = 0; i < 3; ++i) {
      const QString name = QString::fromStdString(Format("%s_%s", kGlyphPrefixes[i], kButtonNames[b]));
      QImage glyph(":/glyphs/" + name);
      // Missing pictures are a broken build, not a user error.
      if (glyph.isNull()) throw Exception("Glyph resource missing: " + name.toStdString());
      glyph = glyph.convertToFormat(QImage::Format_RGB32);
      maxWidth = std::max(maxWidth, glyph.width());
      maxHeight = std::max(maxHeight, glyph.height());
      buttons_[b].glyphs[i] = glyph;
    }
  }
  minButtonSize_ = QPoint(maxWidth + 8, maxHeight + 4);
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
    buttonWidth_ = (width() - 1) / VisibleCount() + 1;
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
  if (value == autoEnable_) return;
  autoEnable_ = value;
  if (value)
    DrawAutoButtons();
  else
    SetEnabledButtons(enabledButtons_);
}

void TMediaPlayer::SetTabStop(bool value) { setFocusPolicy(value ? Qt::TabFocus : Qt::NoFocus); }

int TMediaPlayer::VisibleCount() const {
  const int n =
      static_cast<int>(std::count_if(buttons_.begin(), buttons_.end(), [](const TMPButton& b) { return b.visible; }));
  return n == 0 ? 1 : n;
}

void TMediaPlayer::ResizeToButtons() {
  SetBounds(x(), y(), VisibleCount() * (buttonWidth_ - 1) + 1, height());
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
  const int n = VisibleCount();
  buttonWidth_ = (width() - 1) / n + 1;
  const int w = std::max(n * (buttonWidth_ - 1) + 1, n * (minButtonSize_.x() - 1) + 1);
  const int h = std::max(height(), minButtonSize_.y());
  if (w != width() || h != height()) SetBounds(x(), y(), w, h);
}

void TMediaPlayer::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Guarded([&] { ApplySizeRule(); });
}

void TMediaPlayer::DrawAutoButtons() {
  for (int b = 0; b < 9; ++b) buttons_[b].autoEnabled = autoButtons_.Contains(TMPBtnType(b));
  update();
}

// ---------------------------------------------------------------------------
// Painting

void TMediaPlayer::paintEvent(QPaintEvent*) {
  // Drawn whole into an image first: exact pixels, one copy to the screen.
  QImage image(size(), QImage::Format_RGB32);
  image.fill(BtnFace(this));
  Render(image);
  QPainter painter(this);
  painter.drawImage(0, 0, image);
}

void TMediaPlayer::Render(QImage& image) const {
  FrameRect(image, 0, 0, width(), height(), WindowFrame(this));
  int x = 0;
  for (int b = 0; b < 9; ++b) {
    if (!buttons_[b].visible) continue;
    DrawButton(image, TMPBtnType(b), x);
    x += buttonWidth_ - 1;
  }
}

void TMediaPlayer::DrawButton(QImage& image, TMPBtnType button, int x) const {
  const int h = height();
  const int bw = buttonWidth_;
  const bool sunken = pressInside_ && button == pressedButton_;
  const QRgb face = BtnFace(this);

  FillPixels(image, x, 0, x + bw, h, face);
  FrameRect(image, x, 0, x + bw, h, WindowFrame(this));
  if (sunken) {
    Line(image, x + 1, h - 2, x + 1, 1, BtnShadow(this));
    Line(image, x + 1, 1, x + bw - 1, 1, BtnShadow(this));
  } else {
    Line(image, x + 1, h - 2, x + 1, 1, BtnHighlight(this));
    Line(image, x + 1, 1, x + bw - 1, 1, BtnHighlight(this));
    Line(image, x + 2, h - 2, x + bw - 2, h - 2, BtnShadow(this));
    Line(image, x + bw - 2, h - 2, x + bw - 2, 1, BtnShadow(this));
  }

  const TMPButton& record = buttons_[button];
  int index;
  if (!isEnabled()) {
    index = kGlyphDisabled;
  } else {
    const bool lit = autoEnable_ ? record.autoEnabled : record.enabled;
    index = lit ? (record.colored ? kGlyphColored : kGlyphEnabled) : kGlyphDisabled;
  }
  const QImage& glyph = record.glyphs[index];
  int dx = bw / 2 - glyph.width() / 2;
  int dy = h / 2 - glyph.height() / 2;
  if (sunken) {
    ++dx;
    ++dy;
  }
  for (int gy = 0; gy < glyph.height(); ++gy) {
    const int ty = dy + gy;
    if (ty < 0 || ty >= image.height()) continue;
    const auto* src = reinterpret_cast<const QRgb*>(glyph.constScanLine(gy));
    auto* dst = reinterpret_cast<QRgb*>(image.scanLine(ty));
    for (int gx = 0; gx < glyph.width(); ++gx) {
      const int tx = x + dx + gx;
      if (tx < 0 || tx >= image.width()) continue;
      const QRgb p = src[gx] | 0xFF000000u;
      dst[tx] = p == kOlive ? face : p;
    }
  }

  if (hasFocus() && button == focusedButton_) {
    QRect r(x + 3, 3, bw - 6, h - 6);
    if (sunken) r.translate(1, 1);
    DrawFocusRect(image, r);
  }
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
  int x0 = 0;
  for (int b = 0; b < 9; ++b) {
    const TMPButton& record = buttons_[b];
    if (!record.visible) continue;
    if (x0 <= pointerX && pointerX <= x0 + buttonWidth_) {
      const bool clickable = autoEnable_ ? record.autoEnabled : record.enabled;
      if (!clickable) return;
      pressedButton_ = TMPBtnType(b);
      if (pressedButton_ != focusedButton_) focusedButton_ = pressedButton_;
      pressedRect_ = QRect(x0, 0, buttonWidth_, height());
      pressActive_ = true;
      pressInside_ = true;
      // Shown sunken at once, before the button is let go.
      repaint();
      return;
    }
    x0 += buttonWidth_ - 1;
  }
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
    ClickDispatch();
    if (autoEnable_ && lastError_ == 0 && open_) {
      UpdateAutoButtons(pressedButton_);
      DrawAutoButtons();
    }
  });
}

void TMediaPlayer::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Right:
    case Qt::Key_Left:
      Guarded([&] {
        const int step = event->key() == Qt::Key_Right ? 1 : -1;
        const int last = step > 0 ? btEject : btPlay;
        int b = focusedButton_;
        while (b != last) {
          b += step;
          if (buttons_[b].visible) break;
        }
        if (b != focusedButton_) {
          focusedButton_ = TMPBtnType(b);
          update();
        }
      });
      return;
    case Qt::Key_Space:
      Guarded([&] {
        if (!buttons_[focusedButton_].enabled) return;
        pressedButton_ = focusedButton_;
        ClickDispatch();
        if (autoEnable_) {
          UpdateAutoButtons(pressedButton_);
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
