#include "PlaybackCommand.h"

#include "IniFiles.h"
#include "MPEGPlay.h"
#include "PathUtils.h"

bool EndsInWav(const std::string& fileName) {
  if (fileName.size() < 3) return false;
  std::string tail = fileName.substr(fileName.size() - 3);
  for (char& c : tail) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return tail == "WAV";
}

TPlaybackCommand::TPlaybackCommand(TPlaybackParts parts, TSharedState& state) : p_(parts), s_(state) {}

void TPlaybackCommand::BitBtn4Click() {
  p_.OpenDialog1.SetTitle("Wav / Mp3 Player");
  p_.OpenDialog1.SetFilter("Wav'z or Mp3'z|*.Wav;*.mp3;*.raw");
  if (!s_.WavDir.empty()) p_.OpenDialog1.SetInitialDir(s_.WavDir);
  if (!p_.OpenDialog1.Execute()) return;
  const std::string path = p_.OpenDialog1.FileName();
  const std::string folder = ExtractFilePath(path);
  if (folder != s_.WavDir) s_.Settings->WriteText("Directory", "Wav", folder);
  s_.PlayedFileName = ExtractFileName(path);

  if (EndsInWav(s_.PlayedFileName)) {
    p_.BitBtn1.SetVisible(false);
    p_.MediaPlayer1.SetVisible(true);
    p_.BitBtn1.SetEnabled(false);
    p_.BitBtn2.SetEnabled(false);
    p_.BitBtn4.SetEnabled(false);
    p_.MediaPlayer1.SetFileName(path);
    try {
      p_.MediaPlayer1.Open();
    } catch (...) {
      // A file the media player cannot open must not leave the window with
      // every button dead behind the error box.
      BackToIdleFromWav();
      throw;
    }
    p_.MediaPlayer1.SetNotify(true);
    return;
  }

  p_.MediaPlayer1.SetVisible(false);
  p_.BitBtn1.SetEnabled(false);
  p_.BitBtn2.SetEnabled(false);
  p_.BitBtn4.SetEnabled(false);
  p_.BitBtn6.SetVisible(true);
  p_.MPEGPlayer1.SetStreamName(path);
  p_.MPEGPlayer1.SetOutputDevice(TOutputDevice::wavemapper);
  p_.MPEGPlayer1.Play();
  p_.Status.SetStatusText("Playing: " + s_.PlayedFileName);
}

void TPlaybackCommand::BackToIdleFromWav() {
  p_.MediaPlayer1.SetVisible(false);
  p_.BitBtn4.SetEnabled(true);
  p_.BitBtn2.SetEnabled(true);
  p_.BitBtn1.SetEnabled(true);
  p_.BitBtn1.SetVisible(true);
}

void TPlaybackCommand::MediaPlayer1Click(TMPBtnType button, bool& doDefault) {
  (void)doDefault;  // the player carries out the button's own action
  if (button == btPlay) {
    p_.Status.SetStatusText("Playing: " + s_.PlayedFileName);
    s_.Playing = true;
  } else if (button == btStop) {
    p_.Status.SetStatusText("");
    s_.Playing = false;
    BackToIdleFromWav();
  }
}

void TPlaybackCommand::MediaPlayer1Notify() {
  p_.MediaPlayer1.SetNotify(true);
  if (p_.MediaPlayer1.Mode() == mdStopped && s_.Playing) {
    // A playback the device gave up on (the file or the sound output failed
    // on the way) has not run to its end, so it is not reported as a success.
    p_.Status.SetStatusText(p_.MediaPlayer1.NotifyResult() == nrFailure ? "" : "That's right");
    s_.Playing = false;
    BackToIdleFromWav();
  }
}

void TPlaybackCommand::BitBtn6Click() {
  // Without the decoder library nothing was opened, and every query of the
  // player would raise: the button must still lead back to idle, or the
  // window would be left with every command dead.
  if (p_.MPEGPlayer1.Loaded()) {
    if (p_.MPEGPlayer1.GetPlayerMode() == 3) p_.MPEGPlayer1.Stop();
    p_.MPEGPlayer1.Close();
  }
  p_.Status.SetStatusText("");
  p_.BitBtn6.SetVisible(false);
  p_.BitBtn4.SetEnabled(true);
  p_.BitBtn2.SetEnabled(true);
  p_.BitBtn1.SetEnabled(true);
}
