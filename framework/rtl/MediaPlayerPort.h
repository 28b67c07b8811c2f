#pragma once
// The media-control player as the commands see it: its transport buttons, the
// device modes and completion results it reports, and the few operations the
// playback command uses. No toolkit types here, so the command builds and is
// tested without widgets; TMediaPlayer (controls/) implements the interface.

#include <cstdint>
#include <string>

#include "CommandPorts.h"

enum TMPBtnType : uint8_t { btPlay, btPause, btStop, btNext, btPrev, btStep, btBack, btRecord, btEject };

enum TMPModes : uint8_t { mdNotReady, mdStopped, mdPlaying, mdRecording, mdSeeking, mdPaused, mdOpen };

enum TMPNotifyValues : uint8_t { nrSuccessful, nrSuperseded, nrAborted, nrFailure };

// Enabled and Visible come from IControlState.
class IMediaPlayer : public IControlState {
 public:
  // The file the next Open opens.
  virtual void SetFileName(const std::string& name) = 0;
  // Closes a device that is open, then opens FileName. Raises EMCIDeviceError
  // with the service's text when the device refuses; no device is open then.
  virtual void Open() = 0;
  // One-shot request, used up by the next command that reads it: true makes
  // that command report its completion through the player's OnNotify.
  virtual void SetNotify(bool value) = 0;
  // The open device's mode, as the media service reports it now.
  virtual TMPModes Mode() = 0;
  // The result of the last completion report.
  virtual TMPNotifyValues NotifyResult() const = 0;
};
