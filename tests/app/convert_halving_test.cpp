// HalveSampleRate on real files: the bytes kept, the gauge, the success flag,
// the date and attributes the result takes, and the refusals.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <csignal>
#include <vector>

#include "FileServices.h"
#include "HalveSampleRate.h"
#include "PosixTestFiles.h"
#include "convert_support.h"

namespace {

struct HalvingCase {
  const char* name;
  size_t dataSize;
  std::vector<std::pair<size_t, size_t>> kept;  // byte ranges of the data
  int gaugeMax;
};

void PrintTo(const HalvingCase& c, std::ostream* os) { *os << c.name; }

class HalvingTable : public ::testing::TestWithParam<HalvingCase> {};

TEST_P(HalvingTable, KeepsOddFramesAndEndsGaugeAtMaximum) {
  const HalvingCase& c = GetParam();
  TempDir dir;
  const Bytes data = Pattern(c.dataSize);
  ASSERT_NO_THROW(WriteFile(dir / "in.wav", WavBytes(44100, data)));
  FakeGauge gauge;
  bool ok = false;
  HalveSampleRate(dir / "in.wav", dir / "out.raw", gauge, ok);
  EXPECT_TRUE(ok);
  Bytes expected;
  for (auto [from, to] : c.kept)
    expected.insert(expected.end(), data.begin() + static_cast<long>(from), data.begin() + static_cast<long>(to));
  EXPECT_EQ(ReadFile(dir / "out.raw"), expected);
  EXPECT_EQ(gauge.maxValue, c.gaugeMax);
  EXPECT_EQ(gauge.progress, c.gaugeMax);
  ASSERT_GE(gauge.calls.size(), 2u);
  EXPECT_EQ(gauge.calls[0], ProgressSetTo(0)) << "the gauge is reset before its maximum is set";
  EXPECT_EQ(gauge.calls[1], MaxValueSetTo(c.gaugeMax));
}

INSTANTIATE_TEST_SUITE_P(Sizes, HalvingTable,
                         ::testing::Values(HalvingCase{"FourFramesGiveSecondAndFourth", 16, {{4, 8}, {12, 16}}, 8},
                                           HalvingCase{"ThreeFramesGiveTheSecond", 12, {{4, 8}}, 6},
                                           HalvingCase{"IncompleteOddFrameKeepsItsBytes", 14, {{4, 8}, {12, 14}}, 7},
                                           HalvingCase{"IncompleteEvenFrameIsDropped", 10, {{4, 8}}, 5},
                                           HalvingCase{"SevenBytesGiveThreeOfTheOddFrame", 7, {{4, 7}}, 3},
                                           HalvingCase{"OneByteGivesNothing", 1, {}, 0},
                                           HalvingCase{"NoDataGivesAnEmptyResult", 0, {}, 0}),
                         [](const ::testing::TestParamInfo<HalvingCase>& info) {
                           return std::string(info.param.name);
                         });

// Sizes around the block the halving reads at a time, and a large odd size,
// against the frame-by-frame model: same bytes, the same reset, maximum and
// final value for the gauge, and in between values that the model hands over
// too, never more than 1 % apart, so that the gauge still shows every whole
// percentage on the way.
TEST(Halving, MatchesFrameByFrameModelInBytesAndGaugeValues) {
  for (size_t size : {size_t{800}, size_t{3207}, size_t{65536 + 5}, size_t{400000}, size_t{3 * 1024 * 1024 + 6}}) {
    SCOPED_TRACE(size);
    TempDir dir;
    const Bytes wav = WavBytes(44100, Pattern(size, 7));
    ASSERT_NO_THROW(WriteFile(dir / "in.wav", wav));
    FakeGauge model;
    const Bytes expected = HalvedByFrames(wav, &model);
    FakeGauge gauge;
    bool ok = false;
    HalveSampleRate(dir / "in.wav", dir / "out.raw", gauge, ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(ReadFile(dir / "out.raw"), expected);
    ASSERT_GE(gauge.calls.size(), 2u);
    EXPECT_EQ(std::vector<GaugeCall>(gauge.calls.begin(), gauge.calls.begin() + 2),
              std::vector<GaugeCall>(model.calls.begin(), model.calls.begin() + 2));
    const std::vector<int> values = gauge.ProgressValues();
    const std::vector<int> modelValues = model.ProgressValues();
    EXPECT_TRUE(std::includes(modelValues.begin(), modelValues.end(), values.begin(), values.end()));
    EXPECT_TRUE(RisesByOnePercentAtMost(values, model.maxValue));
    EXPECT_EQ(gauge.progress, model.progress);
  }
}

TEST(Halving, ResultTakesSourceDateAndReadOnlyAttribute) {
  TempDir dir;
  ASSERT_NO_THROW(WriteFile(dir / "in.wav", WavBytes(44100, {})));
  ASSERT_NO_THROW(WriteFile(dir / "out.raw", Pattern(100)));
  // 2001-09-09 01:46:40 UTC, an even second so that the 2-second date code keeps it.
  const timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, (dir / "in.wav").c_str(), times, 0), 0);
  MakeReadOnly(dir / "in.wav");
  FakeGauge gauge;
  bool ok = false;
  HalveSampleRate(dir / "in.wav", dir / "out.raw", gauge, ok);
  EXPECT_TRUE(ok);
  EXPECT_TRUE(ReadFile(dir / "out.raw").empty()) << "an existing result is replaced";
  EXPECT_TRUE(IsReadOnly(dir / "out.raw"));
  struct stat st {};
  ASSERT_EQ(stat((dir / "out.raw").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
  EXPECT_EQ(gauge.maxValue, 0);
}

TEST(Halving, SameNameOpensNothing) {
  TempDir dir;
  const Bytes wav = WavBytes(44100, Pattern(64));
  ASSERT_NO_THROW(WriteFile(dir / "in.wav", wav));
  FakeGauge gauge;
  bool ok = true;
  HalveSampleRate(dir / "in.wav", dir / "in.wav", gauge, ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(ReadFile(dir / "in.wav"), wav);
  EXPECT_TRUE(gauge.calls.empty());
}

// "dir//in.wav" and "dir/in.wav" are one file: creating the result would empty
// the source before a byte of it was read.
TEST(Halving, SameFileUnderAnotherSpellingIsLeftIntact) {
  TempDir dir;
  const Bytes wav = WavBytes(44100, Pattern(64));
  ASSERT_NO_THROW(WriteFile(dir / "in.wav", wav));
  ASSERT_EQ(symlink((dir / "in.wav").c_str(), (dir / "link.wav").c_str()), 0);
  for (const std::string& other : {dir.Path() + "/in.wav", dir / "link.wav"}) {
    FakeGauge gauge;
    bool ok = true;
    HalveSampleRate(dir / "in.wav", other, gauge, ok);
    EXPECT_FALSE(ok) << other;
    EXPECT_EQ(ReadFile(dir / "in.wav"), wav) << other;
  }
}

TEST(Halving, MissingSourceCreatesNothingAndLeavesGauge) {
  TempDir dir;
  FakeGauge gauge;
  bool ok = true;
  HalveSampleRate(dir / "none.wav", dir / "out.raw", gauge, ok);
  EXPECT_FALSE(ok);
  EXPECT_FALSE(Exists(dir / "out.raw"));
  EXPECT_TRUE(gauge.calls.empty());
}

// A file cut inside its header has no data: the gauge would be given a
// negative maximum, so nothing is done.
TEST(Halving, SourceShorterThanHeaderFailsWithoutResult) {
  TempDir dir;
  Bytes header = WavBytes(44100, {});
  header.resize(30);
  ASSERT_NO_THROW(WriteFile(dir / "in.wav", header));
  FakeGauge gauge;
  bool ok = true;
  HalveSampleRate(dir / "in.wav", dir / "out.raw", gauge, ok);
  EXPECT_FALSE(ok);
  EXPECT_FALSE(Exists(dir / "out.raw"));
  EXPECT_TRUE(gauge.calls.empty());
}

TEST(Halving, ResultThatCannotBeCreatedFailsAfterGaugeReset) {
  TempDir dir;
  ASSERT_NO_THROW(WriteFile(dir / "in.wav", WavBytes(44100, Pattern(40))));
  FakeGauge gauge;
  bool ok = true;
  HalveSampleRate(dir / "in.wav", dir / "missing-folder/out.raw", gauge, ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(gauge.calls, (std::vector<GaugeCall>{ProgressSetTo(0), MaxValueSetTo(20)}));
}

bool HalveUnderFileSizeLimit(const std::string& source, const std::string& result, rlim_t limit) {
  signal(SIGXFSZ, SIG_IGN);
  const rlimit lim{limit, limit};
  setrlimit(RLIMIT_FSIZE, &lim);
  FakeGauge gauge;
  bool ok = true;
  HalveSampleRate(source, result, gauge, ok);
  return ok;
}

// A write that stores less than it was given fails the halving, here through
// the process's file size limit (in a child process, so the limit dies with it).
TEST(HalvingDeathTest, ShortWriteFailsTheHalving) {
  TempDir dir;
  ASSERT_NO_THROW(WriteFile(dir / "in.wav", WavBytes(44100, Pattern(4000))));
  EXPECT_EXIT(_exit(HalveUnderFileSizeLimit(dir / "in.wav", dir / "out.raw", 1001) ? 1 : 0),
              ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(ReadFile(dir / "out.raw").size(), 1001u);
}

TEST(Halving, WriteErrorFailsTheHalving) {
  TempDir dir;
  ASSERT_NO_THROW(WriteFile(dir / "in.wav", WavBytes(44100, Pattern(4000))));
  FakeGauge gauge;
  bool ok = true;
  HalveSampleRate(dir / "in.wav", "/dev/full", gauge, ok);
  EXPECT_FALSE(ok);
}

// Over 4 GiB of data the byte count no longer fits the gauge: it counts in
// larger units and still ends at its maximum. The source is cut short as soon
// as its size has been taken, so the run reads only a few bytes.
TEST(Halving, DataOver4GiBGivesGaugeAMaximumThatFits) {
  TempDir dir;
  const int64_t dataSize = (int64_t{1} << 32) + 24;
  Bytes wav = WavBytes(44100, Pattern(16));
  // All that the 32-bit size field of so large a file can say.
  std::fill(wav.begin() + 40, wav.begin() + 44, 0xFF);
  ASSERT_NO_THROW(WriteFile(dir / "in.wav", wav));
  ASSERT_EQ(truncate((dir / "in.wav").c_str(), 44 + dataSize), 0);
  FakeGauge gauge;
  gauge.onSetMaxValue = [&] { ASSERT_EQ(truncate((dir / "in.wav").c_str(), 44 + 16), 0); };
  bool ok = false;
  HalveSampleRate(dir / "in.wav", dir / "out.raw", gauge, ok);
  EXPECT_EQ(gauge.maxValue, static_cast<int>((dataSize / 2) >> 1));
  EXPECT_EQ(gauge.progress, gauge.maxValue);
  EXPECT_EQ(ReadFile(dir / "out.raw").size(), 8u);
}

TEST(Halving, GaugeUnitShiftKeepsMaximumInRange) {
  const std::pair<int64_t, int> cases[] = {
      {0, 0}, {INT_MAX, 0}, {int64_t{INT_MAX} + 1, 1}, {int64_t{1} << 40, 10}, {INT64_MAX / 2, 31}};
  for (auto [bytes, shift] : cases) {
    EXPECT_EQ(GaugeUnitShift(bytes), shift) << bytes;
    EXPECT_LE(bytes >> GaugeUnitShift(bytes), INT_MAX);
  }
}

}  // namespace
