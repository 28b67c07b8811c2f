#pragma once
// The media-control player's device side, the same on every system: the
// commands it sends to one device of the media control service with the flags
// built from the one-shot Notify and StartFrom requests, the last error and
// its text, the status queries, the completion report, the automatic enabling
// of the transport buttons and the button command dispatch.
//
// The device has no window of its own. The control that owns it
// (TMediaPlayer on Qt, or whatever holds a TMciNotifyWindow on Windows) is
// its IMediaPlayerOwner: it tells the device where the service is to post
// completion reports (SetNotifyCallback) and hands in each report that
// arrives (MciNotify); the device calls it back for the steps a control may
// override (DoClick, DoPostClick, DoNotify, UpdateAutoButtons) and whenever
// the automatic set changes, so the row is drawn again.
//
// Everything runs on the owner's thread. A report is handed in from that
// thread's message loop, never inside a command, so OnNotify never runs
// while a command is on its way.

#include <cstdint>
#include <string>

#include "Exceptions.h"
#include "MciService.h"
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

// What the device asks of the control that owns it.
class IMediaPlayerOwner {
 public:
  // Changes the device's AutoButtons after a button's operation; Open uses it
  // too when the device it opened is already playing. A control that does not
  // override the step calls the device's own rule,
  // TMediaPlayerDevice::UpdateAutoButtons. The caller redraws.
  virtual void UpdateAutoButtons(TMPBtnType button) = 0;
  // Before a button's operation: doDefault := false skips it.
  virtual void DoClick(TMPBtnType button, bool& doDefault) = 0;
  // After a button's operation.
  virtual void DoPostClick(TMPBtnType button) = 0;
  // A completion report has been handled.
  virtual void DoNotify() = 0;
  // AutoButtons changed: copy it into the buttons and draw them again.
  virtual void AutoButtonsChanged() = 0;
  // A device with video was opened: give it the display window again
  // (SendDisplayWindow), or nothing when there is none.
  virtual void ApplyDisplay() = 0;

 protected:
  ~IMediaPlayerOwner() = default;
};

class TMediaPlayerDevice {
 public:
  static constexpr TButtonSet AllButtons = TButtonSet::FromBits(0x1FF);

  // REQUIRES: `owner` outlives the device.
  explicit TMediaPlayerDevice(IMediaPlayerOwner& owner);
  // Closes an open device (result ignored).
  ~TMediaPlayerDevice();
  TMediaPlayerDevice(const TMediaPlayerDevice&) = delete;
  TMediaPlayerDevice& operator=(const TMediaPlayerDevice&) = delete;

  // The media service the device talks to; DefaultMciService() unless a test
  // gives another (null: the default again). REQUIRES: no device open; the
  // service outlives the device.
  void SetMciService(IMciService* service);
  // Where the service posts completion reports: the value every command that
  // carries a callback puts in its block (the owner's window). 0: none.
  void SetNotifyCallback(uintptr_t callback) { callback_ = callback; }
  uintptr_t NotifyCallback() const { return callback_; }

  // --- Properties ---
  bool AutoEnable() const { return autoEnable_; }
  // A plain store: the owner redraws the row.
  void SetAutoEnable(bool value) { autoEnable_ = value; }
  bool AutoOpen() const { return autoOpen_; }
  void SetAutoOpen(bool value) { autoOpen_ = value; }
  bool AutoRewind() const { return autoRewind_; }
  void SetAutoRewind(bool value) { autoRewind_ = value; }
  TMPDeviceTypes DeviceType() const { return deviceType_; }
  // Takes effect at the next Open.
  void SetDeviceType(TMPDeviceTypes value) { deviceType_ = value; }
  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& value) { fileName_ = value; }
  bool Shareable() const { return shareable_; }
  void SetShareable(bool value) { shareable_ = value; }

  // --- Operations ---
  // All but Open and Close raise EMCIDeviceError "Aucun périphérique MCI
  // ouvert" when no device is open, before anything is sent. Open raises
  // EMCIDeviceError with the service's text when the device refuses; other
  // refusals only set LastError.
  void Open();
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
  // Seeks to the start; reads no request and leaves LastError alone.
  void Rewind();

  // One-shot requests, consumed by the next command that reads them.
  void SetNotify(bool value);
  void SetStartFrom(int32_t value);

  // --- Status ---
  bool IsOpen() const { return open_; }
  TMPModes Mode();
  TMPNotifyValues NotifyResult() const { return notifyResult_; }
  uint32_t LastError() const { return lastError_; }
  // The service's text for LastError, or "Code d'erreur inconnu".
  std::string ErrorText();
  uint16_t DeviceId() const { return deviceId_; }
  TMPDevCapsSet Capabilities() const { return capabilities_; }
  // The MCI flags of the most recent command sent.
  uint32_t LastCommandFlags() const { return lastCommandFlags_; }
  int32_t Length();
  int32_t Position();
  int32_t TrackCount();
  int32_t TrackStart(int32_t track);
  uint32_t TimeFormat();
  void SetTimeFormat(uint32_t value);
  int32_t DisplayWidth() const { return displayWidth_; }
  int32_t DisplayHeight() const { return displayHeight_; }
  int32_t StepFrames() const { return stepFrames_; }

  // --- Display window ---
  // A device is open and shows video: the display window goes to it.
  bool UsesDisplay() const { return open_ && hasVideo_; }
  // Gives the open video device the window to show in (0: its own again) and
  // returns the service's result, also kept as LastError.
  // REQUIRES: UsesDisplay().
  MCIERROR SendDisplayWindow(uintptr_t window);

  // --- Transport buttons ---
  // The buttons that make sense in the device's present state.
  TButtonSet AutoButtons() const { return autoButtons_; }
  // The rule after a button's operation (changes the set only).
  void UpdateAutoButtons(TMPBtnType button);
  // The button being pressed, then the one whose operation is dispatched:
  // Next and Prev set it to btPlay when they play instead of seeking.
  TMPBtnType PressedButton() const { return pressedButton_; }
  void SetPressedButton(TMPBtnType button) { pressedButton_ = button; }
  // Runs PressedButton's operation between DoClick and DoPostClick, unless
  // DoClick says no. An error of the operation goes to the caller.
  void ClickDispatch();

  // A completion report with its MCI_NOTIFY_* code: lights Play again when
  // the device stopped, keeps the result, then DoNotify.
  void MciNotify(uint32_t code);

 private:
  // Play and Record lit again as far as the device can do them; Pause and
  // Stop dimmed. The automatic set after a stop, whoever reports it.
  void RestoreAfterStop();

  uint32_t WaitFlags();
  uint32_t NotifyFlags(bool consume);
  // MCI_FROM when a start was set since the last play or record, which it
  // uses up; `from` is then StartFrom. 0 otherwise.
  uint32_t TakeStartFrom(uint32_t& from);
  void CheckOpen() const;
  MCIERROR Send(uint32_t message, uint32_t flags, void* params, bool storeError = true);
  uint32_t Status(uint32_t item, bool* ok = nullptr);
  void QueryCapabilities();
  void QueryDisplayRect(uint32_t where);

  IMediaPlayerOwner& owner_;
  IMciService* service_;
  uintptr_t callback_ = 0;

  TButtonSet autoButtons_;
  TMPBtnType pressedButton_ = btPlay;
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
  int32_t displayWidth_ = 0, displayHeight_ = 0;
  std::string fileName_;
  bool autoEnable_ = true, autoOpen_ = false, autoRewind_ = true, shareable_ = false;
};
