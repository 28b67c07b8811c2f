// The file services on the system's own calls, as the conversion relies on
// them: error codes as the system gives them, one file whatever its name,
// sharing, the read-only attribute, positioned reads and the game file's
// replacement.

#include <gtest/gtest.h>

#include <filesystem>

#include "CheckedFile.h"
#include "ErrorCodes.h"
#include "Exceptions.h"
#include "FileChecks.h"
#include "FileOpening.h"
#include "FileServices.h"
#include "OpticalDisc.h"
#include "PrivateFiles.h"
#include "convert_support.h"

// The system's short (8.3) name of a file; empty where it gives none.
std::string ShortNameOf(const std::string& name);

namespace {

std::wstring Wide(const std::string& s) { return std::filesystem::u8path(s).wstring(); }

TEST(WindowsFiles, ErrorCodesAreTheSystemsOwn) {
  TempDir dir;
  EXPECT_EQ(FileOpen(dir / "missing.wav", fmOpenRead), INVALID_HANDLE_VALUE);
  EXPECT_EQ(LastOSError(), ErrorCode::FileNotFound);
  EXPECT_EQ(FileOpen(dir / "no folder\\x.wav", fmOpenRead), INVALID_HANDLE_VALUE);
  EXPECT_EQ(LastOSError(), ErrorCode::PathNotFound);
  // A folder is no file to open.
  EXPECT_EQ(FileOpen(dir.Path(), fmOpenRead), INVALID_HANDLE_VALUE);
  EXPECT_EQ(LastOSError(), ErrorCode::AccessDenied);
  TFileVar f;
  AssignFile(f, dir / "missing.wav");
  try {
    Reset(f, 1);
    ADD_FAILURE() << "opened a missing file";
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode, 2);
    EXPECT_EQ(e.Message(), "Fichier introuvable");
  }
}

TEST(WindowsFiles, OneFileWhateverItsName) {
  TempDir dir;
  WriteFile(dir / "sound.wav", Pattern(100));
  const std::string name = dir / "sound.wav";
  const std::string folder = dir.Path();
  const std::string spellings[] = {
      folder + ".\\sound.wav", folder + "SOUND.WAV", folder + "/sound.wav",
      folder + "..\\" + std::filesystem::path(Wide(folder)).parent_path().filename().u8string() + "\\sound.wav"};
  for (const std::string& other : spellings) EXPECT_TRUE(IsSameExistingFile(name, other)) << other;
  std::filesystem::create_hard_link(Wide(name), Wide(dir / "link.wav"));
  EXPECT_TRUE(IsSameExistingFile(name, dir / "link.wav"));
  // The short name, where the file system gives one.
  WriteFile(dir / "a long file name.wav", Pattern(10));
  if (const std::string shortened = ShortNameOf(dir / "a long file name.wav"); !shortened.empty()) {
    EXPECT_TRUE(IsSameExistingFile(dir / "a long file name.wav", shortened)) << shortened;
  }
  WriteFile(dir / "copy.wav", Pattern(100));
  EXPECT_FALSE(IsSameExistingFile(name, dir / "copy.wav"));
  EXPECT_FALSE(IsSameExistingFile(name, dir / "missing.wav"));
}

TEST(WindowsFiles, AnOpenThatSharesNothingRefusesOthersWith32) {
  TempDir dir;
  WriteFile(dir / "game.16", Pattern(10));
  const THandle held = FileOpen(dir / "game.16", fmOpenReadWrite | fmShareExclusive);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(FileOpen(dir / "game.16", fmOpenRead | fmShareDenyNone), INVALID_HANDLE_VALUE);
  EXPECT_EQ(LastOSError(), ErrorCode::SharingViolation);
  FileClose(held);
  const THandle again = FileOpen(dir / "game.16", fmOpenRead | fmShareDenyNone);
  EXPECT_NE(again, INVALID_HANDLE_VALUE);
  FileClose(again);
}

TEST(WindowsFiles, ReadOnlyAttributeRefusesWritingAndDeleting) {
  TempDir dir;
  const std::string name = dir / "game.16";
  WriteFile(name, Pattern(10));
  ASSERT_EQ(FileSetAttr(name, faReadOnly), 0);
  EXPECT_TRUE(IsReadOnly(name));
  EXPECT_EQ(FileGetAttr(name) & faReadOnly, faReadOnly);
  EXPECT_EQ(FileOpen(name, fmOpenReadWrite), INVALID_HANDLE_VALUE);
  EXPECT_EQ(LastOSError(), ErrorCode::AccessDenied);
  EXPECT_EQ(FileCreate(name), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(DeleteFile(name));
  EXPECT_EQ(LastOSError(), ErrorCode::AccessDenied);
  EXPECT_EQ(ReadFile(name), Pattern(10));
  ASSERT_EQ(FileSetAttr(name, FileGetAttr(name) & ~faReadOnly), 0);
  EXPECT_FALSE(IsReadOnly(name));
  EXPECT_TRUE(DeleteFile(name));
}

TEST(WindowsFiles, ReadAtLeavesThePositionAndStopsAtTheEnd) {
  TempDir dir;
  const Bytes data = Pattern(1000);
  WriteFile(dir / "in.wav", data);
  const THandle h = FileOpen(dir / "in.wav", fmOpenRead);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  ASSERT_EQ(FileSeek(h, 10, soFromBeginning), 10);
  unsigned char buf[64];
  ASSERT_EQ(FileReadAt(h, buf, 64, 900), 64);
  EXPECT_TRUE(std::equal(buf, buf + 64, data.begin() + 900));
  EXPECT_EQ(FileReadAt(h, buf, 64, 980), 20);
  EXPECT_EQ(FileReadAt(h, buf, 64, 5000), 0);
  EXPECT_EQ(FileSeek(h, 0, soFromCurrent), 10);
  EXPECT_EQ(FileSize(h), 1000);
  EXPECT_EQ(FileSeek(h, -1, soFromBeginning), -1);
  EXPECT_EQ(LastOSError(), ErrorCode::NegativeSeek);
  FileClose(h);
}

TEST(WindowsFiles, DosDateRoundTripsThroughTheFile) {
  TempDir dir;
  WriteFile(dir / "a.wav", Pattern(10));
  const THandle h = FileOpen(dir / "a.wav", fmOpenReadWrite);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  // 2004-07-15 13:45:30, local time.
  const int age = ((2004 - 1980) << 9 | 7 << 5 | 15) << 16 | (13 << 11 | 45 << 5 | 15);
  ASSERT_EQ(FileSetDate(h, age), 0);
  EXPECT_EQ(FileGetDate(h), age);
  FileClose(h);
  EXPECT_TRUE(FileExists(dir / "a.wav"));
  EXPECT_FALSE(FileExists(dir.Path()));
}

TEST(WindowsFiles, CopyKeepsContentAndRefusesItself) {
  TempDir dir;
  WriteFile(dir / "a.wav", Pattern(70000));
  EXPECT_TRUE(CopyFile(dir / "a.wav", dir / "b.wav", true));
  EXPECT_EQ(ReadFile(dir / "b.wav"), Pattern(70000));
  EXPECT_FALSE(CopyFile(dir / "a.wav", dir / "b.wav", true));
  EXPECT_EQ(LastOSError(), ErrorCode::FileExists);
  EXPECT_FALSE(CopyFile(dir / "a.wav", dir / ".\\a.wav", false));
  EXPECT_EQ(ReadFile(dir / "a.wav"), Pattern(70000));
}

// The replacement is renamed over the game file in one step: the game file
// holds the old content or the new one, whole, never anything between, also
// when another program holds it open (the system may then refuse the
// rename: wine does, with 5; the game file then keeps its old content).
Bytes Replace(const std::string& game, const Bytes& fresh, bool holdGameFileOpen, int* refused) {
  *refused = 0;
  TReplacement replacement(game);
  TFileVar f;
  replacement.Create(f);
  EXPECT_EQ(ReadFile(game), Pattern(5000, 1)) << "the game file is untouched while the new one is written";
  int64_t put = 0;
  BlockWrite(f, fresh.data(), static_cast<int64_t>(fresh.size()), put);
  CloseFile(f);
  const THandle reader = holdGameFileOpen ? FileOpen(game, fmOpenRead | fmShareDenyNone) : INVALID_HANDLE_VALUE;
  try {
    replacement.Commit();
  } catch (const EInOutError& e) {
    *refused = e.ErrorCode;
  }
  if (reader != INVALID_HANDLE_VALUE) FileClose(reader);
  return ReadFile(game);
}

TEST(WindowsFiles, ReplacementNeverLeavesTheGameFileEmpty) {
  TempDir dir;
  const std::string game = dir / "bsound1.16";
  const Bytes fresh = Pattern(8000, 2);
  for (const bool held : {true, false}) {
    WriteFile(game, Pattern(5000, 1));
    int refused = 0;
    const Bytes after = Replace(game, fresh, held, &refused);
    if (refused != 0) {
      EXPECT_TRUE(held) << "refused with " << refused << " though nothing held the file";
      EXPECT_EQ(after, Pattern(5000, 1));
    } else {
      EXPECT_EQ(after, fresh);
    }
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"bsound1.16"}) << "held " << held;
  }
}

TEST(WindowsFiles, BackupIsMadeOnceAndNeverReplaced) {
  TempDir dir;
  const std::string game = dir / "bsound1.16";
  WriteFile(game, Pattern(3000, 1));
  TRunFile made;
  EXPECT_EQ(MakeWholeBackup(game, game + ".bak", made), 0);
  made.Forget();
  EXPECT_EQ(ReadFile(game + ".bak"), Pattern(3000, 1));
  WriteFile(game, Pattern(3000, 2));
  TRunFile again;
  EXPECT_EQ(MakeWholeBackup(game, game + ".bak", again), ErrorCode::FileExists);
  EXPECT_EQ(ReadFile(game + ".bak"), Pattern(3000, 1));
  EXPECT_EQ(FolderEntries(dir.Path()), (std::vector<std::string>{"bsound1.16", "bsound1.16.bak"}));
  TRunFile none;
  EXPECT_EQ(MakeWholeBackup(dir / "missing.16", dir / "missing.16.bak", none), ErrorCode::FileNotFound);
}

TEST(WindowsFiles, HalvedFileLiesInAFolderOfItsOwnUnderTheTemporaryFolder) {
  TempDir dir;
  ScopedEnvironment tmp("TMP", dir / "tmp");
  ASSERT_TRUE(std::filesystem::create_directory(dir / "tmp"));
  WriteFile(dir / "tmp\\sound.wav", Pattern(10));
  {
    THalvedFile halved;
    ASSERT_TRUE(halved.Create("sound.wav"));
    EXPECT_EQ(std::filesystem::path(Wide(halved.Path())).parent_path().parent_path(),
              std::filesystem::path(Wide(dir / "tmp")));
    // Read on through an open file after its removal, as the conversion does.
    const THandle h = FileOpen(halved.Path(), fmOpenRead | fmShareDenyNone);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(halved.Remove(), 0);
    FileClose(h);
  }
  EXPECT_EQ(FolderEntries(dir / "tmp"), std::vector<std::string>{"sound.wav"});
  EXPECT_EQ(ReadFile(dir / "tmp\\sound.wav"), Pattern(10)) << "a file of the user's with the WAV's name";
}

TEST(WindowsFiles, NamesBeyondAsciiWork) {
  TempDir dir;
  const std::string name = dir / "Été \xE6\x97\xA5\xE6\x9C\xAC.wav";
  WriteFile(name, Pattern(10));
  EXPECT_TRUE(RegularFileExists(name));
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(name)));
  const THandle h = FileOpen(name, fmOpenRead);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(FileSize(h), 10);
  FileClose(h);
  EXPECT_EQ(RegularFileCode(name), 0);
  EXPECT_EQ(RegularFileCode(dir.Path()), ErrorCode::AccessDenied);
}

TEST(WindowsFiles, AFixedDiskIsNoOpticalDisc) {
  TempDir dir;
  std::string root = "x";
  EXPECT_FALSE(LiesOnOpticalDisc(dir / "a.wav", &root));
  EXPECT_TRUE(root.empty());
}

}  // namespace
