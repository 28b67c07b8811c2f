// The media-control player's device side: the service commands, the one-shot
// requests, status queries, completion reports, the automatic enabling of the
// buttons and the button command dispatch.
#include "MediaPlayerDevice.h"

#include <vector>

namespace {

const char* const kNoDevice = "Aucun périphérique MCI ouvert";
const char* const kUnknownError = "Code d'erreur inconnu";

const char* const kDeviceTypeNames[] = {
    "",        "AVIVideo", "CDAudio",   "DAT", "DigitalVideo", "MMMovie",   "Other",
    "Overlay", "Scanner",  "Sequencer", "VCR", "Videodisc",    "WaveAudio",
};

}  // namespace

// ---------------------------------------------------------------------------
// Construction

TMediaPlayerDevice::TMediaPlayerDevice(IMediaPlayerOwner& owner) : owner_(owner), service_(&DefaultMciService()) {}

TMediaPlayerDevice::~TMediaPlayerDevice() {
  if (deviceId_ != 0) {
    MCI_GENERIC_PARMS params{};
    service_->SendCommand(deviceId_, MCI_CLOSE, MCI_WAIT, &params);
  }
}

void TMediaPlayerDevice::SetMciService(IMciService* service) { service_ = service ? service : &DefaultMciService(); }

// ---------------------------------------------------------------------------
// Button command dispatch and automatic enabling

void TMediaPlayerDevice::ClickDispatch() {
  bool doDefault = true;
  owner_.DoClick(pressedButton_, doDefault);
  if (!doDefault) return;
  switch (pressedButton_) {
    case btPlay:
      Play();
      break;
    case btPause:
      Pause();
      break;
    case btStop:
      Stop();
      break;
    case btNext:
      Next();
      break;
    case btPrev:
      Prev();
      break;
    case btStep:
      Step();
      break;
    case btBack:
      Back();
      break;
    case btRecord:
      Record();
      break;
    case btEject:
      Eject();
      break;
  }
  owner_.DoPostClick(pressedButton_);
}

void TMediaPlayerDevice::UpdateAutoButtons(TMPBtnType button) {
  switch (button) {
    case btPlay:
    case btRecord:
      autoButtons_ = autoButtons_ - TButtonSet{btPlay, btRecord} + TButtonSet{btPause, btStop};
      break;
    case btPause:
      if (canPlay_) autoButtons_.Include(btPlay);
      if (canRecord_) autoButtons_.Include(btRecord);
      break;
    default:
      RestoreAfterStop();
      break;
  }
}

void TMediaPlayerDevice::RestoreAfterStop() {
  if (canPlay_) autoButtons_.Include(btPlay);
  if (canRecord_) autoButtons_.Include(btRecord);
  autoButtons_ = autoButtons_ - TButtonSet{btPause, btStop};
}

// ---------------------------------------------------------------------------
// Completion report

void TMediaPlayerDevice::MciNotify(uint32_t code) {
  if (autoEnable_ && Mode() == mdStopped) {
    RestoreAfterStop();
    owner_.AutoButtonsChanged();
  }
  switch (code) {
    case MCI_NOTIFY_SUCCESSFUL:
      notifyResult_ = nrSuccessful;
      break;
    case MCI_NOTIFY_SUPERSEDED:
      notifyResult_ = nrSuperseded;
      break;
    case MCI_NOTIFY_ABORTED:
      notifyResult_ = nrAborted;
      break;
    case MCI_NOTIFY_FAILURE:
      notifyResult_ = nrFailure;
      break;
    default:
      break;
  }
  owner_.DoNotify();
}

// ---------------------------------------------------------------------------
// Commands

void TMediaPlayerDevice::SetNotify(bool value) {
  notify_ = value;
  notifyRequested_ = true;
}

void TMediaPlayerDevice::SetStartFrom(int32_t value) {
  startFrom_ = value;
  startRequested_ = true;
}

uint32_t TMediaPlayerDevice::WaitFlags() {
  uint32_t flags = MCI_WAIT;
  if (notifyRequested_) {
    if (notify_) flags |= MCI_NOTIFY;
    notifyRequested_ = false;
  }
  return flags;
}

uint32_t TMediaPlayerDevice::NotifyFlags(bool consume) {
  uint32_t flags = MCI_NOTIFY;
  if (notifyRequested_) {
    flags = notify_ ? MCI_NOTIFY : 0;
    if (consume) notifyRequested_ = false;
  }
  return flags;
}

uint32_t TMediaPlayerDevice::TakeStartFrom(uint32_t& from) {
  if (!startRequested_) return 0;
  from = static_cast<uint32_t>(startFrom_);
  startRequested_ = false;
  return MCI_FROM;
}

void TMediaPlayerDevice::CheckOpen() const {
  if (!open_) throw EMCIDeviceError(kNoDevice);
}

MCIERROR TMediaPlayerDevice::Send(uint32_t message, uint32_t flags, void* params, bool storeError) {
  lastCommandFlags_ = flags;
  const MCIERROR result = service_->SendCommand(message == MCI_OPEN ? 0 : deviceId_, message, flags, params);
  if (storeError) lastError_ = result;
  return result;
}

void TMediaPlayerDevice::Open() {
  if (open_) Close();
  uint32_t flags = WaitFlags() | MCI_OPEN_ELEMENT;
  TMciOpenParms params{};
  params.dwCallback = callback_;
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
    owner_.ApplyDisplay();
    QueryDisplayRect(MCI_ANIM_WHERE_DESTINATION);
  }
  if (deviceType_ == dtCDAudio || deviceType_ == dtVideodisc) SetTimeFormat(MCI_FORMAT_TMSF);

  autoButtons_ = TButtonSet{btNext, btPrev};
  if (canStep_) autoButtons_ = autoButtons_ + TButtonSet{btStep, btBack};
  if (canPlay_) autoButtons_.Include(btPlay);
  if (canRecord_) autoButtons_.Include(btRecord);
  if (canEject_) autoButtons_.Include(btEject);
  if (Mode() == mdPlaying) owner_.UpdateAutoButtons(btPlay);
  owner_.AutoButtonsChanged();
}

void TMediaPlayerDevice::QueryCapabilities() {
  // Describes the device now open, not every device opened before it.
  capabilities_ = TMPDevCapsSet{};
  auto query = [&](uint32_t item) {
    MCI_GETDEVCAPS_PARMS params{};
    params.dwCallback = callback_;
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
  canStep_ = type == MCI_DEVTYPE_ANIMATION || type == MCI_DEVTYPE_DIGITAL_VIDEO || type == MCI_DEVTYPE_OVERLAY ||
             type == MCI_DEVTYPE_VCR;
  if (canStep_) capabilities_.Include(capCanStep);
  QueryDisplayRect(MCI_ANIM_WHERE_SOURCE);
}

void TMediaPlayerDevice::QueryDisplayRect(uint32_t where) {
  MCI_ANIM_RECT_PARMS params{};
  params.dwCallback = callback_;
  Send(MCI_WHERE, MCI_WAIT | where, &params);
  displayWidth_ = params.rc.right - params.rc.left;
  displayHeight_ = params.rc.bottom - params.rc.top;
}

void TMediaPlayerDevice::Close() {
  if (deviceId_ == 0) return;
  MCI_GENERIC_PARMS params{};
  params.dwCallback = callback_;
  if (Send(MCI_CLOSE, WaitFlags(), &params) != 0) return;
  open_ = false;
  deviceId_ = 0;
  autoButtons_ = TButtonSet{};
  owner_.AutoButtonsChanged();
}

void TMediaPlayerDevice::Play() {
  CheckOpen();
  if (autoRewind_ && !startRequested_ && Position() == Length()) Rewind();
  MCI_PLAY_PARMS params{};
  params.dwCallback = callback_;
  uint32_t from = 0;
  const uint32_t flags = NotifyFlags(true) | TakeStartFrom(from);
  params.dwFrom = from;
  Send(MCI_PLAY, flags, &params);
}

void TMediaPlayerDevice::Record() {
  CheckOpen();
  MCI_RECORD_PARMS params{};
  params.dwCallback = callback_;
  uint32_t from = 0;
  const uint32_t flags = NotifyFlags(true) | TakeStartFrom(from);
  params.dwFrom = from;
  Send(MCI_RECORD, flags, &params);
}

void TMediaPlayerDevice::Stop() {
  CheckOpen();
  MCI_GENERIC_PARMS params{};
  params.dwCallback = callback_;
  Send(MCI_STOP, WaitFlags(), &params);
}

void TMediaPlayerDevice::Pause() {
  CheckOpen();
  const TMPModes mode = Mode();
  MCI_GENERIC_PARMS params{};
  params.dwCallback = callback_;
  if (mode == mdPlaying) {
    Send(MCI_PAUSE, WaitFlags(), &params);
  } else if (mode == mdPaused) {
    if (Send(MCI_RESUME, NotifyFlags(false), &params) != 0)
      Play();
    else
      notifyRequested_ = false;
  }
}

void TMediaPlayerDevice::Next() {
  CheckOpen();
  uint32_t flags = WaitFlags();
  MCI_SEEK_PARMS params{};
  params.dwCallback = callback_;
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

void TMediaPlayerDevice::Prev() {
  CheckOpen();
  uint32_t flags = WaitFlags();
  MCI_SEEK_PARMS params{};
  params.dwCallback = callback_;
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

void TMediaPlayerDevice::Step() {
  CheckOpen();
  if (!hasVideo_) return;
  if (autoRewind_ && Position() == Length()) Rewind();
  MCI_ANIM_STEP_PARMS params{};
  params.dwCallback = callback_;
  params.dwFrames = static_cast<uint32_t>(stepFrames_);
  Send(MCI_STEP, WaitFlags() | MCI_ANIM_STEP_FRAMES, &params);
}

void TMediaPlayerDevice::Back() {
  CheckOpen();
  if (!hasVideo_) return;
  MCI_ANIM_STEP_PARMS params{};
  params.dwCallback = callback_;
  params.dwFrames = static_cast<uint32_t>(stepFrames_);
  Send(MCI_STEP, WaitFlags() | MCI_ANIM_STEP_REVERSE | MCI_ANIM_STEP_FRAMES, &params);
}

void TMediaPlayerDevice::Eject() {
  CheckOpen();
  if (!canEject_) return;
  MCI_SET_PARMS params{};
  params.dwCallback = callback_;
  Send(MCI_SET, WaitFlags() | MCI_SET_DOOR_OPEN, &params);
}

void TMediaPlayerDevice::Rewind() {
  CheckOpen();
  MCI_SEEK_PARMS params{};
  params.dwCallback = callback_;
  Send(MCI_SEEK, MCI_WAIT | MCI_SEEK_TO_START, &params, false);
}

// ---------------------------------------------------------------------------
// Status

uint32_t TMediaPlayerDevice::Status(uint32_t item, bool* ok) {
  MCI_STATUS_PARMS params{};
  params.dwCallback = callback_;
  params.dwItem = item;
  const MCIERROR result = Send(MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM, &params);
  if (ok) *ok = result == 0;
  return static_cast<uint32_t>(params.dwReturn);
}

int32_t TMediaPlayerDevice::Length() {
  CheckOpen();
  return static_cast<int32_t>(Status(MCI_STATUS_LENGTH));
}

int32_t TMediaPlayerDevice::Position() {
  bool ok = false;
  const uint32_t value = Status(MCI_STATUS_POSITION, &ok);
  return ok ? static_cast<int32_t>(value) : 0;
}

int32_t TMediaPlayerDevice::TrackCount() {
  CheckOpen();
  return static_cast<int32_t>(Status(MCI_STATUS_NUMBER_OF_TRACKS));
}

TMPModes TMediaPlayerDevice::Mode() {
  bool ok = false;
  const uint32_t value = Status(MCI_STATUS_MODE, &ok);
  // An unanswered query reads as "not ready" rather than as a byte out of range.
  if (!ok) return mdNotReady;
  return static_cast<TMPModes>(static_cast<uint8_t>((value & 0xFF) - 12));
}

uint32_t TMediaPlayerDevice::TimeFormat() {
  CheckOpen();
  return Status(MCI_STATUS_TIME_FORMAT) & 0xFF;
}

int32_t TMediaPlayerDevice::TrackStart(int32_t track) {
  MCI_STATUS_PARMS params{};
  params.dwCallback = callback_;
  params.dwItem = MCI_STATUS_POSITION;
  params.dwTrack = static_cast<uint32_t>(track);
  Send(MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM | MCI_TRACK, &params, false);
  return static_cast<int32_t>(params.dwReturn);
}

void TMediaPlayerDevice::SetTimeFormat(uint32_t value) {
  MCI_SET_PARMS params{};
  params.dwTimeFormat = value;
  Send(MCI_SET, MCI_NOTIFY | MCI_SET_TIME_FORMAT, &params);
}

std::string TMediaPlayerDevice::ErrorText() {
  std::vector<char> buffer(4096, '\0');
  if (service_->GetErrorString(lastError_, buffer.data(), static_cast<uint32_t>(buffer.size()))) {
    buffer.back() = '\0';
    return std::string(buffer.data());
  }
  return kUnknownError;
}

// ---------------------------------------------------------------------------
// Display window

MCIERROR TMediaPlayerDevice::SendDisplayWindow(uintptr_t window) {
  TMciWindowParms params{};
  params.dwCallback = callback_;
  // The block's field is the system's window handle type (an integer on
  // Linux, a pointer on Windows).
  params.hWnd = reinterpret_cast<decltype(params.hWnd)>(window);
  return Send(MCI_WINDOW, MCI_WAIT | MCI_ANIM_WINDOW_HWND, &params);
}
