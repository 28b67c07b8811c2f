#include "GameSoundConversion.h"

#include <cstdint>
#include <limits>

#include "CheckedFile.h"
#include "CopyIntoPlace.h"
#include "Exceptions.h"
#include "FileChecks.h"
#include "FileServices.h"
#include "HalveSampleRate.h"
#include "PathUtils.h"
#include "Pcm16Source.h"
#include "PrivateFiles.h"
#include "Resampler.h"
#include "WavDecoding.h"
#include "WavLayout.h"

const char* const kRateWarning =
    "Working with frequency different from 22050Hz or 44100Hz\r"
    "               can make some strange sound!\r"
    "                        Continue?";
const char* const kHalvingFailed = "Something goes wrong when resampling wav\rNothing changed!";
const char* const kRateNotResampled = "A rate of %u Hz cannot be resampled: 8000 to 192000 Hz\rNothing changed!";
const char* const kSameFileRefused = "The game sound file must not be the Wav file itself\rNothing changed!";
const char* const kEncodingUnreadable = "The Wav file's sound encoding can't be read\rNothing changed!";

namespace {

constexpr unsigned kGameRate = 22050;
constexpr unsigned kCdRate = 44100;
constexpr int kFileNotFound = 2;
constexpr int kPathNotFound = 3;
constexpr int kAccessDenied = 5;
constexpr int kFileExists = 80;

[[noreturn]] void RaiseInOutError(int code, const std::string& path = "") {
  throw EInOutError(InOutErrorMessage(code), code, path);
}

TWavLayout LayoutOf(const TFileVar& f) {
  TWavLayout layout;
  const int code = ReadWavLayout(f.Handle, layout);
  if (code != 0) RaiseInOutError(code);
  return layout;
}

// The producer that turns the WAV's sound into 16-bit PCM, or none when its
// bytes are that already.
TPcm16Producer ProducerFor(const TWavLayout& layout) {
  if (IsPcm16(layout)) return nullptr;
  return DecodeToPcm16;
}

// A private file of the run that would not go is an error: the user learns
// what stayed behind.
void RemovePrivateFile(THalvedFile& file) {
  const int code = file.Remove();
  if (code != 0) RaiseInOutError(code, file.FailedPath());
}

std::string RateNotResampled(unsigned rate) {
  std::string text = kRateNotResampled;
  text.replace(text.find("%u"), 2, std::to_string(rate));
  return text;
}

// A folder, FIFO or device chosen as the game file would be replaced by a
// regular file (or, opened, block the window): refused before anything is done.
void RefuseSpecialFile(const std::string& name) {
  if (IsSpecialFile(name)) RaiseInOutError(kAccessDenied);
}

}  // namespace

TGameSoundConversion::TGameSoundConversion(TGameSoundParts parts, const std::string& wavFolder,
                                           const std::string& gameSoundFolder, bool& halvingSucceeded)
    : openDialog_(parts.OpenDialog1),
      saveDialog_(parts.SaveDialog1),
      messages_(parts.Messages),
      statusLine_(parts.Status),
      gauge_(parts.Gauge1),
      settings_(parts.Settings),
      wavFolder_(wavFolder),
      gameSoundFolder_(gameSoundFolder),
      halvingSucceeded_(halvingSucceeded) {}

void TGameSoundConversion::Run() {
  openDialog_.SetTitle("Select a Wav");
  openDialog_.SetFilter("Wav files|*.wav");
  if (!wavFolder_.empty()) openDialog_.SetInitialDir(wavFolder_);
  if (!openDialog_.Execute()) return;
  const std::string wavPath = openDialog_.FileName();
  if (!RegularFileExists(wavPath)) return;
  RememberFolder("Wav", wavPath, wavFolder_);
  // Reading the rate opens the WAV for reading and writing.
  ClearReadOnly(wavPath);
  const std::string wavName = ExtractFileName(wavPath);

  if (!gameSoundFolder_.empty()) saveDialog_.SetInitialDir(gameSoundFolder_);
  if (!saveDialog_.Execute()) return;
  const std::string gamePath = saveDialog_.FileName();
  ClearReadOnly(gamePath);
  RememberFolder("Gp3", gamePath, gameSoundFolder_);
  const std::string gameName = ExtractFileName(gamePath);

  const TWavLayout wavLayout = ReadLayout(wavPath);
  const unsigned rate = wavLayout.sampleRate;
  const bool resample = resampler_ && rate != kGameRate;
  if (resample && (rate < kLowestResampledRate || rate > kHighestResampledRate)) {
    messages_.PlainMessage(RateNotResampled(rate));
    return;
  }
  if (!resample && rate != kGameRate && rate != kCdRate) {
    if (messages_.MessageDialog(kRateWarning, TMsgDlgType::mtConfirmation, {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}, 0) ==
        mrNo)
      return;
  }

  // The game file is replaced by the data: were it the WAV, the data would be gone.
  if (gamePath == wavPath || IsSameExistingFile(gamePath, wavPath)) {
    messages_.PlainMessage(kSameFileRefused);
    return;
  }
  RefuseSpecialFile(gamePath);

  // Nothing of the user's is touched before the data is open for reading: a
  // WAV that vanished meanwhile ends the command with the game file as it was.
  const bool halve = !resample && rate == kCdRate;
  if (halve || resample) ShowStatus("Resampling " + wavName, true);
  // Any encoding but 16-bit PCM is first turned into 16-bit PCM, which then
  // stands in for the WAV.
  TPcm16File pcmFile;
  std::string dataPath = wavPath;
  if (const TPcm16Producer produce = resample ? resampler_ : ProducerFor(wavLayout)) {
    const TPcm16Outcome made = produce(wavPath, pcmFile);
    if (made.kind == TPcm16Outcome::TKind::Unreadable) {
      messages_.PlainMessage(kEncodingUnreadable);
      return;
    }
    if (made.kind == TPcm16Outcome::TKind::Failed)
      RaiseInOutError(DiskFullAsOne(made.errorCode),
                      pcmFile.FailedPath().empty() ? pcmFile.Path() : pcmFile.FailedPath());
    dataPath = pcmFile.Path();
  }
  THalvedFile halvedFile;
  TFileVar source;
  TClosingGuard sourceGuard(source);
  int64_t dataSize = std::numeric_limits<int64_t>::max();
  if (halve) {
    halvingSucceeded_ = false;
    if (halvedFile.Create(wavName)) HalveSampleRate(dataPath, halvedFile.Path(), gauge_, halvingSucceeded_);
    if (!halvingSucceeded_) {
      messages_.PlainMessageAbout(kHalvingFailed, halvedFile.FailedPath());
      return;
    }
    AssignFile(source, halvedFile.Path());
    Reset(source, 1);
  } else {
    AssignFile(source, dataPath);
    Reset(source, 1);
    // Read again from the file that is copied, in case it changed while the
    // user was asked about its rate.
    const TWavLayout layout = LayoutOf(source);
    Seek(source, layout.dataOffset);
    // Without chunks the data runs to the end of the file, whatever it holds.
    if (layout.fromChunks) dataSize = layout.dataSize;
  }

  // Read from here on through the open file alone: nothing of the run stays
  // in the temporary folder, whatever ends the program later.
  RemovePrivateFile(halvedFile);
  RemovePrivateFile(pcmFile);

  TRunFile madeBackup;
  BackUp(gamePath, madeBackup);
  ShowStatus("Deleting " + gameName, true);
  ShowStatus("Converting " + wavName + " as " + gameName, true);
  CopyIntoPlace(source, dataSize, gamePath, &madeBackup);
  gauge_.SetProgress(0);
  ShowStatus("That's right", false);
}

void TGameSoundConversion::ClearReadOnly(const std::string& fileName) {
  const int attributes = FileGetAttr(fileName);
  if (attributes != -1 && (attributes & faReadOnly) != 0) FileSetAttr(fileName, attributes & ~faReadOnly);
}

void TGameSoundConversion::RememberFolder(const char* key, const std::string& fileName,
                                          const std::string& startFolder) {
  const std::string folder = ExtractFilePath(fileName);
  if (folder != startFolder && settings_ != nullptr) settings_->WriteText("Directory", key, folder);
}

void TGameSoundConversion::ShowStatus(const std::string& text, bool repaint) {
  statusLine_.SetStatusText(text);
  // The command keeps the event loop waiting until it ends.
  if (repaint) statusLine_.RepaintWindow();
}

TWavLayout TGameSoundConversion::ReadLayout(const std::string& wavName) {
  TFileVar f;
  TClosingGuard guard(f);
  AssignFile(f, wavName);
  Reset(f, 1);
  const TWavLayout layout = LayoutOf(f);
  CloseFile(f);
  return layout;
}

void TGameSoundConversion::BackUp(const std::string& gameName, TRunFile& madeBackup) {
  const std::string backupName = gameName + ".bak";
  // Once made, the backup holds the game's own file and is never touched again.
  if (RegularFileExists(backupName)) return;
  ShowStatus("Backing up " + ExtractFileName(gameName), true);
  // Made whole under a hidden name and then given the backup's name without
  // replacing anything: a backup that another run made meanwhile holds the
  // game's file as it was before that run replaced it, and stays as it is.
  const int code = MakeWholeBackup(gameName, backupName, madeBackup);
  // No game file yet: there is nothing to keep.
  if (code == 0 || code == kFileNotFound || code == kPathNotFound) return;
  // Only a backup file counts; a link to nowhere or a folder there keeps nothing.
  if (code == kFileExists && RegularFileExists(backupName)) return;
  // The game file is about to be replaced: without a backup it would be lost.
  RaiseInOutError(DiskFullAsOne(code), backupName);
}
