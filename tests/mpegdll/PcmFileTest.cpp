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

// ---- Bad input and bad output.

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
