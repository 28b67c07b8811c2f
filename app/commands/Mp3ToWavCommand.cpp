#include "Mp3ToWavCommand.h"

#include "FileChecks.h"
#include "FileServices.h"
#include "MPEGPlay.h"
#include "MpegLibrary.h"
#include "PathUtils.h"

const char* const kMp3IsItsOwnWav = "The Wav file must not be the Mp3 file itself\rNothing changed!";

namespace {

// Names are UTF-8, so the last four characters may take more than four bytes;
// cutting bytes could split a character and leave a name that is not text.
std::string WithoutLastFourCharacters(const std::string& name) {
  size_t end = name.size();
  for (int n = 0; n < 4; ++n) {
    if (end == 0) return std::string();
    --end;
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) --end;
  }
  return name.substr(0, end);
}

}  // namespace

TMp3ToWavCommand::TMp3ToWavCommand(TMp3ToWavParts parts, TSharedState& state, std::string installedLibraryDir,
                                   OpticalDiscTest onOpticalDisc)
    : parts_(parts),
      state_(state),
      installedLibraryDir_(std::move(installedLibraryDir)),
      onOpticalDisc_(std::move(onOpticalDisc)) {}

void TMp3ToWavCommand::BackToIdle(TGaugeOnIdle gauge) {
  parts_.BitBtn4.SetEnabled(true);
  parts_.BitBtn1.SetEnabled(true);
  parts_.BitBtn2.SetEnabled(true);
  if (gauge == TGaugeOnIdle::BackToZero) parts_.Gauge1.SetProgress(0);
  parts_.MediaPlayer1.SetEnabled(true);
}

void TMp3ToWavCommand::Run() {
  // The presence test looks where the program ships the library, not where
  // the player found it at start-up.
  std::string fixedPlace = installedLibraryDir_;
  if (!fixedPlace.empty() && fixedPlace.back() != PathDelim) fixedPlace += PathDelim;
  if (!FileExists(state_.AppDir + TMpegLibrary::kFileName) && !FileExists(fixedPlace + TMpegLibrary::kFileName)) {
    parts_.Messages.PlainMessage("MpegDll Not Found !!");
    return;
  }

  parts_.OpenDialog1.SetTitle("Only Mp3's");
  parts_.OpenDialog1.SetFilter("Fichiers Mp3|*.mp3");
  if (!parts_.OpenDialog1.Execute()) return;
  const std::string mp3Path = parts_.OpenDialog1.FileName();

  parts_.BitBtn1.SetEnabled(false);
  parts_.BitBtn2.SetEnabled(false);
  parts_.BitBtn4.SetEnabled(false);
  parts_.MediaPlayer1.SetEnabled(false);

  std::string outputFolder = ExtractFilePath(mp3Path);
  if (onOpticalDisc_ && onOpticalDisc_(mp3Path)) {
    if (parts_.Messages.PickDirectory("Choose Destination Directory", "", outputFolder)) {
      outputFolder += PathDelim;
    } else {
      parts_.Status.SetStatusText("Can't write on CD");
      BackToIdle(TGaugeOnIdle::Untouched);
      return;
    }
  }

  state_.Mp3FileName = ExtractFileName(mp3Path);
  state_.OutBaseName = WithoutLastFourCharacters(state_.Mp3FileName);
  const std::string outputPath = outputFolder + state_.OutBaseName + ".wav";
  // An MP3 whose name ends in ".wav" (or a WAV name linked to the MP3) would
  // be emptied by the decoder while it reads it.
  if (IsSameExistingFile(outputPath, mp3Path)) {
    BackToIdle(TGaugeOnIdle::BackToZero);
    parts_.Messages.PlainMessage(kMp3IsItsOwnWav);
    return;
  }

  try {
    parts_.MPEGPlayer1.SetOutFilename(outputPath);
    parts_.MPEGPlayer1.SetOutputDevice(TOutputDevice::pcmfile);
    parts_.MPEGPlayer1.SetStreamName(mp3Path);
    parts_.Status.SetStatusText("Processing: " + state_.Mp3FileName);
    parts_.Status.RepaintWindow();
    Decode();
  } catch (...) {
    // Nothing may stay dead behind the error box: back to idle first; the
    // status bar keeps naming the file that failed.
    BackToIdle(TGaugeOnIdle::BackToZero);
    throw;
  }

  BackToIdle(TGaugeOnIdle::BackToZero);
  parts_.Status.SetStatusText("Saved as: " + outputPath);
  parts_.Status.RepaintWindow();
}

void TMp3ToWavCommand::Decode() {
  TMPEGPlayer& player = parts_.MPEGPlayer1;
  player.Open();
  parts_.Gauge1.SetMaxValue(player.StreamLength());
  parts_.Gauge1.SetProgress(0);
  // Both loops poll back to back: the library decodes on its own thread and
  // the window is repainted only by the gauge meanwhile.
  while (player.GetCurrentPos() == -1) player.Play();
  while (!player.ResetPlayerMode()) {
    player.Play();
    parts_.Gauge1.SetProgress(player.GetCurrentPos());
  }
  player.Close();
}
