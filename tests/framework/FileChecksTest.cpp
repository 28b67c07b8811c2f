#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "ErrnoCodes_posix.h"
#include "FileChecks.h"
#include "TempDir.h"

namespace {

class FileChecks : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.Ok());
    ASSERT_TRUE(WriteFileBytes(dir / "file", "data"));
    ASSERT_TRUE(WriteFileBytes(dir / "twin", "data"));
    ASSERT_EQ(mkdir((dir / "folder").c_str(), 0700), 0);
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    ASSERT_EQ(symlink("file", (dir / "link").c_str()), 0);
    ASSERT_EQ(symlink("gone", (dir / "dangling").c_str()), 0);
    ASSERT_EQ(link((dir / "file").c_str(), (dir / "hard").c_str()), 0);
  }
  TempDir dir;
};

TEST_F(FileChecks, KindsOfEntries) {
  struct Case {
    const char* name;
    bool exists, regular, special, folder;
  } cases[] = {
      {"file", true, true, false, false},       {"link", true, true, false, false},
      {"folder", false, false, true, true},     {"fifo", true, false, true, false},
      {"dangling", false, false, false, false}, {"missing", false, false, false, false},
  };
  for (const Case& c : cases) {
    const std::string name = dir / c.name;
    EXPECT_EQ(FileExists(name), c.exists) << c.name;
    EXPECT_EQ(RegularFileExists(name), c.regular) << c.name;
    EXPECT_EQ(IsSpecialFile(name), c.special) << c.name;
    EXPECT_EQ(FolderExists(name), c.folder) << c.name;
  }
}

TEST_F(FileChecks, SameFileByIdentityNotBySpelling) {
  struct Case {
    const char* a;
    const char* b;
    bool same;
  } cases[] = {
      {"file", "file", true},        {"file", "./file", true},    {"file", "link", true},
      {"file", "hard", true},        {"file", "twin", false},     {"file", "folder", false},
      {"missing", "missing", false}, {"dangling", "gone", false}, {"file", "missing", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsSameExistingFile(dir / c.a, dir / c.b), c.same) << c.a << " / " << c.b;
    EXPECT_EQ(IsSameExistingFile(dir / c.b, dir / c.a), c.same) << c.b << " / " << c.a;
  }
  EXPECT_TRUE(IsSameExistingFile(dir / "file", dir.Path() + "//file"));
}

TEST(ReadOnlyRule, AnyWriteBitMakesAFileWritable) {
  EXPECT_TRUE(IsReadOnlyMode(0444));
  EXPECT_TRUE(IsReadOnlyMode(0555 | S_IFREG));
  EXPECT_TRUE(IsReadOnlyMode(0));
  for (mode_t bit : {S_IWUSR, S_IWGRP, S_IWOTH}) EXPECT_FALSE(IsReadOnlyMode(0444 | bit)) << std::oct << bit;
}

}  // namespace
