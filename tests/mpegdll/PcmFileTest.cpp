// The PCM-file device on real MP3 data, driven the way the MP3-to-WAV command
// drives the library, compared with what mpg123 writes for the same file.

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "DecoderLibrary.h"
#include "SoundOutputModules.h"

namespace {

using PcmFile = DecoderLibraryTest;

TEST(DecoderExports, ExactlyTheTwentyOneEntriesAreExported) {
  // The player's binding resolves every entry up front and refuses a library
  // that lacks one.
  TMpegLibrary binding;
  EXPECT_EQ(binding.Load(MPEGDLL_PATH), TMpegLibrary::TLoadResult::Loaded);
  void* handle = dlopen(MPEGDLL_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(handle, nullptr) << dlerror();
  for (const char* name : kEntryNames) EXPECT_NE(dlsym(handle, name), nullptr) << name;
  dlclose(handle);

  TempDir dir;
  const std::string list = dir / "symbols.txt";
  ASSERT_TRUE(RunShell("nm -D --defined-only '" MPEGDLL_PATH "' | awk '{print $3}' | sort > '" + list + "'"));
  std::ifstream in(list);
  std::vector<std::string> exported;
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) exported.push_back(line);
  std::vector<std::string> expected(std::begin(kEntryNames), std::end(kEntryNames));
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(exported, expected);
}

struct Mp3Kind {
  const char* name;
  int rate;
  int channels;
  const char* lameArgs;
  // mpg123's own player rounds a few samples of MPEG-2 streams differently
  // (by one step); our samples must then be within that step.
  bool exact;
};

void PrintTo(const Mp3Kind& kind, std::ostream* os) { *os << kind.name; }

// Largest difference between two runs of 16-bit samples of equal length.
int largestDifference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
  int largest = 0;
  for (size_t i = 0; i + 1 < a.size() && i + 1 < b.size(); i += 2) {
    const int x = static_cast<int16_t>(a[i] | a[i + 1] << 8);
    const int y = static_cast<int16_t>(b[i] | b[i + 1] << 8);
    largest = std::max(largest, std::abs(x - y));
  }
  return largest;
}

class PcmFileDecode : public PcmFile, public ::testing::WithParamInterface<Mp3Kind> {};

TEST_P(PcmFileDecode, WritesCanonicalStereoWavWithMpg123Samples) {
  const Mp3Kind kind = GetParam();
  const std::string mp3 = MakeMp3(dir, "in.mp3", kind.rate, kind.channels, 3.0, kind.lameArgs);
  ASSERT_FALSE(mp3.empty());
  const std::string out = dir / "out.wav";

  const CommandRun r = DecodeLikeMp3Command(lib, mp3, out);
  ASSERT_EQ(r.openError, 0);
  ASSERT_EQ(r.playResult, 0);
  ASSERT_EQ(r.firstError, 0);
  EXPECT_TRUE(r.flagSet);
  EXPECT_NEAR(r.length, 3000, 30);
  EXPECT_EQ(r.lastPos, r.length);

  const std::vector<unsigned char> bytes = ReadFile(out);
  const WavFile wav = ReadWav(out);
  ASSERT_TRUE(wav.valid);
  EXPECT_EQ(wav.dataOffset, 44u);
  EXPECT_EQ(std::string(bytes.begin() + 12, bytes.begin() + 16), "fmt ");
  EXPECT_EQ(wav.format, 1);
  EXPECT_EQ(wav.channels, 2);
  EXPECT_EQ(wav.rate, static_cast<uint32_t>(kind.rate));
  EXPECT_EQ(wav.byteRate, static_cast<uint32_t>(kind.rate) * 4);
  EXPECT_EQ(wav.blockAlign, 4);
  EXPECT_EQ(wav.bits, 16);
  EXPECT_EQ(wav.riffSize, bytes.size() - 8);
  EXPECT_EQ(wav.dataSize, bytes.size() - 44);

  const WavFile reference = ReferenceDecode(dir, mp3);
  ASSERT_TRUE(reference.valid);
  ASSERT_EQ(reference.bits, 16);
  ASSERT_EQ(reference.channels, kind.channels);
  const std::vector<unsigned char> expected = kind.channels == 1 ? Doubled(reference.data) : reference.data;
  ASSERT_EQ(wav.data.size(), expected.size());
  if (kind.exact) {
    EXPECT_TRUE(wav.data == expected) << "samples differ from mpg123's";
  } else {
    EXPECT_LE(largestDifference(wav.data, expected), 1);
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, PcmFileDecode,
                         ::testing::Values(Mp3Kind{"Stereo44100Cbr128", 44100, 2, "-b 128", true},
                                           Mp3Kind{"Stereo44100Vbr", 44100, 2, "-V 2", true},
                                           Mp3Kind{"Mono44100", 44100, 1, "-b 64 -m m", true},
                                           Mp3Kind{"Stereo22050Mpeg2", 22050, 2, "-b 64", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PcmFile, RangePlaysExactlyThoseSamplesOfTheStream) {
  const std::string mp3 = MakeMp3(dir, "in.mp3", 44100, 2, 3.0, "-b 128");
  ASSERT_FALSE(mp3.empty());
  const WavFile full = ReferenceDecode(dir, mp3);
  ASSERT_TRUE(full.valid);

  const std::string out = dir / "range.wav";
  lib.OpenFile(mp3);
  ASSERT_EQ(lib.LastError(), 0);
  lib.SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, out.c_str());
  uint8_t flag = 0;
  ASSERT_EQ(lib.Play(500, 1500, &flag), 0);
  while (!__atomic_load_n(&flag, __ATOMIC_ACQUIRE)) {
  }
  EXPECT_TRUE(lib.ResetPlayerMode());
  EXPECT_EQ(lib.LastError(), 0);
  EXPECT_EQ(lib.GetCurrentPos(), 1500);
  lib.Close();

  const WavFile wav = ReadWav(out);
  ASSERT_TRUE(wav.valid);
  ASSERT_EQ(wav.data.size(), 44100u * 4);
  const std::vector<unsigned char> slice(full.data.begin() + 22050 * 4, full.data.begin() + 66150 * 4);
  EXPECT_TRUE(wav.data == slice) << "the range is not the same samples as in the whole stream";
}

TEST_F(PcmFile, ReplacesALongerOldFileWhole) {
  const std::string mp3 = MakeMp3(dir, "in.mp3", 44100, 2, 1.0, "-b 128");
  ASSERT_FALSE(mp3.empty());
  const std::string out = dir / "old.wav";
  const std::vector<char> old(3 << 20, '\x5a');
  std::ofstream(out, std::ios::binary).write(old.data(), static_cast<long>(old.size()));
  ASSERT_EQ(ReadFile(out).size(), old.size());

  const CommandRun r = DecodeLikeMp3Command(lib, mp3, out);
  ASSERT_EQ(r.firstError, 0);
  EXPECT_TRUE(r.flagSet);
  const WavFile wav = ReadWav(out);
  ASSERT_TRUE(wav.valid);
  EXPECT_EQ(wav.fileSize, 44u + wav.dataSize) << "old bytes left behind the new ones";
  const WavFile reference = ReferenceDecode(dir, mp3);
  ASSERT_TRUE(reference.valid);
  EXPECT_TRUE(wav.data == reference.data);
}

TEST_F(PcmFile, FullDiskIsOneOutputDeviceFailureAtTheEnd) {
  const std::string small = dir / "small";
  ASSERT_EQ(mkdir(small.c_str(), 0755), 0);
  if (mount("tmpfs", small.c_str(), "tmpfs", 0, "size=64k") != 0) GTEST_SKIP() << "mounting is refused here";
  struct Unmount {
    std::string point;
    ~Unmount() { umount2(point.c_str(), MNT_DETACH); }
  } unmount{small};
  const std::string mp3 = MakeMp3(dir, "in.mp3", 44100, 2, 3.0, "-b 128");
  ASSERT_FALSE(mp3.empty());
  lib.OpenFile(mp3);
  ASSERT_EQ(lib.LastError(), 0);
  lib.SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, (small + "/out.wav").c_str());
  uint8_t flag = 0;
  ASSERT_EQ(lib.Play(0, 0, &flag), 0) << "the file is made; only its writes fail";
  while (!__atomic_load_n(&flag, __ATOMIC_ACQUIRE)) {
  }
  EXPECT_TRUE(lib.ResetPlayerMode());
  EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_OUTPUT);
  lib.Close();
  EXPECT_EQ(lib.LastError(), 0) << "reported once";
  EXPECT_FALSE(std::filesystem::exists(small + "/out.wav")) << "no partial WAV";

  // Over an old WAV: the old one stays whole, and nothing else is left.
  const std::vector<unsigned char> old(1000, 'o');
  std::ofstream(small + "/old.wav", std::ios::binary).write(reinterpret_cast<const char*>(old.data()), 1000);
  lib.OpenFile(mp3);
  lib.SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, (small + "/old.wav").c_str());
  flag = 0;
  ASSERT_EQ(lib.Play(0, 0, &flag), 0);
  while (!__atomic_load_n(&flag, __ATOMIC_ACQUIRE)) {
  }
  EXPECT_TRUE(lib.ResetPlayerMode());
  EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_OUTPUT);
  lib.Close();
  EXPECT_TRUE(ReadFile(small + "/old.wav") == old);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(small), {}), 1);
}

// The new WAV is made beside the old one and takes its place whole: a name
// as long as the file system takes works, the old file's mode stays, a link
// to the WAV still leads to it, and nothing else is left in the folder.
TEST_F(PcmFile, TheNewWavTakesTheOldOnesPlaceWhole) {
  const std::string mp3 = MakeMp3(dir, "in.mp3", 44100, 2, 1.0, "-b 128");
  ASSERT_FALSE(mp3.empty());
  const WavFile reference = ReferenceDecode(dir, mp3);
  ASSERT_TRUE(reference.valid);
  const std::string folder = dir / "out";
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  const std::string longName = folder + "/" + std::string(251, 'w') + ".wav";
  const std::string old = folder + "/old.wav";
  std::ofstream(old) << "old";
  ASSERT_EQ(chmod(old.c_str(), 0640), 0);
  ASSERT_EQ(symlink("old.wav", (folder + "/link.wav").c_str()), 0);
  for (const std::string& out : {longName, folder + "/link.wav"}) {
    lib.OpenFile(mp3);
    lib.SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, out.c_str());
    uint8_t flag = 0;
    ASSERT_EQ(lib.Play(0, 0, &flag), 0);
    while (!__atomic_load_n(&flag, __ATOMIC_ACQUIRE)) {
    }
    EXPECT_TRUE(lib.ResetPlayerMode());
    EXPECT_EQ(lib.LastError(), 0) << out;
    lib.Close();
  }
  EXPECT_TRUE(ReadWav(longName).data == reference.data);
  EXPECT_TRUE(ReadWav(old).data == reference.data);
  struct stat st {};
  ASSERT_EQ(lstat((folder + "/link.wav").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(stat(old.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 3);
}

TEST_F(PcmFile, StartPastTheEndEndsAtOnceWithAnEmptyWavAndAPosition) {
  const std::string mp3 = MakeMp3(dir, "in.mp3", 44100, 2, 1.0, "-b 128");
  ASSERT_FALSE(mp3.empty());
  const std::string out = dir / "none.wav";
  lib.OpenFile(mp3);
  lib.SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, out.c_str());
  uint8_t flag = 0;
  ASSERT_EQ(lib.Play(10000, 0, &flag), 0);
  while (!__atomic_load_n(&flag, __ATOMIC_ACQUIRE)) {
  }
  EXPECT_TRUE(lib.ResetPlayerMode());
  EXPECT_NE(lib.GetCurrentPos(), -1);
  lib.Close();
  const WavFile wav = ReadWav(out);
  ASSERT_TRUE(wav.valid);
  EXPECT_EQ(wav.dataSize, 0u);
  EXPECT_EQ(wav.fileSize, 44u);
}

TEST_F(PcmFile, RestartWritesTheWholeFileAgain) {
  const std::string mp3 = MakeMp3(dir, "in.mp3", 44100, 2, 1.0, "-b 128");
  ASSERT_FALSE(mp3.empty());
  const std::string out = dir / "again.wav";
  lib.OpenFile(mp3);
  lib.SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, out.c_str());
  uint8_t flag = 0;
  ASSERT_EQ(lib.Play(0, 0, &flag), 0);
  while (!__atomic_load_n(&flag, __ATOMIC_ACQUIRE)) {
  }
  ASSERT_TRUE(lib.ResetPlayerMode());
  const std::vector<unsigned char> first = ReadFile(out);
  ASSERT_GT(first.size(), 44u);
  ASSERT_TRUE(std::remove(out.c_str()) == 0);

  flag = 0;
  lib.Restart();
  ASSERT_EQ(lib.LastError(), 0);
  while (!__atomic_load_n(&flag, __ATOMIC_ACQUIRE)) {
  }
  EXPECT_TRUE(lib.ResetPlayerMode());
  lib.Close();
  EXPECT_TRUE(ReadFile(out) == first);
}

TEST_F(PcmFile, InfoEntriesDescribeTheOpenStream) {
  const std::string mp3 = MakeMp3(dir, "in.mp3", 44100, 1, 1.0, "-b 96 -m m");
  ASSERT_FALSE(mp3.empty());
  EXPECT_EQ(lib.GetFrequency(), 0);
  lib.OpenFile(mp3);
  EXPECT_EQ(lib.GetFrequency(), 44100);
  EXPECT_EQ(lib.GetBitrate(), 96);
  EXPECT_EQ(lib.GetStereoMode(), 3);  // mono
  EXPECT_EQ(lib.GetLayer(), 3);
  EXPECT_EQ(lib.LastError(), 0);
  lib.Close();
}

// ---- Bad input and bad output.

TEST_F(PcmFile, MissingOrEmptyInputIsAnInputStreamErrorAtOpen) {
  const std::string empty = dir / "empty.mp3";
  { std::ofstream touch(empty); }
  for (const std::string& name : {empty, dir / "missing.mp3", dir.Path(), std::string()}) {
    lib.OpenFile(name);
    EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_INPUT) << name;
    EXPECT_EQ(lib.GetPlayerMode(), MPEGDLL_MODE_CLOSED);
    uint8_t flag = 0;
    EXPECT_NE(lib.Play(0, 0, &flag), 0);
    EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_MODE);
    EXPECT_EQ(flag, 0);
  }
}

// Either refused with an error code, or decoded into a WAV whose header
// agrees with its size; never a hang or a crash.
void expectErrorOrValidWav(DecoderLibrary& lib, const std::string& mp3, const std::string& out, size_t* dataBytes) {
  const CommandRun r = DecodeLikeMp3Command(lib, mp3, out);
  *dataBytes = 0;
  if (r.openError > 0 || r.firstError > 0 || r.playResult != 0) {
    EXPECT_GE(std::max({r.openError, r.firstError}), 1);
    EXPECT_LE(std::max({r.openError, r.firstError}), 5);
    return;
  }
  EXPECT_TRUE(r.flagSet);
  const WavFile wav = ReadWav(out);
  ASSERT_TRUE(wav.valid);
  EXPECT_EQ(wav.riffSize, wav.fileSize - 8);
  EXPECT_EQ(wav.dataSize, wav.fileSize - 44);
  *dataBytes = wav.dataSize;
}

TEST_F(PcmFile, TruncatedMp3GivesAShorterValidWav) {
  const std::string mp3 = MakeMp3(dir, "in.mp3", 44100, 2, 3.0, "-b 128");
  ASSERT_FALSE(mp3.empty());
  std::vector<unsigned char> bytes = ReadFile(mp3);
  bytes.resize(bytes.size() * 6 / 10 + 7);  // mid-frame
  const std::string cut = dir / "cut.mp3";
  std::ofstream(cut, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));

  size_t dataBytes = 0;
  expectErrorOrValidWav(lib, cut, dir / "cut.wav", &dataBytes);
  const WavFile full = ReferenceDecode(dir, mp3);
  ASSERT_TRUE(full.valid);
  EXPECT_GT(dataBytes, full.data.size() / 3);
  EXPECT_LT(dataBytes, full.data.size());
  const WavFile reference = ReferenceDecode(dir, cut);
  ASSERT_TRUE(reference.valid);
  EXPECT_TRUE(ReadWav(dir / "cut.wav").data == reference.data) << "not what mpg123 makes of the same file";
  EXPECT_TRUE(std::equal(reference.data.begin(), reference.data.end(), full.data.begin()))
      << "a cut stream starts like the whole one";
}

TEST_F(PcmFile, RandomBytesGiveAnErrorOrAValidWav) {
  std::mt19937 random(20240611);
  std::vector<char> noise(64 * 1024);
  for (char& c : noise) c = static_cast<char>(random());
  const std::string junk = dir / "junk.raw";
  std::ofstream(junk, std::ios::binary).write(noise.data(), static_cast<long>(noise.size()));
  size_t dataBytes = 0;
  expectErrorOrValidWav(lib, junk, dir / "junk.wav", &dataBytes);
}

TEST_F(PcmFile, OutputThatCannotBeCreatedIsAnOutputDeviceFailureAtPlay) {
  const std::string mp3 = MakeMp3(dir, "in.mp3", 44100, 2, 1.0, "-b 128");
  ASSERT_FALSE(mp3.empty());
  ASSERT_EQ(mkdir((dir / "folder").c_str(), 0755), 0);
  for (const std::string& out : {dir / "no-such-folder/out.wav", dir / "folder", std::string()}) {
    lib.OpenFile(mp3);
    ASSERT_EQ(lib.LastError(), 0);
    lib.SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, out.c_str());
    uint8_t flag = 0;
    EXPECT_NE(lib.Play(0, 0, &flag), 0) << out;
    EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_OUTPUT) << out;
    EXPECT_EQ(flag, 0) << "no playback, no end";
    EXPECT_EQ(lib.GetCurrentPos(), -1);
    EXPECT_NE(lib.GetPlayerMode(), MPEGDLL_MODE_PLAYING);
    lib.Close();
  }
}

TEST_F(PcmFile, UnknownOutputDeviceCodeIsRefused) {
  lib.SetOutputDevice(1, "x.wav");
  EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_OUTPUT);
  lib.SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, "x.wav");
  EXPECT_EQ(lib.LastError(), 0);
}

TEST_F(PcmFile, EntriesWithoutAStreamAreModeErrorsOrHarmless) {
  uint8_t flag = 0;
  EXPECT_NE(lib.Play(0, 0, &flag), 0);
  EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_MODE);
  lib.Pause(0);
  EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_MODE);
  lib.Stop();
  EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_MODE);
  lib.Restart();
  EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_MODE);
  lib.Seek(100);
  EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_MODE);
  lib.Close();
  EXPECT_EQ(lib.LastError(), 0);
  EXPECT_EQ(lib.ResetPlayerMode(), 1);
  EXPECT_EQ(lib.GetCurrentPos(), -1);
  EXPECT_EQ(lib.GetLength(), 0);
  EXPECT_EQ(lib.GetPlayerMode(), MPEGDLL_MODE_CLOSED);
  EXPECT_EQ(lib.LastError(), 0);
  EXPECT_EQ(flag, 0);
}

TEST_F(PcmFile, BadRangesAreModeErrors) {
  const std::string mp3 = MakeMp3(dir, "in.mp3", 44100, 2, 1.0, "-b 128");
  ASSERT_FALSE(mp3.empty());
  lib.OpenFile(mp3);
  lib.SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, (dir / "out.wav").c_str());
  uint8_t flag = 0;
  for (auto range : {std::pair<int32_t, int32_t>{-1, 0}, {500, 500}, {800, 200}}) {
    EXPECT_NE(lib.Play(range.first, range.second, &flag), 0);
    EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_MODE);
    EXPECT_EQ(lib.GetCurrentPos(), -1);
  }
  lib.Close();
}

TEST(DecoderLifetime, EntriesBeforeInitAndAfterDeinitDoNothing) {
  DecoderLibrary lib;
  ASSERT_TRUE(lib.Loaded());
  uint8_t flag = 0;
  EXPECT_NE(lib.Play(0, 0, &flag), 0);
  EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_MODE);
  EXPECT_EQ(lib.GetCurrentPos(), -1);
  lib.Close();
  ASSERT_EQ(lib.init(), 1);
  EXPECT_EQ(lib.init(), 1);
  lib.Close();
  EXPECT_EQ(lib.LastError(), 0);
  lib.deinit();
  lib.deinit();
  EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_MODE);
  EXPECT_EQ(flag, 0);
}

TEST(DecoderLifetime, DeinitWhilePlayingEndsThePlaybackAndFreesAll) {
  DecoderLibrary lib;
  TempDir dir;
  ASSERT_TRUE(lib.Loaded());
  const std::string mp3 = MakeMp3(dir, "in.mp3", 44100, 2, 3.0, "-b 128");
  ASSERT_FALSE(mp3.empty());
  ASSERT_EQ(lib.init(), 1);
  lib.OpenFile(mp3);
  lib.SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, (dir / "out.wav").c_str());
  uint8_t flag = 0;
  ASSERT_EQ(lib.Play(0, 0, &flag), 0);
  lib.Pause(0);
  lib.deinit();
  EXPECT_EQ(flag, 1);
  EXPECT_TRUE(ReadWav(dir / "out.wav").valid);
}

TEST(WaveMapper, NoSoundOutputIsAnOutputDeviceFailureAtOnce) {
  // A sound server that does not exist, and no sound card: every driver of
  // the list must give up promptly instead of waiting or spinning.
  DecoderLibrary lib;
  TempDir dir;
  ASSERT_TRUE(lib.Loaded());
  NoSoundOutput none(dir.Path());
  ASSERT_TRUE(none.Ok());
  const std::string mp3 = MakeMp3(dir, "in.mp3", 44100, 2, 1.0, "-b 128");
  ASSERT_FALSE(mp3.empty());
  ASSERT_EQ(lib.init(), 1);
  lib.OpenFile(mp3);
  lib.SetOutputDevice(MPEGDLL_DEVICE_WAVEMAPPER, "");
  lib.SetSndDevice(0);
  uint8_t flag = 0;
  EXPECT_NE(lib.Play(0, 0, &flag), 0);
  EXPECT_EQ(lib.LastError(), MPEGDLL_ERR_OUTPUT);
  EXPECT_EQ(flag, 0);
  EXPECT_EQ(lib.GetCurrentPos(), -1);
  lib.Close();
  lib.deinit();
}

}  // namespace
