#include "PlaybackCommand.h"

#include "IniFiles.h"
#include "MPEGPlay.h"
#include "PathUtils.h"
#include "SettingNames.h"

bool EndsInWav(const std::string& fileName) {
  if (fileName.size() < 3) return false;
  std::string tail = fileName.substr(fileName.size() - 3);
  for (char& c : tail) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return tail == "WAV";
}

TPlaybackCommand::TPlaybackCommand(TPlaybackParts parts, TSharedState& state) : parts_(parts), state_(state) {}

void TPlaybackCommand::BitBtn4Click() {
  parts_.OpenDialog1.SetTitle("Wav / Mp3 Player");
  parts_.OpenDialog1.SetFilter("Wav'z or Mp3'z|*.Wav;*.mp3;*.raw");
  if (!state_.WavDir.empty()) parts_.OpenDialog1.SetInitialDir(state_.WavDir);
  if (!parts_.OpenDialog1.Execute()) return;
  const std::string path = parts_.OpenDialog1.FileName();
  const std::string folder = ExtractFilePath(path);
  if (folder != state_.WavDir) state_.Settings->WriteText(kFolderSection, kWavFolderKey, folder);
  state_.PlayedFileName = ExtractFileName(path);

  if (EndsInWav(state_.PlayedFileName)) {
    parts_.BitBtn1.SetVisible(false);
    parts_.MediaPlayer1.SetVisible(true);
    parts_.BitBtn1.SetEnabled(false);
    parts_.BitBtn2.SetEnabled(false);
    parts_.BitBtn4.SetEnabled(false);
    parts_.MediaPlayer1.SetFileName(path);
    try {
      parts_.MediaPlayer1.Open();
    } catch (...) {
      // A file the media player cannot open must not leave the window with
      // every button dead behind the error box.
      BackToIdleFromWav();
      throw;
    }
    parts_.MediaPlayer1.SetNotify(true);
    return;
  }

  parts_.MediaPlayer1.SetVisible(false);
  parts_.BitBtn1.SetEnabled(false);
  parts_.BitBtn2.SetEnabled(false);
  parts_.BitBtn4.SetEnabled(false);
  parts_.BitBtn6.SetVisible(true);
  parts_.MPEGPlayer1.SetStreamName(path);
  parts_.MPEGPlayer1.SetOutputDevice(TOutputDevice::wavemapper);
  parts_.MPEGPlayer1.Play();
  parts_.Status.SetStatusText("Playing: " + state_.PlayedFileName);
}

void TPlaybackCommand::BackToIdleFromWav() {
  parts_.MediaPlayer1.SetVisible(false);
  parts_.BitBtn4.SetEnabled(true);
  parts_.BitBtn2.SetEnabled(true);
  parts_.BitBtn1.SetEnabled(true);
  parts_.BitBtn1.SetVisible(true);
}

void TPlaybackCommand::MediaPlayer1Click(TMPBtnType button, bool& doDefault) {
  (void)doDefault;  // the player carries out the button's own action
  if (button == btPlay) {
    parts_.Status.SetStatusText("Playing: " + state_.PlayedFileName);
    state_.Playing = true;
  } else if (button == btStop) {
    parts_.Status.SetStatusText("");
    state_.Playing = false;
    BackToIdleFromWav();
  }
}

void TPlaybackCommand::MediaPlayer1Notify() {
  parts_.MediaPlayer1.SetNotify(true);
  if (parts_.MediaPlayer1.Mode() == mdStopped && state_.Playing) {
    // A playback the device gave up on (the file or the sound output failed
    // on the way) has not run to its end, so it is not reported as a success.
    parts_.Status.SetStatusText(parts_.MediaPlayer1.NotifyResult() == nrFailure ? "" : "That's right");
    state_.Playing = false;
    BackToIdleFromWav();
  }
}

void TPlaybackCommand::BitBtn6Click() {
  // Without the decoder library nothing was opened, and every query of the
  // player would raise: the button must still lead back to idle, or the
  // window would be left with every command dead.
  if (parts_.MPEGPlayer1.Loaded()) {
    if (parts_.MPEGPlayer1.GetPlayerMode() == TMPEGPlayer::kModePlaying) parts_.MPEGPlayer1.Stop();
    parts_.MPEGPlayer1.Close();
  }
  parts_.Status.SetStatusText("");
  parts_.BitBtn6.SetVisible(false);
  parts_.BitBtn4.SetEnabled(true);
  parts_.BitBtn2.SetEnabled(true);
  parts_.BitBtn1.SetEnabled(true);
}
