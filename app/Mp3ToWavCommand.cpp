#include "Mp3ToWavCommand.h"

#include "FileChecks.h"
#include "FileServices.h"
#include "MPEGPlay.h"
#include "PathUtils.h"

const char* const kDecoderLibraryFileName = "libmpegdll.so";
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
    : p_(parts),
      s_(state),
      installedLibraryDir_(std::move(installedLibraryDir)),
      onOpticalDisc_(std::move(onOpticalDisc)) {}

void TMp3ToWavCommand::EnableControls() {
  p_.BitBtn4.SetEnabled(true);
  p_.BitBtn1.SetEnabled(true);
  p_.BitBtn2.SetEnabled(true);
}

void TMp3ToWavCommand::BackToIdle() {
  EnableControls();
  p_.Gauge1.SetProgress(0);
  p_.MediaPlayer1.SetEnabled(true);
}

void TMp3ToWavCommand::Run() {
  // The presence test looks where the program ships the library, not where
  // the player found it at start-up.
  std::string fixedPlace = installedLibraryDir_;
  if (!fixedPlace.empty() && fixedPlace.back() != PathDelim) fixedPlace += PathDelim;
  if (!FileExists(s_.AppDir + kDecoderLibraryFileName) && !FileExists(fixedPlace + kDecoderLibraryFileName)) {
    p_.Messages.PlainMessage("MpegDll Not Found !!");
    return;
  }

  p_.OpenDialog1.SetTitle("Only Mp3's");
  p_.OpenDialog1.SetFilter("Fichiers Mp3|*.mp3");
  if (!p_.OpenDialog1.Execute()) return;
  const std::string mp3Path = p_.OpenDialog1.FileName();

  p_.BitBtn1.SetEnabled(false);
  p_.BitBtn2.SetEnabled(false);
  p_.BitBtn4.SetEnabled(false);
  p_.MediaPlayer1.SetEnabled(false);

  std::string outputFolder = ExtractFilePath(mp3Path);
  if (onOpticalDisc_ && onOpticalDisc_(mp3Path)) {
    if (p_.Messages.PickDirectory("Choose Destination Directory", "", outputFolder)) {
      outputFolder += PathDelim;
    } else {
      p_.Status.SetStatusText("Can't write on CD");
      EnableControls();
      p_.MediaPlayer1.SetEnabled(true);
      return;
    }
  }

  s_.Mp3FileName = ExtractFileName(mp3Path);
  s_.OutBaseName = WithoutLastFourCharacters(s_.Mp3FileName);
  const std::string outputPath = outputFolder + s_.OutBaseName + ".wav";
  // An MP3 whose name ends in ".wav" (or a WAV name linked to the MP3) would
  // be emptied by the decoder while it reads it.
  if (IsSameExistingFile(outputPath, mp3Path)) {
    BackToIdle();
    p_.Messages.PlainMessage(kMp3IsItsOwnWav);
    return;
  }

  try {
    p_.MPEGPlayer1.SetOutFilename(outputPath);
    p_.MPEGPlayer1.SetOutputDevice(TOutputDevice::pcmfile);
    p_.MPEGPlayer1.SetStreamName(mp3Path);
    p_.Status.SetStatusText("Processing: " + s_.Mp3FileName);
    p_.Status.RepaintWindow();
    Decode();
  } catch (...) {
    // Nothing may stay dead behind the error box: back to idle first; the
    // status bar keeps naming the file that failed.
    BackToIdle();
    throw;
  }

  BackToIdle();
  p_.Status.SetStatusText("Saved as: " + outputPath);
  p_.Status.RepaintWindow();
}

void TMp3ToWavCommand::Decode() {
  TMPEGPlayer& player = p_.MPEGPlayer1;
  player.Open();
  p_.Gauge1.SetMaxValue(player.StreamLength());
  p_.Gauge1.SetProgress(0);
  // Both loops poll back to back: the library decodes on its own thread and
  // the window is repainted only by the gauge meanwhile.
  while (player.GetCurrentPos() == -1) player.Play();
  while (!player.ResetPlayerMode()) {
    player.Play();
    p_.Gauge1.SetProgress(player.GetCurrentPos());
  }
  player.Close();
}
