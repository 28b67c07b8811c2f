// TMediaPlayer's device side on Qt: the shared device owned by the widget, the
// completion report arriving as an event, and the display widget. The button
// row is drawn and driven in MPlayerButtonRow.cpp.
#include "MPlayer.h"

#include "Application.h"
#include "Mci.h"

// ---------------------------------------------------------------------------
// Construction

TMediaPlayer::TMediaPlayer(QWidget* owner) : QWidget(owner), device_(*this) {
  // The service posts completion reports to this object (customEvent).
  device_.SetNotifyCallback(reinterpret_cast<uintptr_t>(static_cast<QObject*>(this)));
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

TMediaPlayer::~TMediaPlayer() = default;

void TMediaPlayer::SetMciService(IMciService* service) { device_.SetMciService(service); }

void TMediaPlayer::Loaded() {
  if (device_.AutoOpen()) Open();
}

// ---------------------------------------------------------------------------
// The steps a control may override

void TMediaPlayer::DoClick(TMPBtnType button, bool& doDefault) {
  if (OnClick) OnClick(this, button, doDefault);
}

void TMediaPlayer::DoPostClick(TMPBtnType button) {
  if (OnPostClick) OnPostClick(this, button);
}

void TMediaPlayer::DoNotify() {
  if (OnNotify) OnNotify(this);
}

void TMediaPlayer::UpdateAutoButtons(TMPBtnType button) { device_.UpdateAutoButtons(button); }

// ---------------------------------------------------------------------------
// Completion report

void TMediaPlayer::customEvent(QEvent* event) {
  if (event->type() != MciNotifyEventType()) return QWidget::customEvent(event);
  const auto* notify = static_cast<TMciNotifyEvent*>(event);
  const uint32_t code = static_cast<uint32_t>(notify->wParam());
  Guarded([&] { device_.MciNotify(code); });
}

// ---------------------------------------------------------------------------
// Display window

void TMediaPlayer::SetDisplay(QWidget* value) {
  if (value != nullptr && device_.UsesDisplay()) {
    if (device_.SendDisplayWindow(static_cast<uintptr_t>(value->winId())) != 0) value = nullptr;
  }
  if (display_ != nullptr && display_ != value) disconnect(display_, &QObject::destroyed, this, nullptr);
  display_ = value;
  // Watched also while it is only stored for a later Open, so a freed window
  // is never handed to the device.
  if (value != nullptr) connect(value, &QObject::destroyed, this, &TMediaPlayer::DisplayRemoved, Qt::UniqueConnection);
}

void TMediaPlayer::DisplayRemoved(QObject* removed) {
  if (removed != display_) return;
  Guarded([&] {
    if (device_.UsesDisplay()) device_.SendDisplayWindow(0);
    display_ = nullptr;
  });
}
