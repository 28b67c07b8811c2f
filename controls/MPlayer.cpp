#include "MPlayer.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

#include <algorithm>
#include <vector>

#include "Application.h"

// The glyphs live in this static library; their registration must be pulled in
// by hand (and from the global namespace).
static void InitGlyphResources() { Q_INIT_RESOURCE(glyphs); }

namespace {

const char* const kNoDevice = "Aucun périphérique MCI ouvert";
const char* const kUnknownError = "Code d'erreur inconnu";

const char* const kDeviceTypeNames[] = {
    "",      "AVIVideo", "CDAudio", "DAT", "DigitalVideo", "MMMovie",  "Other",
    "Overlay", "Scanner", "Sequencer", "VCR", "Videodisc", "WaveAudio",
};

const char* const kGlyphPrefixes[] = {"EN", "DI", "CL"};
const char* const kButtonNames[] = {"MPPLAY", "MPPAUSE", "MPSTOP", "MPNEXT", "MPPREV",
                                    "MPSTEP", "MPBACK",  "MPRECORD", "MPEJECT"};
constexpr int kGlyphEnabled = 0, kGlyphDisabled = 1, kGlyphColored = 2;

// The glyphs' transparent colour.
constexpr QRgb kOlive = qRgb(128, 128, 0);

// The system colours of the button row, from the application palette.
QRgb BtnFace(const QWidget* w) { return w->palette().color(QPalette::Button).rgb(); }
QRgb BtnShadow(const QWidget* w) { return w->palette().color(QPalette::Dark).rgb(); }
QRgb BtnHighlight(const QWidget* w) { return w->palette().color(QPalette::Light).rgb(); }
QRgb WindowFrame(const QWidget* w) { return w->palette().color(QPalette::WindowText).rgb(); }

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
    if (y2 >= y1) FillPixels(image, x1, y1, x1 + 1, y2, pen);
    else FillPixels(image, x1, y2 + 1, x1 + 1, y1 + 1, pen);
  } else {
    if (x2 >= x1) FillPixels(image, x1, y1, x2, y1 + 1, pen);
    else FillPixels(image, x2 + 1, y1, x1 + 1, y1 + 1, pen);
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
// Construction

TMediaPlayer::TMediaPlayer(QWidget* owner) : QWidget(owner), service_(&DefaultMciService()) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  LoadGlyphs();
  for (TMPButton& b : buttons_) {
    b.visible = b.enabled = b.colored = true;
    b.autoEnabled = false;
  }
  SetBounds(x(), y(), 240, 30);
  focusedButton_ = btPlay;
  SetTabStop(true);
}

TMediaPlayer::~TMediaPlayer() {
  if (deviceId_ != 0) {
    MCI_GENERIC_PARMS params{};
    service_->SendCommand(deviceId_, MCI_CLOSE, MCI_WAIT, &params);
  }
}

void TMediaPlayer::SetMciService(IMciService* service) { service_ = service ? service : &DefaultMciService(); }

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

void TMediaPlayer::Loaded() {
  if (autoOpen_) Open();
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
  if (value) DrawAutoButtons();
  else SetEnabledButtons(enabledButtons_);
}

void TMediaPlayer::SetTabStop(bool value) { setFocusPolicy(value ? Qt::TabFocus : Qt::NoFocus); }

int TMediaPlayer::VisibleCount() const {
  const int n = static_cast<int>(std::count_if(buttons_.begin(), buttons_.end(),
                                               [](const TMPButton& b) { return b.visible; }));
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

// ---------------------------------------------------------------------------
// Button command dispatch and automatic enabling

void TMediaPlayer::ClickDispatch() {
  bool doDefault = true;
  DoClick(pressedButton_, doDefault);
  if (!doDefault) return;
  switch (pressedButton_) {
    case btPlay: Play(); break;
    case btPause: Pause(); break;
    case btStop: Stop(); break;
    case btNext: Next(); break;
    case btPrev: Prev(); break;
    case btStep: Step(); break;
    case btBack: Back(); break;
    case btRecord: Record(); break;
    case btEject: Eject(); break;
  }
  DoPostClick(pressedButton_);
}

void TMediaPlayer::DoClick(TMPBtnType button, bool& doDefault) {
  if (OnClick) OnClick(this, button, doDefault);
}

void TMediaPlayer::DoPostClick(TMPBtnType button) {
  if (OnPostClick) OnPostClick(this, button);
}

void TMediaPlayer::DoNotify() {
  if (OnNotify) OnNotify(this);
}

void TMediaPlayer::UpdateAutoButtons(TMPBtnType button) {
  auto restore = [&] {
    if (canPlay_) autoButtons_.Include(btPlay);
    if (canRecord_) autoButtons_.Include(btRecord);
  };
  switch (button) {
    case btPlay:
    case btRecord:
      autoButtons_ = autoButtons_ - TButtonSet{btPlay, btRecord} + TButtonSet{btPause, btStop};
      break;
    case btPause:
      restore();
      break;
    default:
      restore();
      autoButtons_ = autoButtons_ - TButtonSet{btPause, btStop};
      break;
  }
}

// ---------------------------------------------------------------------------
// Completion report

void TMediaPlayer::customEvent(QEvent* event) {
  if (event->type() != MciNotifyEventType()) return QWidget::customEvent(event);
  const auto* notify = static_cast<TMciNotifyEvent*>(event);
  const uint32_t code = static_cast<uint32_t>(notify->wParam());
  Guarded([&] { HandleNotify(code); });
}

void TMediaPlayer::HandleNotify(uint32_t code) {
  if (autoEnable_ && Mode() == mdStopped) {
    if (canPlay_) autoButtons_.Include(btPlay);
    if (canRecord_) autoButtons_.Include(btRecord);
    autoButtons_ = autoButtons_ - TButtonSet{btPause, btStop};
    DrawAutoButtons();
  }
  switch (code) {
    case MCI_NOTIFY_SUCCESSFUL: notifyResult_ = nrSuccessful; break;
    case MCI_NOTIFY_SUPERSEDED: notifyResult_ = nrSuperseded; break;
    case MCI_NOTIFY_ABORTED: notifyResult_ = nrAborted; break;
    case MCI_NOTIFY_FAILURE: notifyResult_ = nrFailure; break;
    default: break;
  }
  DoNotify();
}

// ---------------------------------------------------------------------------
// Commands

void TMediaPlayer::SetNotify(bool value) {
  notify_ = value;
  notifyRequested_ = true;
}

void TMediaPlayer::SetStartFrom(int32_t value) {
  startFrom_ = value;
  startRequested_ = true;
}

uint32_t TMediaPlayer::WaitFlags() {
  uint32_t flags = MCI_WAIT;
  if (notifyRequested_) {
    if (notify_) flags |= MCI_NOTIFY;
    notifyRequested_ = false;
  }
  return flags;
}

uint32_t TMediaPlayer::NotifyFlags(bool consume) {
  uint32_t flags = MCI_NOTIFY;
  if (notifyRequested_) {
    flags = notify_ ? MCI_NOTIFY : 0;
    if (consume) notifyRequested_ = false;
  }
  return flags;
}

uint32_t TMediaPlayer::TakeStartFrom(uint32_t& from) {
  if (!startRequested_) return 0;
  from = static_cast<uint32_t>(startFrom_);
  startRequested_ = false;
  return MCI_FROM;
}

void TMediaPlayer::CheckOpen() const {
  if (!open_) throw EMCIDeviceError(kNoDevice);
}

MCIERROR TMediaPlayer::Send(uint32_t message, uint32_t flags, void* params, bool storeError) {
  lastCommandFlags_ = flags;
  const MCIERROR result = service_->SendCommand(message == MCI_OPEN ? 0 : deviceId_, message, flags, params);
  if (storeError) lastError_ = result;
  return result;
}

void TMediaPlayer::Open() {
  if (open_) Close();
  uint32_t flags = WaitFlags() | MCI_OPEN_ELEMENT;
  MCI_OPEN_PARMS params{};
  params.dwCallback = Callback();
  if (deviceType_ != dtAutoSelect) {
    flags |= MCI_OPEN_TYPE;
    params.lpstrDeviceType = kDeviceTypeNames[deviceType_];
  }
  if (shareable_) flags |= MCI_OPEN_SHAREABLE;
  params.lpstrElementName = fileName_.c_str();
  if (Send(MCI_OPEN, flags, &params) != 0) throw EMCIDeviceError(ErrorText());

  open_ = true;
  deviceId_ = static_cast<uint16_t>(params.wDeviceID & 0xFFFF);
  stepFrames_ = Length() / 10;
  QueryCapabilities();
  if (hasVideo_) {
    SetDisplay(display_);
    QueryDisplayRect(MCI_ANIM_WHERE_DESTINATION);
  }
  if (deviceType_ == dtCDAudio || deviceType_ == dtVideodisc) SetTimeFormat(MCI_FORMAT_TMSF);

  autoButtons_ = TButtonSet{btNext, btPrev};
  if (canStep_) autoButtons_ = autoButtons_ + TButtonSet{btStep, btBack};
  if (canPlay_) autoButtons_.Include(btPlay);
  if (canRecord_) autoButtons_.Include(btRecord);
  if (canEject_) autoButtons_.Include(btEject);
  if (Mode() == mdPlaying) UpdateAutoButtons(btPlay);
  DrawAutoButtons();
}

void TMediaPlayer::QueryCapabilities() {
  // Describes the device now open, not every device opened before it.
  capabilities_ = TMPDevCapsSet{};
  auto query = [&](uint32_t item) {
    MCI_GETDEVCAPS_PARMS params{};
    params.dwCallback = Callback();
    params.dwItem = item;
    Send(MCI_GETDEVCAPS, MCI_WAIT | MCI_GETDEVCAPS_ITEM, &params, false);
    return static_cast<uint32_t>(params.dwReturn);
  };
  canPlay_ = query(MCI_GETDEVCAPS_CAN_PLAY) != 0;
  if (canPlay_) capabilities_.Include(capCanPlay);
  canRecord_ = query(MCI_GETDEVCAPS_CAN_RECORD) != 0;
  if (canRecord_) capabilities_.Include(capCanRecord);
  canEject_ = query(MCI_GETDEVCAPS_CAN_EJECT) != 0;
  if (canEject_) capabilities_.Include(capCanEject);
  hasVideo_ = query(MCI_GETDEVCAPS_HAS_VIDEO) != 0;
  if (hasVideo_) capabilities_.Include(capUsesWindow);
  const uint32_t type = query(MCI_GETDEVCAPS_DEVICE_TYPE);
  canStep_ = type == MCI_DEVTYPE_ANIMATION || type == MCI_DEVTYPE_DIGITAL_VIDEO ||
             type == MCI_DEVTYPE_OVERLAY || type == MCI_DEVTYPE_VCR;
  if (canStep_) capabilities_.Include(capCanStep);
  QueryDisplayRect(MCI_ANIM_WHERE_SOURCE);
}

void TMediaPlayer::QueryDisplayRect(uint32_t where) {
  MCI_ANIM_RECT_PARMS params{};
  params.dwCallback = Callback();
  Send(MCI_WHERE, MCI_WAIT | where, &params);
  displayWidth_ = params.rc.right - params.rc.left;
  displayHeight_ = params.rc.bottom - params.rc.top;
}

void TMediaPlayer::Close() {
  if (deviceId_ == 0) return;
  MCI_GENERIC_PARMS params{};
  params.dwCallback = Callback();
  if (Send(MCI_CLOSE, WaitFlags(), &params) != 0) return;
  open_ = false;
  deviceId_ = 0;
  autoButtons_ = TButtonSet{};
  DrawAutoButtons();
}

void TMediaPlayer::Play() {
  CheckOpen();
  if (autoRewind_ && !startRequested_ && Position() == Length()) Rewind();
  MCI_PLAY_PARMS params{};
  params.dwCallback = Callback();
  const uint32_t flags = NotifyFlags(true) | TakeStartFrom(params.dwFrom);
  Send(MCI_PLAY, flags, &params);
}

void TMediaPlayer::Record() {
  CheckOpen();
  MCI_RECORD_PARMS params{};
  params.dwCallback = Callback();
  const uint32_t flags = NotifyFlags(true) | TakeStartFrom(params.dwFrom);
  Send(MCI_RECORD, flags, &params);
}

void TMediaPlayer::Stop() {
  CheckOpen();
  MCI_GENERIC_PARMS params{};
  params.dwCallback = Callback();
  Send(MCI_STOP, WaitFlags(), &params);
}

void TMediaPlayer::Pause() {
  CheckOpen();
  const TMPModes mode = Mode();
  MCI_GENERIC_PARMS params{};
  params.dwCallback = Callback();
  if (mode == mdPlaying) {
    Send(MCI_PAUSE, WaitFlags(), &params);
  } else if (mode == mdPaused) {
    if (Send(MCI_RESUME, NotifyFlags(false), &params) != 0) Play();
    else notifyRequested_ = false;
  }
}

void TMediaPlayer::Next() {
  CheckOpen();
  uint32_t flags = WaitFlags();
  MCI_SEEK_PARMS params{};
  params.dwCallback = Callback();
  if (TimeFormat() == MCI_FORMAT_TMSF) {
    const int32_t track = Position() & 0xFF;
    const int32_t count = TrackCount();
    const int32_t target = track == count ? count : track + 1;
    if (Mode() == mdPlaying) {
      SetStartFrom(TrackStart(target));
      Play();
      pressedButton_ = btPlay;
      return;
    }
    flags |= MCI_TO;
    params.dwTo = static_cast<uint32_t>(TrackStart(target));
  } else {
    flags |= MCI_SEEK_TO_END;
  }
  Send(MCI_SEEK, flags, &params);
}

void TMediaPlayer::Prev() {
  CheckOpen();
  uint32_t flags = WaitFlags();
  MCI_SEEK_PARMS params{};
  params.dwCallback = Callback();
  if (TimeFormat() == MCI_FORMAT_TMSF) {
    const uint32_t p = static_cast<uint32_t>(Position());
    const int32_t track = p & 0xFF;
    const uint32_t s = static_cast<uint32_t>(TrackStart(track));
    // Within the first second of a track the button goes to the track before.
    const bool atTrackStart = ((p >> 8) & 0xFF) == ((s >> 8) & 0xFF) && ((p >> 16) & 0xFF) == ((s >> 16) & 0xFF);
    const uint32_t target = track != 1 && atTrackStart ? static_cast<uint32_t>(TrackStart(track - 1)) : s;
    if (Mode() == mdPlaying) {
      SetStartFrom(static_cast<int32_t>(target));
      Play();
      pressedButton_ = btPlay;
      return;
    }
    flags |= MCI_TO;
    params.dwTo = target;
  } else {
    flags |= MCI_SEEK_TO_START;
  }
  Send(MCI_SEEK, flags, &params);
}

void TMediaPlayer::Step() {
  CheckOpen();
  if (!hasVideo_) return;
  if (autoRewind_ && Position() == Length()) Rewind();
  MCI_ANIM_STEP_PARMS params{};
  params.dwCallback = Callback();
  params.dwFrames = static_cast<uint32_t>(stepFrames_);
  Send(MCI_STEP, WaitFlags() | MCI_ANIM_STEP_FRAMES, &params);
}

void TMediaPlayer::Back() {
  CheckOpen();
  if (!hasVideo_) return;
  MCI_ANIM_STEP_PARMS params{};
  params.dwCallback = Callback();
  params.dwFrames = static_cast<uint32_t>(stepFrames_);
  Send(MCI_STEP, WaitFlags() | MCI_ANIM_STEP_REVERSE | MCI_ANIM_STEP_FRAMES, &params);
}

void TMediaPlayer::Eject() {
  CheckOpen();
  if (!canEject_) return;
  MCI_SET_PARMS params{};
  params.dwCallback = Callback();
  Send(MCI_SET, WaitFlags() | MCI_SET_DOOR_OPEN, &params);
}

void TMediaPlayer::Rewind() {
  CheckOpen();
  MCI_SEEK_PARMS params{};
  params.dwCallback = Callback();
  Send(MCI_SEEK, MCI_WAIT | MCI_SEEK_TO_START, &params, false);
}

// ---------------------------------------------------------------------------
// Status

uint32_t TMediaPlayer::Status(uint32_t item, bool* ok) {
  MCI_STATUS_PARMS params{};
  params.dwCallback = Callback();
  params.dwItem = item;
  const MCIERROR result = Send(MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM, &params);
  if (ok) *ok = result == 0;
  return static_cast<uint32_t>(params.dwReturn);
}

int32_t TMediaPlayer::Length() {
  CheckOpen();
  return static_cast<int32_t>(Status(MCI_STATUS_LENGTH));
}

int32_t TMediaPlayer::Position() {
  bool ok = false;
  const uint32_t value = Status(MCI_STATUS_POSITION, &ok);
  return ok ? static_cast<int32_t>(value) : 0;
}

int32_t TMediaPlayer::TrackCount() {
  CheckOpen();
  return static_cast<int32_t>(Status(MCI_STATUS_NUMBER_OF_TRACKS));
}

TMPModes TMediaPlayer::Mode() {
  bool ok = false;
  const uint32_t value = Status(MCI_STATUS_MODE, &ok);
  // An unanswered query reads as "not ready" rather than as a byte out of range.
  if (!ok) return mdNotReady;
  return static_cast<TMPModes>(static_cast<uint8_t>((value & 0xFF) - 12));
}

uint32_t TMediaPlayer::TimeFormat() {
  CheckOpen();
  return Status(MCI_STATUS_TIME_FORMAT) & 0xFF;
}

int32_t TMediaPlayer::TrackStart(int32_t track) {
  MCI_STATUS_PARMS params{};
  params.dwCallback = Callback();
  params.dwItem = MCI_STATUS_POSITION;
  params.dwTrack = static_cast<uint32_t>(track);
  Send(MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM | MCI_TRACK, &params, false);
  return static_cast<int32_t>(params.dwReturn);
}

void TMediaPlayer::SetTimeFormat(uint32_t value) {
  MCI_SET_PARMS params{};
  params.dwTimeFormat = value;
  Send(MCI_SET, MCI_NOTIFY | MCI_SET_TIME_FORMAT, &params);
}

std::string TMediaPlayer::ErrorText() {
  std::vector<char> buffer(4096, '\0');
  if (service_->GetErrorString(lastError_, buffer.data(), static_cast<uint32_t>(buffer.size()))) {
    buffer.back() = '\0';
    return std::string(buffer.data());
  }
  return kUnknownError;
}

// ---------------------------------------------------------------------------
// Display window

void TMediaPlayer::SetDisplay(QWidget* value) {
  if (value != nullptr && open_ && hasVideo_) {
    MCI_ANIM_WINDOW_PARMS params{};
    params.dwCallback = Callback();
    params.hWnd = static_cast<uintptr_t>(value->winId());
    if (Send(MCI_WINDOW, MCI_WAIT | MCI_ANIM_WINDOW_HWND, &params) != 0) value = nullptr;
  }
  if (display_ != nullptr && display_ != value) disconnect(display_, &QObject::destroyed, this, nullptr);
  display_ = value;
  // Watched also while it is only stored for a later Open, so a freed window
  // is never handed to the device.
  if (value != nullptr)
    connect(value, &QObject::destroyed, this, &TMediaPlayer::DisplayRemoved, Qt::UniqueConnection);
}

void TMediaPlayer::DisplayRemoved(QObject* removed) {
  if (removed != display_) return;
  Guarded([&] {
    if (open_ && hasVideo_) {
      MCI_ANIM_WINDOW_PARMS params{};
      params.dwCallback = Callback();
      params.hWnd = 0;
      Send(MCI_WINDOW, MCI_WAIT | MCI_ANIM_WINDOW_HWND, &params);
    }
    display_ = nullptr;
  });
}
