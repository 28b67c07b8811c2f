#pragma once
// TMediaPlayer: a control that drives one device of the media control service
// (mci/) and shows a row of up to nine transport buttons.
//
// Device side: Open/Close and the transport operations send the service's
// commands with the flags built from two one-shot requests (Notify and
// StartFrom), keep the last error code, and turn the service's completion
// report into OnNotify. Button side: a row of cells drawn by the control itself,
// three glyphs per button (enabled, disabled, coloured), pressed with the mouse
// or with Space, focus moved with the arrow keys; a press runs the button's
// operation through OnClick/OnPostClick and, while AutoEnable is on, dims the
// buttons that make no sense in the device's new state.
//
// Everything runs on the GUI thread. The service reports completion by posting
// an event to this object; no OnNotify ever runs inside a command.
//
// MPlayer.cpp holds the device side, MPlayerButtonRow.cpp the button row's
// face: its rules and pixels are in ButtonRowPicture, shared with the Windows
// build. The commands drive the control through IMediaPlayer
// (MediaPlayerPort.h).

#include <QImage>
#include <QRect>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "ButtonRowPicture.h"
#include "Exceptions.h"
#include "Mci.h"
#include "MediaPlayerPort.h"
#include "Sets.h"

using TButtonSet = TSet<TMPBtnType>;

enum TMPDeviceTypes : uint8_t {
  dtAutoSelect,
  dtAVIVideo,
  dtCDAudio,
  dtDAT,
  dtDigitalVideo,
  dtMMMovie,
  dtOther,
  dtOverlay,
  dtScanner,
  dtSequencer,
  dtVCR,
  dtVideodisc,
  dtWaveAudio
};

enum TMPDevCapsValues : uint8_t { capCanStep, capCanEject, capCanPlay, capCanRecord, capUsesWindow };
using TMPDevCapsSet = TSet<TMPDevCapsValues>;

// The device refused to open, or an operation needed an open device.
class EMCIDeviceError : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const override { return "EMCIDeviceError"; }
};

class TMediaPlayer;
// OnClick: set DoDefault to false to skip the button's operation (and OnPostClick).
using EMPNotify = std::function<void(TMediaPlayer* Sender, TMPBtnType Button, bool& DoDefault)>;
using EMPPostNotify = std::function<void(TMediaPlayer* Sender, TMPBtnType Button)>;
using TMPNotifyEvent = std::function<void(TMediaPlayer* Sender)>;

class TMediaPlayer : public QWidget, public IMediaPlayer {
  Q_OBJECT

 public:
  static constexpr TButtonSet AllButtons = TButtonSet::FromBits(0x1FF);

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
  bool AutoEnable() const { return autoEnable_; }
  void SetAutoEnable(bool value);
  bool AutoOpen() const { return autoOpen_; }
  void SetAutoOpen(bool value) { autoOpen_ = value; }
  bool AutoRewind() const { return autoRewind_; }
  void SetAutoRewind(bool value) { autoRewind_ = value; }
  TMPDeviceTypes DeviceType() const { return deviceType_; }
  // Takes effect at the next Open.
  void SetDeviceType(TMPDeviceTypes value) { deviceType_ = value; }
  QWidget* Display() const { return display_; }
  void SetDisplay(QWidget* value);
  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& value) override { fileName_ = value; }
  bool Shareable() const { return shareable_; }
  void SetShareable(bool value) { shareable_ = value; }
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

  // --- Device operations ---
  // Open, Close and the transport operations. All but Open, Close and Rewind's
  // service result raise EMCIDeviceError "Aucun périphérique MCI ouvert" when
  // no device is open. Open raises EMCIDeviceError with the service's text when
  // the device refuses; other refusals only set LastError.
  void Open() override;
  void Close();
  void Play();
  void Pause();
  void Stop();
  void Next();
  void Prev();
  void Step();
  void Back();
  void Record();
  void Eject();
  void Rewind();

  // One-shot requests, consumed by the next command that reads them.
  void SetNotify(bool value) override;
  void SetStartFrom(int32_t value);

  TMPModes Mode() override;
  TMPNotifyValues NotifyResult() const override { return notifyResult_; }
  uint32_t LastError() const { return lastError_; }
  std::string ErrorText();
  uint16_t DeviceId() const { return deviceId_; }
  TMPDevCapsSet Capabilities() const { return capabilities_; }
  int32_t Length();
  int32_t Position();
  int32_t TrackCount();
  int32_t TrackStart(int32_t track);
  uint32_t TimeFormat();
  void SetTimeFormat(uint32_t value);
  int32_t DisplayWidth() const { return displayWidth_; }
  int32_t DisplayHeight() const { return displayHeight_; }
  int32_t StepFrames() const { return stepFrames_; }

  // --- Button row state (read-only) ---
  TButtonSet AutoButtons() const { return autoButtons_; }
  int ButtonWidth() const { return buttonWidth_; }
  QPoint MinButtonSize() const { return minButtonSize_; }
  TMPBtnType FocusedButton() const { return focusedButton_; }
  TMPBtnType PressedButton() const { return pressedButton_; }
  // The glyph of a button: 0 enabled, 1 disabled, 2 coloured.
  const QImage& Glyph(TMPBtnType button, int index) const { return glyphImages_[button][index]; }

 protected:
  // Changes AutoButtons after a button's operation; the caller redraws.
  virtual void UpdateAutoButtons(TMPBtnType button);
  virtual void DoClick(TMPBtnType button, bool& doDefault);
  virtual void DoPostClick(TMPBtnType button);
  virtual void DoNotify();

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
  void DrawAutoButtons();
  TRowState RowState() const;
  void Press(int pointerX);
  void ClickDispatch();
  // Play and Record lit again as far as the device can do them; Pause and
  // Stop dimmed. The automatic set after a stop, whoever reports it.
  void RestoreAfterStop();
  void HandleNotify(uint32_t code);
  void DisplayRemoved(QObject* display);

  uint32_t WaitFlags();
  uint32_t NotifyFlags(bool consume);
  // MCI_FROM with from set to StartFrom when a start was set since the last
  // play or record, which it uses up; 0 otherwise.
  uint32_t TakeStartFrom(uint32_t& from);
  void CheckOpen() const;
  MCIERROR Send(uint32_t message, uint32_t flags, void* params, bool storeError = true);
  uintptr_t Callback() { return reinterpret_cast<uintptr_t>(static_cast<QObject*>(this)); }
  uint32_t Status(uint32_t item, bool* ok = nullptr);
  void QueryCapabilities();
  void QueryDisplayRect(uint32_t where);

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
  TMPBtnType pressedButton_ = btPlay;
  QRect pressedRect_;
  int buttonWidth_ = 0;
  QPoint minButtonSize_;
  TMPBtnType focusedButton_ = btPlay;

  bool open_ = false;
  TMPDevCapsSet capabilities_;
  bool canPlay_ = false, canStep_ = false, canEject_ = false, canRecord_ = false, hasVideo_ = false;
  uint32_t lastCommandFlags_ = 0;
  bool notify_ = false, notifyRequested_ = false;
  bool startRequested_ = false;
  uint16_t deviceId_ = 0;
  TMPDeviceTypes deviceType_ = dtAutoSelect;
  int32_t startFrom_ = 0;
  int32_t stepFrames_ = 0;
  uint32_t lastError_ = 0;
  TMPNotifyValues notifyResult_ = nrSuccessful;
  QWidget* display_ = nullptr;
  int32_t displayWidth_ = 0, displayHeight_ = 0;
  std::string fileName_;
  bool autoEnable_ = true, autoOpen_ = false, autoRewind_ = true, shareable_ = false;

  bool updating_ = false;
  IMciService* service_;
};
