#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <functional>
#include <vector>

#include "ErrnoCodes_posix.h"
#include "FileServices.h"
#include "PosixTestFiles.h"
#include "ProcessStart.h"
#include "TempDir.h"

namespace {

// Seconds since the epoch of a local time.
time_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
  struct tm lt = {};
  lt.tm_year = year - 1900;
  lt.tm_mon = month - 1;
  lt.tm_mday = day;
  lt.tm_hour = hour;
  lt.tm_min = minute;
  lt.tm_sec = second;
  lt.tm_isdst = -1;
  return mktime(&lt);
}

bool SetMTime(const std::string& path, time_t t) {
  const timespec times[2] = {{t, 0}, {t, 0}};
  return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

TEST(ErrnoTable, MapsToPlatformCodes) {
  const std::pair<int, int> table[] = {
      {ENOENT, 2},   {ENOTDIR, 3},  {EMFILE, 4},  {ENFILE, 4},         {EACCES, 5},  {EPERM, 5},
      {EROFS, 5},    {EISDIR, 5},   {EBADF, 6},   {EAGAIN, 32},        {EEXIST, 80}, {EINVAL, 87},
      {ENOSPC, 112}, {EDQUOT, 112}, {EFBIG, 112}, {ENAMETOOLONG, 206}, {0, 0},
  };
  for (const auto& [err, code] : table) EXPECT_EQ(ErrnoToWinError(err), code) << "errno " << err;
}

// Every service on a failing input: its failure result and the code left in
// LastOSError. Each case builds its own files in a fresh folder.
struct FailureCase {
  const char* name;
  std::function<void(const TempDir&)> setup;
  std::function<bool(const TempDir&)> fails;  // true when the service reported failure
  int code;
};

void MakeReadOnly(const TempDir& d, const std::string& name, const std::string& bytes = "keep") {
  ASSERT_TRUE(WriteFileBytes(d / name, bytes));
  ASSERT_EQ(chmod((d / name).c_str(), 0444), 0);
}

// Opens the file as a program that shares nothing would; closed at exit.
THandle HeldHandle = INVALID_HANDLE_VALUE;
void HoldWithoutSharing(const TempDir& d, const std::string& name) {
  ASSERT_TRUE(WriteFileBytes(d / name, "held"));
  HeldHandle = FileOpen(d / name, fmOpenRead);
  ASSERT_NE(HeldHandle, INVALID_HANDLE_VALUE);
}

void Nothing(const TempDir&) {}

class ServiceFailure : public ::testing::TestWithParam<FailureCase> {
 protected:
  void TearDown() override {
    if (HeldHandle != INVALID_HANDLE_VALUE) FileClose(HeldHandle);
    HeldHandle = INVALID_HANDLE_VALUE;
  }
};

TEST_P(ServiceFailure, ReportsThroughResultAndLastOSError) {
  const FailureCase& c = GetParam();
  TempDir d;
  ASSERT_TRUE(d.Ok());
  c.setup(d);
  ASSERT_FALSE(HasFatalFailure());
  EXPECT_TRUE(c.fails(d));
  EXPECT_EQ(LastOSError(), c.code);
}

bool OpenFails(const TempDir& d, const std::string& name, uint32_t mode) {
  const THandle h = FileOpen(d / name, mode);
  if (h == INVALID_HANDLE_VALUE) return true;
  FileClose(h);
  return false;
}

const FailureCase kFailures[] = {
    {"OpenMissingFile", Nothing, [](const TempDir& d) { return OpenFails(d, "missing", fmOpenRead); }, 2},
    {"OpenInMissingFolder", Nothing, [](const TempDir& d) { return OpenFails(d, "no/such", fmOpenRead); }, 3},
    {"OpenThroughAFile", [](const TempDir& d) { ASSERT_TRUE(WriteFileBytes(d / "f", "x")); },
     [](const TempDir& d) { return OpenFails(d, "f/x", fmOpenRead); }, 3},
    {"OpenReadOnlyForReadWrite", [](const TempDir& d) { MakeReadOnly(d, "ro"); },
     [](const TempDir& d) { return OpenFails(d, "ro", fmOpenReadWrite); }, 5},
    {"OpenReadOnlyForWrite", [](const TempDir& d) { MakeReadOnly(d, "ro"); },
     [](const TempDir& d) { return OpenFails(d, "ro", fmOpenWrite | fmShareDenyNone); }, 5},
    {"OpenFolder", [](const TempDir& d) { std::filesystem::create_directory(d / "dir"); },
     [](const TempDir& d) { return OpenFails(d, "dir", fmOpenRead); }, 5},
    {"OpenHeldWithoutSharing", [](const TempDir& d) { HoldWithoutSharing(d, "held"); },
     [](const TempDir& d) { return OpenFails(d, "held", fmOpenRead | fmShareDenyNone); }, 32},
    {"OpenWithBadMode", [](const TempDir& d) { ASSERT_TRUE(WriteFileBytes(d / "f", "x")); },
     [](const TempDir& d) { return OpenFails(d, "f", 3); }, 87},
    {"CreateOverReadOnly", [](const TempDir& d) { MakeReadOnly(d, "ro"); },
     [](const TempDir& d) { return FileCreate(d / "ro") == INVALID_HANDLE_VALUE && ReadFileBytes(d / "ro") == "keep"; },
     5},
    {"CreateInMissingFolder", Nothing,
     [](const TempDir& d) { return FileCreate(d / "no/such") == INVALID_HANDLE_VALUE; }, 3},
    {"CreateOverHeldFile", [](const TempDir& d) { HoldWithoutSharing(d, "held"); },
     [](const TempDir& d) {
       return FileCreate(d / "held") == INVALID_HANDLE_VALUE && ReadFileBytes(d / "held") == "held";
     },
     32},
    {"ExistsMissing", Nothing, [](const TempDir& d) { return !FileExists(d / "missing"); }, 2},
    {"ExistsInMissingFolder", Nothing, [](const TempDir& d) { return !FileExists(d / "no/such"); }, 3},
    {"GetAttrMissing", Nothing, [](const TempDir& d) { return FileGetAttr(d / "missing") == -1; }, 2},
    {"SetAttrInMissingFolder", Nothing, [](const TempDir& d) { return FileSetAttr(d / "no/x", 0) == 3; }, 3},
    {"DeleteMissing", Nothing, [](const TempDir& d) { return !DeleteFile(d / "missing"); }, 2},
    {"DeleteFolder", [](const TempDir& d) { std::filesystem::create_directory(d / "dir"); },
     [](const TempDir& d) { return !DeleteFile(d / "dir") && std::filesystem::exists(d / "dir"); }, 5},
    {"DeleteReadOnly", [](const TempDir& d) { MakeReadOnly(d, "ro"); },
     [](const TempDir& d) { return !DeleteFile(d / "ro") && std::filesystem::exists(d / "ro"); }, 5},
    {"CopyMissingSource", Nothing, [](const TempDir& d) { return !CopyFile(d / "missing", d / "b", false); }, 2},
    {"CopyIntoMissingFolder", [](const TempDir& d) { ASSERT_TRUE(WriteFileBytes(d / "a", "a")); },
     [](const TempDir& d) { return !CopyFile(d / "a", d / "no/b", false); }, 3},
    {"CopyOntoExistingWhenForbidden",
     [](const TempDir& d) {
       ASSERT_TRUE(WriteFileBytes(d / "a", "new"));
       ASSERT_TRUE(WriteFileBytes(d / "b", "old"));
     },
     [](const TempDir& d) { return !CopyFile(d / "a", d / "b", true) && ReadFileBytes(d / "b") == "old"; }, 80},
    {"CopyOntoReadOnly",
     [](const TempDir& d) {
       ASSERT_TRUE(WriteFileBytes(d / "a", "new"));
       MakeReadOnly(d, "b", "old");
     },
     [](const TempDir& d) { return !CopyFile(d / "a", d / "b", false) && ReadFileBytes(d / "b") == "old"; }, 5},
    {"CopyOntoItself", [](const TempDir& d) { ASSERT_TRUE(WriteFileBytes(d / "a", "data")); },
     [](const TempDir& d) { return !CopyFile(d / "a", d.Path() + "/./a", false) && ReadFileBytes(d / "a") == "data"; },
     32},
};

INSTANTIATE_TEST_SUITE_P(Table, ServiceFailure, ::testing::ValuesIn(kFailures),
                         [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

class FileServices : public ::testing::Test {
 protected:
  // The program settles its write signals at start-up; the file services
  // count on that.
  static void SetUpTestSuite() { PrepareProcess(); }
  void SetUp() override { ASSERT_TRUE(dir.Ok()); }
  TempDir dir;
};

TEST_F(FileServices, CreateWriteSeekReadPast4GiB) {
  const THandle h = FileCreate(dir / "big");
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  const int64_t far = (int64_t{5} << 30) + 3;
  EXPECT_EQ(FileSeek(h, far, soFromBeginning), far);
  EXPECT_EQ(FileWrite(h, "end", 3), 3);
  EXPECT_EQ(FileSeek(h, 0, soFromEnd), far + 3);
  EXPECT_EQ(FileSize(h), far + 3);
  EXPECT_EQ(FileSeek(h, -3, soFromCurrent), far);
  char buf[8] = {};
  EXPECT_EQ(FileRead(h, buf, 8), 3);
  EXPECT_EQ(std::string(buf, 3), "end");
  EXPECT_EQ(FileRead(h, buf, 8), 0);
  EXPECT_EQ(FileSeek(h, -1, soFromBeginning), -1);
  EXPECT_EQ(LastOSError(), 131);
  EXPECT_TRUE(FileClose(h));
}

TEST_F(FileServices, CreateEmptiesAnExistingFileWithUsualMode) {
  ASSERT_TRUE(WriteFileBytes(dir / "f", "old"));
  const THandle h = FileCreate(dir / "f");
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  FileClose(h);
  EXPECT_EQ(ReadFileBytes(dir / "f"), "");

  const mode_t mask = umask(022);
  const THandle n = FileCreate(dir / "new");
  umask(mask);
  ASSERT_NE(n, INVALID_HANDLE_VALUE);
  FileClose(n);
  EXPECT_EQ(ModeOf(dir / "new"), 0644u);
}

TEST_F(FileServices, SharedOpensCoexistButExclusiveOneDoesNot) {
  ASSERT_TRUE(WriteFileBytes(dir / "f", "x"));
  const THandle a = FileOpen(dir / "f", fmOpenRead | fmShareDenyNone);
  const THandle b = FileOpen(dir / "f", fmOpenReadWrite | fmShareDenyNone);
  EXPECT_NE(a, INVALID_HANDLE_VALUE);
  EXPECT_NE(b, INVALID_HANDLE_VALUE);
  EXPECT_EQ(FileOpen(dir / "f", fmOpenRead), INVALID_HANDLE_VALUE);
  EXPECT_EQ(LastOSError(), 32);
  FileClose(a);
  FileClose(b);
  const THandle c = FileOpen(dir / "f", fmOpenRead);
  EXPECT_NE(c, INVALID_HANDLE_VALUE);
  FileClose(c);
}

TEST_F(FileServices, ReadOnlyAttributeFollowsWriteBits) {
  struct Case {
    mode_t before;
    int attr;
    mode_t after;
  } cases[] = {
      {0664, faReadOnly | faArchive, 0444},
      {0444, faArchive, 0644},
      {0555, 0, 0755},
      {0604, 0, 0604},
      {0400, faArchive, 0600},
      {0751, faReadOnly, 0551},
  };
  ASSERT_TRUE(WriteFileBytes(dir / "f", "x"));
  for (const Case& c : cases) {
    ASSERT_EQ(chmod((dir / "f").c_str(), c.before), 0);
    EXPECT_EQ(FileSetAttr(dir / "f", c.attr), 0);
    EXPECT_EQ(ModeOf(dir / "f"), c.after) << std::oct << c.before << " attr " << c.attr;
    EXPECT_EQ(FileGetAttr(dir / "f"), faArchive | ((c.after & 0222) == 0 ? faReadOnly : 0));
  }
  std::filesystem::create_directory(dir / "d");
  EXPECT_EQ(FileGetAttr(dir / "d") & faDirectory, faDirectory);
}

TEST_F(FileServices, ExistsOnlyForFilesWithDatableTimes) {
  ASSERT_TRUE(WriteFileBytes(dir / "f", "x"));
  std::filesystem::create_directory(dir / "d");
  EXPECT_TRUE(FileExists(dir / "f"));
  EXPECT_FALSE(FileExists(dir / "d"));
  struct Case {
    time_t mtime;
    bool exists;
  } cases[] = {
      {LocalTime(1979, 12, 31, 23, 59, 58), false}, {LocalTime(1980, 1, 1, 0, 0, 0), true},
      {LocalTime(2107, 12, 31, 23, 59, 58), true},  {LocalTime(2108, 1, 1, 0, 0, 0), false},
      {LocalTime(1975, 6, 1, 12, 0, 0), false},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(SetMTime(dir / "f", c.mtime));
    EXPECT_EQ(FileExists(dir / "f"), c.exists) << c.mtime;
  }
}

TEST_F(FileServices, DateIsLocalDosCode) {
  ASSERT_TRUE(WriteFileBytes(dir / "f", "x"));
  ASSERT_TRUE(SetMTime(dir / "f", LocalTime(2003, 7, 14, 21, 35, 57)));
  const THandle h = FileOpen(dir / "f", fmOpenReadWrite);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  const int expected = ((2003 - 1980) << 25) | (7 << 21) | (14 << 16) | (21 << 11) | (35 << 5) | (57 / 2);
  EXPECT_EQ(FileGetDate(h), expected);

  // A year past 2043 sets the top bit of the code: still a valid date.
  const int late = static_cast<int>((uint32_t{2100 - 1980} << 25) | (2u << 21) | (28u << 16) | (8u << 11) | 1u);
  EXPECT_EQ(FileSetDate(h, late), 0);
  EXPECT_EQ(FileGetDate(h), late);
  FileClose(h);
  struct stat st {};
  ASSERT_EQ(stat((dir / "f").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, LocalTime(2100, 2, 28, 8, 0, 2));

  const THandle g = FileOpen(dir / "f", fmOpenReadWrite);
  ASSERT_NE(g, INVALID_HANDLE_VALUE);
  const int feb30 = (20 << 25) | (2 << 21) | (30 << 16);
  EXPECT_EQ(FileSetDate(g, feb30), 87);
  EXPECT_EQ(FileSetDate(g, 0), 87);  // month 0
  FileClose(g);
  EXPECT_EQ(FileGetDate(-1), -1);
  EXPECT_EQ(LastOSError(), 6);
}

TEST_F(FileServices, CopyKeepsContentModeAndDate) {
  std::string data(200000, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7);
  ASSERT_TRUE(WriteFileBytes(dir / "src", data));
  ASSERT_EQ(chmod((dir / "src").c_str(), 0444), 0);
  ASSERT_TRUE(SetMTime(dir / "src", LocalTime(2001, 2, 3, 4, 5, 6)));
  ASSERT_TRUE(WriteFileBytes(dir / "dst", "older and longer content"));
  EXPECT_TRUE(CopyFile(dir / "src", dir / "dst", false));
  EXPECT_EQ(ReadFileBytes(dir / "dst"), data);
  EXPECT_EQ(ModeOf(dir / "dst"), 0444u);
  struct stat st {};
  ASSERT_EQ(stat((dir / "dst").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, LocalTime(2001, 2, 3, 4, 5, 6));
  EXPECT_TRUE(CopyFile(dir / "src", dir / "new", true));
  EXPECT_EQ(ReadFileBytes(dir / "new"), data);
}

TEST_F(FileServices, FailedCopyLeavesNoPartialDestination) {
  ASSERT_TRUE(WriteFileBytes(dir / "src", std::string(100000, 'a')));
  FileSizeLimit limit(8192);
  ASSERT_TRUE(limit.Ok());
  EXPECT_FALSE(CopyFile(dir / "src", dir / "dst", false));
  EXPECT_EQ(LastOSError(), 112);
  EXPECT_FALSE(std::filesystem::exists(dir / "dst"));
}

TEST_F(FileServices, CopyOntoADeviceNeverRemovesIt) {
  ASSERT_TRUE(WriteFileBytes(dir / "src", "abc"));
  EXPECT_FALSE(CopyFile(dir / "src", "/dev/full", false));
  EXPECT_EQ(LastOSError(), 112);
  EXPECT_TRUE(std::filesystem::exists("/dev/full"));
}

TEST_F(FileServices, WriteStoresWhatFitsThenReportsDiskFull) {
  const THandle h = FileCreate(dir / "f");
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  std::vector<char> data(10000, 'z');
  {
    FileSizeLimit limit(4096);
    ASSERT_TRUE(limit.Ok());
    EXPECT_EQ(FileWrite(h, data.data(), 10000), 4096);
    EXPECT_EQ(FileWrite(h, data.data(), 10), -1);
    EXPECT_EQ(LastOSError(), 112);
  }
  FileClose(h);
  EXPECT_EQ(std::filesystem::file_size(dir / "f"), 4096u);
}

TEST_F(FileServices, WriteToAPipeWithoutReaderFailsWithoutSignal) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  close(fds[0]);
  EXPECT_EQ(FileWrite(fds[1], "x", 1), -1);
  EXPECT_EQ(LastOSError(), 109);
  close(fds[1]);
  sigset_t pending;
  sigpending(&pending);
  EXPECT_FALSE(sigismember(&pending, SIGPIPE));
}

TEST_F(FileServices, DeleteRemovesAFile) {
  ASSERT_TRUE(WriteFileBytes(dir / "f", "x"));
  EXPECT_TRUE(DeleteFile(dir / "f"));
  EXPECT_FALSE(std::filesystem::exists(dir / "f"));
}

TEST(DosDate, RoundTripAndRange) {
  const time_t t = LocalTime(2024, 2, 29, 23, 59, 58);
  const int code = UnixToFileDate(t);
  EXPECT_EQ(FileDateToUnix(code), t);
  EXPECT_EQ(UnixToFileDate(LocalTime(2024, 2, 29, 23, 59, 59)), code);  // 2-second steps
  EXPECT_EQ(UnixToFileDate(LocalTime(1979, 12, 31, 12, 0, 0)), -1);
  EXPECT_EQ(UnixToFileDate(LocalTime(2108, 1, 1, 12, 0, 0)), -1);
  EXPECT_EQ(FileDateToUnix(-1), -1);
}

}  // namespace
