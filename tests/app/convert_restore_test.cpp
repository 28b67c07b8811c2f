// Putting a game file's backup back, on real files: the same care as the
// conversion, and nothing of the user's changed when it cannot be done.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <csignal>

#include "Exceptions.h"
#include "PosixTestFiles.h"
#include "RestoreBackup.h"
#include "convert_support.h"

namespace {

class Restore : public ::testing::Test {
 protected:
  TempDir dir;
  const std::string game = dir / "bsound01.16";
  const std::string backup = game + ".bak";
  FakeMessages messages;
  FakeStatusLine status;
};

// The backup of a read-only game file is read-only too: reading it is all
// that restoring asks of it.
TEST_F(Restore, AReadOnlyBackupIsPutBackAndStays) {
  const Bytes original = Pattern(200000, 5);
  WriteFile(game, Pattern(1000, 9));
  WriteFile(backup, original);
  MakeReadOnly(backup);
  RestoreBackup(game, messages, status);
  EXPECT_TRUE(messages.plain.empty());
  EXPECT_EQ(ReadFile(game), original);
  EXPECT_EQ(ReadFile(backup), original);
  EXPECT_TRUE(IsReadOnly(backup));
  EXPECT_EQ(status.text, "That's right");
  EXPECT_EQ(FolderEntries(dir.Path()), (std::vector<std::string>{"bsound01.16", "bsound01.16.bak"}));
}

TEST_F(Restore, AMissingGameFileIsMadeFromItsBackup) {
  WriteFile(backup, Pattern(10));
  RestoreBackup(game, messages, status);
  EXPECT_EQ(ReadFile(game), Pattern(10));
}

TEST_F(Restore, ADiskFullOnTheWayIsDiskFullAndKeepsTheGameFile) {
  const Bytes mine = Pattern(100, 2);
  WriteFile(game, mine);
  WriteFile(backup, Pattern(300000, 3));
  int code = 0;
  {
    // The new file would grow past the limit: the write falls short, as on a
    // full disk, and the process is not killed for it.
    const auto old = std::signal(SIGXFSZ, SIG_IGN);
    FileSizeLimit limit(100000);
    ASSERT_TRUE(limit.Ok());
    try {
      RestoreBackup(game, messages, status);
    } catch (const EInOutError& e) {
      code = e.ErrorCode;
    }
    std::signal(SIGXFSZ, old);
  }
  EXPECT_EQ(code, 101);
  EXPECT_EQ(ReadFile(game), mine);
  EXPECT_EQ(FolderEntries(dir.Path()), (std::vector<std::string>{"bsound01.16", "bsound01.16.bak"}));
}

TEST_F(Restore, ABackupThatIsNoFileChangesNothing) {
  const Bytes mine = Pattern(100, 2);
  WriteFile(game, mine);
  ASSERT_EQ(mkfifo(backup.c_str(), 0644), 0);
  RestoreBackup(game, messages, status);
  ASSERT_EQ(messages.plain.size(), 1u);
  EXPECT_EQ(messages.plain[0], "The backup " + backup + " is not a regular file\rNothing changed!");
  EXPECT_EQ(ReadFile(game), mine);
  EXPECT_TRUE(status.events.empty());
}

}  // namespace
