#pragma once
// TMediaPlayer: a control that drives one device of the media control service
// (mci/) and shows a row of up to nine transport buttons.
//
// Device side: the shared TMediaPlayerDevice (MediaPlayerDevice.h) sends the
// service's commands with the flags built from the one-shot Notify and
// StartFrom requests, keeps the last error code, and turns the service's
// completion report into OnNotify; this control owns one and passes its
// operations on. Button side: a row of cells drawn by the control itself,
// three glyphs per button (enabled, disabled, coloured), pressed with the
// mouse or with Space, focus moved with the arrow keys; a press runs the
// button's operation through OnClick/OnPostClick and, while AutoEnable is on,
// dims the buttons that make no sense in the device's new state.
//
// Everything runs on the GUI thread. The service reports completion by posting
// an event to this object, which hands it to the device; no OnNotify ever runs
// inside a command.
//
// MPlayer.cpp holds the Qt face of the device side (the completion event, the
// display widget), MPlayerButtonRow.cpp the button row's face: its rules and
// pixels are in ButtonRowPicture, shared with the Windows build. The commands
// drive the control through IMediaPlayer (MediaPlayerPort.h).

#include <QImage>
#include <QRect>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "ButtonRowPicture.h"
#include "MediaPlayerDevice.h"
#include "MediaPlayerPort.h"

class TMediaPlayer;
// OnClick: set DoDefault to false to skip the button's operation (and OnPostClick).
using EMPNotify = std::function<void(TMediaPlayer* Sender, TMPBtnType Button, bool& DoDefault)>;
using EMPPostNotify = std::function<void(TMediaPlayer* Sender, TMPBtnType Button)>;
using TMPNotifyEvent = std::function<void(TMediaPlayer* Sender)>;

class TMediaPlayer : public QWidget, public IMediaPlayer, private IMediaPlayerOwner {
  Q_OBJECT

 public:
  static constexpr TButtonSet AllButtons = TMediaPlayerDevice::AllButtons;

  explicit TMediaPlayer(QWidget* owner = nullptr);
  // Closes an open device (result ignored).
  ~TMediaPlayer() override;

  // Component life: the owner calls Updating() before it applies the stored
  // properties, Updated() after them, then Loaded(). While updating, size
  // changes are not normalised and VisibleButtons derives ButtonWidth from the
  // present width instead of resizing; Updated() then resizes to whole cells.
  void Updating();
  void Updated();
  bool IsUpdating() const { return updating_; }
  // Opens the device when AutoOpen is set (EMCIDeviceError goes to the caller).
  virtual void Loaded();

  // The media service the control talks to; DefaultMciService() unless a test
  // gives another. REQUIRES: no device open; the service outlives the control.
  void SetMciService(IMciService* service);

  // --- Published properties, in their stored order ---
  TButtonSet ColoredButtons() const { return coloredButtons_; }
  void SetColoredButtons(TButtonSet value);
  bool Enabled() const { return isEnabled(); }
  void SetEnabled(bool value) override { setEnabled(value); }
  TButtonSet EnabledButtons() const { return enabledButtons_; }
  void SetEnabledButtons(TButtonSet value);
  TButtonSet VisibleButtons() const { return visibleButtons_; }
  void SetVisibleButtons(TButtonSet value);
  bool AutoEnable() const { return device_.AutoEnable(); }
  void SetAutoEnable(bool value);
  bool AutoOpen() const { return device_.AutoOpen(); }
  void SetAutoOpen(bool value) { device_.SetAutoOpen(value); }
  bool AutoRewind() const { return device_.AutoRewind(); }
  void SetAutoRewind(bool value) { device_.SetAutoRewind(value); }
  TMPDeviceTypes DeviceType() const { return device_.DeviceType(); }
  // Takes effect at the next Open.
  void SetDeviceType(TMPDeviceTypes value) { device_.SetDeviceType(value); }
  QWidget* Display() const { return display_; }
  void SetDisplay(QWidget* value);
  const std::string& FileName() const { return device_.FileName(); }
  void SetFileName(const std::string& value) override { device_.SetFileName(value); }
  bool Shareable() const { return device_.Shareable(); }
  void SetShareable(bool value) { device_.SetShareable(value); }
  bool Visible() const { return !isHidden(); }
  void SetVisible(bool value) override { setVisible(value); }
  bool TabStop() const { return focusPolicy() != Qt::NoFocus; }
  void SetTabStop(bool value);

  EMPNotify OnClick;
  std::function<void(TMediaPlayer* Sender)> OnEnter;
  std::function<void(TMediaPlayer* Sender)> OnExit;
  EMPPostNotify OnPostClick;
  TMPNotifyEvent OnNotify;

  // Size. Every change is normalised to whole overlapping cells of at least
  // MinButtonSize (unless updating).
  void SetBounds(int left, int top, int width, int height);
  int Width() const { return width(); }
  void SetWidth(int value) { SetBounds(x(), y(), value, height()); }
  int Height() const { return height(); }
  void SetHeight(int value) { SetBounds(x(), y(), width(), value); }

  // --- Device operations (TMediaPlayerDevice) ---
  // Open, Close and the transport operations. All but Open and Close raise
  // EMCIDeviceError "Aucun périphérique MCI ouvert" when no device is open.
  // Open raises EMCIDeviceError with the service's text when the device
  // refuses; other refusals only set LastError.
  void Open() override { device_.Open(); }
  void Close() { device_.Close(); }
  void Play() { device_.Play(); }
  void Pause() { device_.Pause(); }
  void Stop() { device_.Stop(); }
  void Next() { device_.Next(); }
  void Prev() { device_.Prev(); }
  void Step() { device_.Step(); }
  void Back() { device_.Back(); }
  void Record() { device_.Record(); }
  void Eject() { device_.Eject(); }
  void Rewind() { device_.Rewind(); }

  // One-shot requests, consumed by the next command that reads them.
  void SetNotify(bool value) override { device_.SetNotify(value); }
  void SetStartFrom(int32_t value) { device_.SetStartFrom(value); }

  TMPModes Mode() override { return device_.Mode(); }
  TMPNotifyValues NotifyResult() const override { return device_.NotifyResult(); }
  uint32_t LastError() const { return device_.LastError(); }
  std::string ErrorText() { return device_.ErrorText(); }
  uint16_t DeviceId() const { return device_.DeviceId(); }
  TMPDevCapsSet Capabilities() const { return device_.Capabilities(); }
  int32_t Length() { return device_.Length(); }
  int32_t Position() { return device_.Position(); }
  int32_t TrackCount() { return device_.TrackCount(); }
  int32_t TrackStart(int32_t track) { return device_.TrackStart(track); }
  uint32_t TimeFormat() { return device_.TimeFormat(); }
  void SetTimeFormat(uint32_t value) { device_.SetTimeFormat(value); }
  int32_t DisplayWidth() const { return device_.DisplayWidth(); }
  int32_t DisplayHeight() const { return device_.DisplayHeight(); }
  int32_t StepFrames() const { return device_.StepFrames(); }

  // --- Button row state (read-only) ---
  TButtonSet AutoButtons() const { return device_.AutoButtons(); }
  int ButtonWidth() const { return buttonWidth_; }
  QPoint MinButtonSize() const { return minButtonSize_; }
  TMPBtnType FocusedButton() const { return focusedButton_; }
  TMPBtnType PressedButton() const { return device_.PressedButton(); }
  // The glyph of a button: 0 enabled, 1 disabled, 2 coloured.
  const QImage& Glyph(TMPBtnType button, int index) const { return glyphImages_[button][index]; }

 protected:
  // Changes AutoButtons after a button's operation; the caller redraws.
  void UpdateAutoButtons(TMPBtnType button) override;
  void DoClick(TMPBtnType button, bool& doDefault) override;
  void DoPostClick(TMPBtnType button) override;
  void DoNotify() override;

  void customEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  using TMPButton = TRowButton;

  void LoadGlyphs();
  void ResizeToButtons();
  void ApplySizeRule();
  // The redraw of the automatic set.
  void DrawAutoButtons();
  void AutoButtonsChanged() override { DrawAutoButtons(); }
  void ApplyDisplay() override { SetDisplay(display_); }
  TRowState RowState() const;
  void Press(int pointerX);
  void DisplayRemoved(QObject* display);

  TRowButtons buttons_;
  // The glyphs as loaded, and the same pixels for the row's picture.
  std::array<std::array<QImage, 3>, kRowButtonCount> glyphImages_;
  TRowGlyphs glyphs_;
  TButtonSet visibleButtons_ = AllButtons;
  TButtonSet enabledButtons_ = AllButtons;
  TButtonSet coloredButtons_ = AllButtons;
  TButtonSet autoButtons_;
  bool pressActive_ = false;
  bool pressInside_ = false;
  QRect pressedRect_;
  int buttonWidth_ = 0;
  QPoint minButtonSize_;
  TMPBtnType focusedButton_ = btPlay;

  QWidget* display_ = nullptr;
  bool updating_ = false;
  // Declared last, so destroyed first: its destructor closes the device while
  // the rest of the control still stands.
  TMediaPlayerDevice device_;
};
