#include "GameSoundConversion.h"

#include <cstdint>

#include "CheckedFile.h"
#include "Exceptions.h"
#include "FileIdentity.h"
#include "FileServices.h"
#include "HalveSampleRate.h"
#include "PathUtils.h"

const char* const kRateWarning =
    "Working with frequency different from 22050Hz or 44100Hz\r"
    "               can make some strange sound!\r"
    "                        Continue?";
const char* const kHalvingFailed = "Something goes wrong when resampling wav\rNothing changed!";
const char* const kSameFileRefused = "The game sound file must not be the Wav file itself\rNothing changed!";

namespace {

constexpr int64_t kHeaderSize = 44;
constexpr int64_t kRateOffset = 24;
constexpr int64_t kCopyBlock = 2048;
constexpr unsigned kGameRate = 22050;
constexpr unsigned kCdRate = 44100;
constexpr int kDiskFull = 101;
// The platform's own "disk full" code, as the file services map ENOSPC.
constexpr int kPlatformDiskFull = 112;

// Closes a file variable that an error left open, so that its handle does not
// stay held until the program ends. A failure to close is not reported: the
// error that is on its way matters more.
class OpenFileGuard {
 public:
  explicit OpenFileGuard(TFileVar& f) : f_(f) {}
  ~OpenFileGuard() {
    if (f_.State == TFileState::fmClosed) return;
    try {
      CloseFile(f_);
    } catch (const Exception&) {
    }
  }
  OpenFileGuard(const OpenFileGuard&) = delete;
  OpenFileGuard& operator=(const OpenFileGuard&) = delete;

 private:
  TFileVar& f_;
};

// Removes the temporary halved file when the command ends early through an
// error, but never the user's WAV file.
class TemporaryFile {
 public:
  TemporaryFile(std::string name, std::string wavName) : name_(std::move(name)), wav_(std::move(wavName)) {}
  ~TemporaryFile() { Remove(); }
  void Remove() {
    if (removed_) return;
    removed_ = true;
    if (!name_.empty() && !SameFile(name_, wav_)) DeleteFile(name_);
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

 private:
  std::string name_;
  std::string wav_;
  bool removed_ = false;
};

[[noreturn]] void RaiseInOutError(int code) { throw EInOutError(InOutErrorMessage(code), code); }

}  // namespace

TGameSoundConversion::TGameSoundConversion(IFileDialog& openDialog, IFileDialog& saveDialog, IMessages& messages,
                                           IStatusLine& statusLine, IProgressGauge& gauge, TCustomIniFile* settings,
                                           const std::string& applicationDir, const std::string& wavFolder,
                                           const std::string& gameSoundFolder, bool& halvingSucceeded)
    : openDialog_(openDialog),
      saveDialog_(saveDialog),
      messages_(messages),
      statusLine_(statusLine),
      gauge_(gauge),
      settings_(settings),
      applicationDir_(applicationDir),
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

  const unsigned rate = ReadSampleRate(wavPath);
  if (rate != kGameRate && rate != kCdRate) {
    if (messages_.MessageDialog(kRateWarning, TMsgDlgType::mtConfirmation, {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo},
                                0) == mrNo)
      return;
  }

  const bool halve = rate == kCdRate;
  const std::string halvedPath = applicationDir_ + wavName;
  // The game file is deleted before its data is read: were it the WAV (or,
  // when halving, the temporary file), the data would be gone.
  if (SameFile(gamePath, wavPath) || (halve && SameFile(gamePath, halvedPath))) {
    messages_.PlainMessage(kSameFileRefused);
    return;
  }

  std::string dataPath = wavPath;
  if (halve) {
    ShowStatus("Resampling " + wavName, true);
    HalveSampleRate(wavPath, halvedPath, gauge_, halvingSucceeded_);
    if (!halvingSucceeded_) {
      messages_.PlainMessage(kHalvingFailed);
      // When the WAV lies in the application directory the temporary name is
      // the WAV's own, the halving refused to run, and there is nothing to
      // remove.
      if (!SameFile(halvedPath, wavPath) && RegularFileExists(halvedPath)) DeleteFile(halvedPath);
      return;
    }
    dataPath = halvedPath;
  }
  TemporaryFile halved(halve ? halvedPath : std::string(), wavPath);

  BackUp(gamePath);
  ShowStatus("Deleting " + gameName, true);
  DeleteFile(gamePath);
  ShowStatus("Converting " + wavName + " as " + gameName, true);
  CopyData(dataPath, !halve, gamePath);
  if (halve) halved.Remove();
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

unsigned TGameSoundConversion::ReadSampleRate(const std::string& wavName) {
  TFileVar f;
  OpenFileGuard guard(f);
  AssignFile(f, wavName);
  Reset(f, 1);
  Seek(f, kRateOffset);
  unsigned char field[4] = {0, 0, 0, 0};
  int64_t got = 0;
  BlockRead(f, field, sizeof field, got);
  CloseFile(f);
  // A header cut inside the rate field has no rate: 0 asks the user.
  if (got < static_cast<int64_t>(sizeof field)) return 0;
  return static_cast<unsigned>(field[0]) | static_cast<unsigned>(field[1]) << 8 |
         static_cast<unsigned>(field[2]) << 16 | static_cast<unsigned>(field[3]) << 24;
}

void TGameSoundConversion::BackUp(const std::string& gameName) {
  const std::string backupName = gameName + ".bak";
  // Once made, the backup holds the game's own file and is never touched again.
  if (RegularFileExists(backupName)) return;
  ShowStatus("Backing up " + ExtractFileName(gameName), true);
  const bool gameExists = RegularFileExists(gameName);
  if (CopyFile(gameName, backupName, false) || !gameExists) return;
  // The game file is about to be deleted: without a backup it would be lost.
  const int code = LastOSError();
  DeleteFile(backupName);
  RaiseInOutError(code);
}

void TGameSoundConversion::CopyData(const std::string& sourceName, bool fromHeaderEnd, const std::string& gameName) {
  TFileVar game;
  TFileVar source;
  OpenFileGuard gameGuard(game);
  OpenFileGuard sourceGuard(source);
  AssignFile(game, gameName);
  Rewrite(game, 1);
  AssignFile(source, sourceName);
  Reset(source, 1);
  if (fromHeaderEnd) Seek(source, kHeaderSize);
  unsigned char buffer[kCopyBlock];
  int64_t got = 0;
  int64_t put = 0;
  do {
    BlockRead(source, buffer, kCopyBlock, got);
    try {
      BlockWrite(game, buffer, got, put);
    } catch (const EInOutError& e) {
      if (e.ErrorCode != kPlatformDiskFull) throw;
      RaiseInOutError(kDiskFull);
    }
    // A write that stores less than it was given has run out of room.
    if (put < got) RaiseInOutError(kDiskFull);
  } while (got > 0);
  CloseFile(source);
  CloseFile(game);
}
