#pragma once
// "Convert Mp3 as Wav": decodes a chosen MP3 into a WAV beside it (or into a
// picked folder when the MP3 lies on an optical disc), driving the MPEG player
// with its file output and showing the position on the gauge.

#include <functional>
#include <string>

#include "CommandPorts.h"
#include "SharedState.h"

class TMPEGPlayer;

struct TMp3ToWavParts {
  IFileDialog& OpenDialog1;
  IMessages& Messages;
  IStatusLine& Status;
  IProgressGauge& Gauge1;
  TMPEGPlayer& MPEGPlayer1;
  IControlState& BitBtn1;
  IControlState& BitBtn2;
  IControlState& BitBtn4;
  IControlState& MediaPlayer1;
};

class TMp3ToWavCommand {
 public:
  // Tells whether a file lies on a mounted optical disc.
  using OpticalDiscTest = std::function<bool(const std::string& fileName)>;

  // installedLibraryDir: the fixed place of the decoder library, besides the
  // application directory.
  TMp3ToWavCommand(TMp3ToWavParts parts, TSharedState& state, std::string installedLibraryDir,
                   OpticalDiscTest onOpticalDisc);

  // The handler of the button. Raises the player's errors after returning the
  // window to idle. Refuses a WAV that is the MP3 itself, changing nothing.
  void Run();

 private:
  // Whether returning to idle sets the gauge back to 0. When no folder is
  // picked for an MP3 on a disc, the gauge stays as the window showed it.
  enum class TGaugeOnIdle { BackToZero, Untouched };

  // The window's controls as they are in Idle again, in this order: BitBtn4,
  // BitBtn1, BitBtn2 enabled, the gauge (see above), MediaPlayer1 enabled.
  void BackToIdle(TGaugeOnIdle gauge);
  void Decode();

  TMp3ToWavParts parts_;
  TSharedState& state_;
  std::string installedLibraryDir_;
  OpticalDiscTest onOpticalDisc_;
};

// Shown when the WAV to be written is the chosen MP3 itself.
extern const char* const kMp3IsItsOwnWav;
