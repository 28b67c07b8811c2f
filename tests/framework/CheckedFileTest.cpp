#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <thread>
#include <vector>

#include "CheckedFile.h"
#include "Exceptions.h"
#include "PosixTestFiles.h"
#include "TempDir.h"

namespace {

struct MessageCase {
  int code;
  const char* message;
};

class InOutMessage : public ::testing::TestWithParam<MessageCase> {};

TEST_P(InOutMessage, RaisedErrorCarriesTableTextAndCodeAndClearsResult) {
  const MessageCase c = GetParam();
  InOutRes() = c.code;
  try {
    InOutCheck();
    FAIL() << "no error raised for code " << c.code;
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.Message(), c.message);
    EXPECT_EQ(e.ErrorCode, c.code);
  }
  EXPECT_EQ(InOutRes(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, InOutMessage,
    ::testing::Values(MessageCase{2, "Fichier introuvable"}, MessageCase{3, "Nom de fichier incorrect"},
                      MessageCase{4, "Trop de fichiers ouverts"}, MessageCase{5, "Accès au fichier refusé"},
                      MessageCase{100, "Lecture au-delà de la fin de fichier"}, MessageCase{101, "Disque plein"},
                      MessageCase{106, "Saisie numérique incorrecte"}, MessageCase{32, "Erreur E/S 32"},
                      MessageCase{102, "Erreur E/S 102"}, MessageCase{103, "Erreur E/S 103"},
                      MessageCase{112, "Erreur E/S 112"}, MessageCase{1, "Erreur E/S 1"}),
    [](const ::testing::TestParamInfo<MessageCase>& info) { return "Code" + std::to_string(info.param.code); });

TEST(InOutResult, ZeroRaisesNothing) {
  InOutRes() = 0;
  EXPECT_NO_THROW(InOutCheck());
}

TEST(InOutResult, IsKeptPerThread) {
  InOutRes() = 0;
  std::thread other([] { InOutRes() = 5; });
  other.join();
  EXPECT_EQ(InOutRes(), 0);
}

// The code a checked operation raises, or 0 when it raises nothing.
template <typename Op>
int RaisedCode(Op op) {
  try {
    op();
  } catch (const EInOutError& e) {
    return e.ErrorCode;
  }
  return 0;
}

class CheckedFile : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.Ok());
    InOutRes() = 0;
    FileMode = 2;
  }
  void TearDown() override {
    if (f.State != TFileState::fmClosed) CloseFile(f);
  }
  TempDir dir;
  TFileVar f;
};

TEST_F(CheckedFile, OpenFailuresGivePlatformCodes) {
  ASSERT_TRUE(WriteFileBytes(dir / "plain", "x"));
  ASSERT_TRUE(WriteFileBytes(dir / "readonly", "keep"));
  ASSERT_EQ(chmod((dir / "readonly").c_str(), 0444), 0);
  std::filesystem::create_directory(dir / "folder");
  struct Case {
    std::string name;
    int code;
  } cases[] = {
      {dir / "missing.wav", 2}, {dir / "nofolder/x.wav", 3},
      {dir / "plain/x.wav", 3},             // a file where a folder should be
      {dir / "readonly", 5},                // read and write asked for; refused even for root
      {dir / "folder", 5},      {"", 102},  // a variable without name
  };
  for (const Case& c : cases) {
    TFileVar v;
    AssignFile(v, c.name);
    EXPECT_EQ(RaisedCode([&] { Reset(v, 1); }), c.code) << c.name;
    EXPECT_EQ(v.State, TFileState::fmClosed) << c.name;
    EXPECT_EQ(InOutRes(), 0);
  }
}

TEST_F(CheckedFile, ReadOnlyFileOpenedForReadingOnlyWhenFileModeSaysSo) {
  ASSERT_TRUE(WriteFileBytes(dir / "readonly", "abc"));
  ASSERT_EQ(chmod((dir / "readonly").c_str(), 0444), 0);
  FileMode = 0;
  AssignFile(f, dir / "readonly");
  Reset(f, 1);
  EXPECT_EQ(f.State, TFileState::fmInput);
  int64_t n = 0;
  EXPECT_EQ(RaisedCode([&] { BlockWrite(f, "z", 1, n); }), 103);
}

TEST_F(CheckedFile, RewriteOverReadOnlyFileIsRefusedAndKeepsIt) {
  ASSERT_TRUE(WriteFileBytes(dir / "game.16", "keep"));
  ASSERT_EQ(chmod((dir / "game.16").c_str(), 0444), 0);
  AssignFile(f, dir / "game.16");
  EXPECT_EQ(RaisedCode([&] { Rewrite(f, 1); }), 5);
  EXPECT_EQ(ReadFileBytes(dir / "game.16"), "keep");
}

TEST_F(CheckedFile, NextOperationAfterAnErrorStartsClean) {
  AssignFile(f, dir / "missing");
  EXPECT_EQ(RaisedCode([&] { Reset(f, 1); }), 2);
  ASSERT_TRUE(WriteFileBytes(dir / "there", "abc"));
  AssignFile(f, dir / "there");
  EXPECT_NO_THROW(Reset(f, 1));
  EXPECT_EQ(f.State, TFileState::fmInOut);
}

TEST_F(CheckedFile, RewriteEmptiesAndWritesReadBackWithCounts) {
  ASSERT_TRUE(WriteFileBytes(dir / "out", "old content that must go"));
  AssignFile(f, dir / "out");
  Rewrite(f, 1);
  int64_t n = -1;
  BlockWrite(f, "0123456789", 10, n);
  EXPECT_EQ(n, 10);
  CloseFile(f);
  EXPECT_EQ(ReadFileBytes(dir / "out"), "0123456789");

  Reset(f, 4);
  char buf[16] = {};
  BlockRead(f, buf, 4, n);  // asks 16 bytes, 10 there: two whole records, no error
  EXPECT_EQ(n, 2);
  EXPECT_EQ(std::string(buf, 10), "0123456789");
  Seek(f, 1);
  BlockRead(f, buf, 1, n);
  EXPECT_EQ(n, 1);
  EXPECT_EQ(std::string(buf, 4), "4567");
  BlockRead(f, buf, 1, n);  // only 2 bytes left: no whole record
  EXPECT_EQ(n, 0);
  BlockRead(f, buf, 1, n);  // at the end
  EXPECT_EQ(n, 0);
}

TEST_F(CheckedFile, OperationsOnAClosedVariableGive103) {
  AssignFile(f, dir / "x");
  char buf[4];
  int64_t n = 0;
  EXPECT_EQ(RaisedCode([&] { Seek(f, 0); }), 103);
  EXPECT_EQ(RaisedCode([&] { BlockRead(f, buf, 1, n); }), 103);
  EXPECT_EQ(RaisedCode([&] { BlockWrite(f, buf, 1, n); }), 103);
  EXPECT_EQ(RaisedCode([&] { CloseFile(f); }), 103);
}

TEST_F(CheckedFile, ResetClosesAnOpenVariableFirst) {
  ASSERT_TRUE(WriteFileBytes(dir / "a", "A"));
  ASSERT_TRUE(WriteFileBytes(dir / "b", "B"));
  AssignFile(f, dir / "a");
  Reset(f, 1);
  const int first = f.Handle;
  AssignFile(f, dir / "b");
  Reset(f, 1);
  char c = 0;
  int64_t n = 0;
  BlockRead(f, &c, 1, n);
  EXPECT_EQ(c, 'B');
  EXPECT_TRUE(f.Handle == first || fcntl(first, F_GETFD) == -1) << "the first handle leaked";
}

TEST_F(CheckedFile, SeekPast4GiBOnSparseFile) {
  const int64_t far = (int64_t{4} << 30) + 12;  // beyond 32-bit sizes and positions
  AssignFile(f, dir / "sparse");
  Rewrite(f, 1);
  Seek(f, far);
  int64_t n = 0;
  BlockWrite(f, "tail", 4, n);
  EXPECT_EQ(n, 4);
  CloseFile(f);
  EXPECT_EQ(static_cast<int64_t>(std::filesystem::file_size(dir / "sparse")), far + 4);

  Reset(f, 4);
  Seek(f, far / 4);  // record index times record size
  char buf[8] = {};
  BlockRead(f, buf, 2, n);
  EXPECT_EQ(n, 1);
  EXPECT_EQ(std::string(buf, 4), "tail");
}

TEST_F(CheckedFile, FullDiskGivesCode112) {
  AssignFile(f, "/dev/full");
  Reset(f, 1);
  int64_t n = -1;
  EXPECT_EQ(RaisedCode([&] { BlockWrite(f, "abcd", 4, n); }), 112);
  EXPECT_EQ(n, 0);
}

TEST_F(CheckedFile, ShortWriteReturnsSmallerCountWithoutError) {
  AssignFile(f, dir / "limited");
  Rewrite(f, 1);
  std::vector<char> data(10000, 'x');
  int64_t n = -1;
  {
    FileSizeLimit limit(4096);
    ASSERT_TRUE(limit.Ok());
    EXPECT_NO_THROW(BlockWrite(f, data.data(), 10000, n));
    EXPECT_EQ(n, 4096);
    EXPECT_EQ(RaisedCode([&] { BlockWrite(f, data.data(), 1, n); }), 112);
  }
  EXPECT_EQ(std::filesystem::file_size(dir / "limited"), 4096u);
}

}  // namespace
