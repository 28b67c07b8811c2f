// "Convert Mp3 as Wav" on real MP3s made by sox and lame, decoded by the real
// decoder library through the real player, with a real gauge. The dialogs,
// the status line and the buttons are the shared stand-ins, writing every
// call into one log, so the order of the control changes shows.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QWidget>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Gauges.h"
#include "MPEGPlay.h"
#include "Mp3ToWavCommand.h"
#include "OpticalDisc.h"
#include "PosixTestFiles.h"
#include "SoundFiles.h"
#include "convert_support.h"

namespace {

using Log = CommandLog;

const Log kDisable = {"BitBtn1 disabled", "BitBtn2 disabled", "BitBtn4 disabled", "MediaPlayer1 disabled"};
const Log kBackToIdle = {"BitBtn4 enabled", "BitBtn1 enabled", "BitBtn2 enabled", "gauge 0", "MediaPlayer1 enabled"};

bool StartsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

// Folder of the MP3 made once for the whole run, with mpg123's decoding of it.
std::string g_data;

class Mp3Command : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static TempDir data;
    if (!g_data.empty()) return;
    // Three seconds of two tones, a different one on each side, so a channel
    // swap or a dropped frame changes the samples.
    if (MakeMp3(data / "song.mp3", 3, "sine 440 sine 660") &&
        DecodeWithMpg123(data / "song.mp3", data / "reference.wav"))
      g_data = data.Path();
  }

  void SetUp() override {
    ASSERT_FALSE(g_data.empty()) << "could not make the MP3 and its decoding with sox, lame and mpg123";
    for (const std::string& d : {appDir, fixedDir, musicDir}) ASSERT_EQ(mkdir(d.c_str(), 0755), 0) << d;
    ASSERT_EQ(symlink((std::string(REAL_DLL_DIR) + "/libmpegdll.so").c_str(), (appDir + "libmpegdll.so").c_str()), 0);
    state.AppDir = appDir;
    player.SetPathToDLL(REAL_DLL_DIR);
    player.LoadDLL();
    window.resize(346, 155);
    gaugeWidget.setGeometry(2, 112, 343, 18);
    window.show();
    // The command decodes beside the MP3 unless the test says the MP3 is on a disc.
    onDisc = [this](const std::string& name) { return LiesOnOpticalDiscIn(mountTable, name, nullptr); };
  }

  void TearDown() override { player.UnloadDLL(); }

  // Copies the test MP3 under the given name and makes it the dialog's choice.
  std::string ChooseMp3(const std::string& folder, const std::string& name) {
    const std::string path = folder + name;
    WriteFile(path, ReadFile(g_data + "song.mp3"));
    open.choice = path;
    return path;
  }

  void Run() { TMp3ToWavCommand(parts, state, fixedDir, onDisc).Run(); }

  // Runs the command expecting the player's error; returns its message.
  std::string RunExpectingPlayerError() {
    try {
      Run();
    } catch (const TMPEGError& e) {
      return e.Message();
    }
    ADD_FAILURE() << "no TMPEGError";
    return "";
  }

  void ExpectSamplesOfMpg123(const std::string& wav) {
    const Bytes got = ReadFile(wav);
    const Bytes want = ReadFile(g_data + "reference.wav");
    ASSERT_GE(got.size(), 44u);
    EXPECT_EQ(got.size(), want.size());
    EXPECT_TRUE(std::equal(got.begin() + 44, got.end(), want.begin() + 44, want.end()))
        << "samples differ from mpg123 -w";
  }

  void ExpectIdle() {
    for (auto* c : {&bitBtn1, &bitBtn2, &bitBtn4, &mediaPlayer1}) EXPECT_TRUE(c->enabled);
    EXPECT_EQ(gaugeWidget.Progress(), 0);
  }

  // A mount table that puts the given folder on an optical disc of that type.
  static std::string DiscTable(const std::string& folder, const std::string& type) {
    std::string point = folder;
    if (point.size() > 1 && point.back() == '/') point.pop_back();
    return "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
           "40 22 11:0 / " +
           point + " ro,relatime shared:9 - " + type + " /dev/sr0 ro\n";
  }

  TempDir dir;
  const std::string appDir = dir / "app/";
  const std::string fixedDir = dir / "fixed";
  const std::string musicDir = dir / "music/";
  std::string mountTable = "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n";
  TMp3ToWavCommand::OpticalDiscTest onDisc;

  Log log;
  FakeFileDialog open;
  FakeMessages messages{log};
  FakeStatusLine status{log};
  QWidget window;
  TGauge gaugeWidget{&window};
  // The real gauge, with every bound and value the command gives it logged.
  FakeGauge gauge{gaugeWidget, log};
  TMPEGPlayer player;
  FakeControl bitBtn1{"BitBtn1", log}, bitBtn2{"BitBtn2", log}, bitBtn4{"BitBtn4", log},
      mediaPlayer1{"MediaPlayer1", log};
  TMp3ToWavParts parts{open, messages, status, gauge, player, bitBtn1, bitBtn2, bitBtn4, mediaPlayer1};
  TSharedState state;
};

TEST_F(Mp3Command, Mp3OnOrdinaryDiskDecodesBesideItLikeMpg123) {
  const std::string mp3 = ChooseMp3(musicDir, "song.mp3");
  const std::string wav = musicDir + "song.wav";
  open.onExecute = [&] { log.push_back("open dialog"); };
  bool wavBeforeRepaint = true, openBeforeRepaint = true;
  status.onRepaint = [&] {
    if (status.text != "Processing: song.mp3") return;
    wavBeforeRepaint = Exists(wav);
    openBeforeRepaint = player.Opened();
  };

  Run();

  EXPECT_EQ(open.title, "Only Mp3's");
  EXPECT_EQ(open.filter, "Fichiers Mp3|*.mp3");
  EXPECT_TRUE(messages.picks.empty());
  EXPECT_TRUE(messages.plain.empty());
  ExpectSamplesOfMpg123(wav);
  EXPECT_EQ(status.text, "Saved as: " + wav);
  EXPECT_EQ(state.Mp3FileName, "song.mp3");
  EXPECT_EQ(state.OutBaseName, "song");
  ExpectIdle();
  EXPECT_FALSE(player.Opened());
  // "Processing" was painted before the decoding began.
  EXPECT_FALSE(wavBeforeRepaint);
  EXPECT_FALSE(openBeforeRepaint);

  // The log: the dialog, the four disables, the status painted, the gauge
  // set up on the stream's length, only positions while decoding, then idle.
  const int length = player.StreamLength();
  EXPECT_GT(length, 0);
  EXPECT_EQ(gaugeWidget.MaxValue(), length);
  Log head = {"open dialog"};
  head.insert(head.end(), kDisable.begin(), kDisable.end());
  head.insert(head.end(), {"status Processing: song.mp3", "repaint", "gauge max " + std::to_string(length), "gauge 0"});
  Log tail = kBackToIdle;
  tail.insert(tail.end(), {"status Saved as: " + wav, "repaint"});
  ASSERT_GE(log.size(), head.size() + tail.size());
  EXPECT_EQ(Log(log.begin(), log.begin() + static_cast<long>(head.size())), head);
  EXPECT_EQ(Log(log.end() - static_cast<long>(tail.size()), log.end()), tail);
  int last = 0;
  for (auto it = log.begin() + static_cast<long>(head.size()); it != log.end() - static_cast<long>(tail.size()); ++it) {
    ASSERT_TRUE(StartsWith(*it, "gauge ")) << *it;
    const int pos = std::stoi(it->substr(6));
    EXPECT_GE(pos, last) << "the position went back";
    EXPECT_LE(pos, length + 30) << "a position far past the length";
    last = pos;
  }
  EXPECT_EQ(mp3, open.FileName());
}

struct NameCase {
  const char* label;
  const char* mp3;
  const char* base;
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.label; }

class OutputName : public Mp3Command, public ::testing::WithParamInterface<NameCase> {};

TEST_P(OutputName, DropsTheLastFourCharactersAndAddsWav) {
  const NameCase& c = GetParam();
  ChooseMp3(musicDir, c.mp3);
  Run();
  const std::string wav = musicDir + c.base + ".wav";
  EXPECT_EQ(state.OutBaseName, c.base);
  EXPECT_EQ(status.text, "Saved as: " + wav);
  EXPECT_TRUE(Exists(wav));
}

INSTANTIATE_TEST_SUITE_P(Names, OutputName,
                         ::testing::Values(NameCase{"UpperCaseExtension", "song.MP3", "song"},
                                           NameCase{"NoExtension", "abcdefg", "abc"},
                                           NameCase{"ShortExtension", "tune.mp", "tun"},
                                           NameCase{"DotsAndBlanks", "Grand Prix 3.v2.mp3", "Grand Prix 3.v2"},
                                           // Characters, not bytes: "é" is two bytes of UTF-8.
                                           NameCase{"AccentInTheCutPart", "xyzéabc", "xyz"},
                                           NameCase{"AccentedName", "Été à Spa.mp3", "Été à Spa"}),
                         [](const ::testing::TestParamInfo<NameCase>& i) { return std::string(i.param.label); });

TEST_F(Mp3Command, LongPathsReachTheLibraryWhole) {
  std::string folder = musicDir;
  for (char c : {'a', 'b', 'c'}) {
    folder += std::string(200, c) + "/";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  }
  ASSERT_GT(folder.size(), 600u);
  ChooseMp3(folder, "song.mp3");
  Run();
  EXPECT_EQ(status.text, "Saved as: " + folder + "song.wav");
  ExpectSamplesOfMpg123(folder + "song.wav");
}

TEST_F(Mp3Command, Mp3OnOpticalDiscGoesToThePickedFolder) {
  const std::string disc = dir / "disc/";
  const std::string dest = dir / "dest";
  for (const std::string& d : {disc, dest}) ASSERT_EQ(mkdir(d.c_str(), 0755), 0);
  mountTable = DiscTable(disc, "iso9660");
  ChooseMp3(disc, "song.mp3");
  messages.picked = dest;

  Run();

  ASSERT_EQ(messages.picks.size(), 1u);
  EXPECT_EQ(messages.picks[0].prompt, "Choose Destination Directory");
  EXPECT_EQ(messages.picks[0].root, "");
  Log head = kDisable;
  head.push_back("pick");
  ASSERT_GE(log.size(), head.size());
  EXPECT_EQ(Log(log.begin(), log.begin() + static_cast<long>(head.size())), head);
  ExpectSamplesOfMpg123(dest + "/song.wav");
  EXPECT_FALSE(Exists(disc + "song.wav"));
  EXPECT_EQ(status.text, "Saved as: " + dest + "/song.wav");
  ExpectIdle();
}

TEST_F(Mp3Command, RootPickedGivesDoubleSlash) {
  if (geteuid() != 0 || access("/", W_OK) != 0) GTEST_SKIP() << "the root folder is not writable here";
  const std::string disc = dir / "disc/";
  ASSERT_EQ(mkdir(disc.c_str(), 0755), 0);
  mountTable = DiscTable(disc, "udf");
  const std::string base = "vantrel-mp3command-" + std::to_string(getpid());
  ChooseMp3(disc, base + ".mp3");
  messages.picked = "/";
  struct Remove {
    std::string name;
    ~Remove() { unlink(name.c_str()); }
  } removeAfter{"/" + base + ".wav"};

  Run();

  EXPECT_EQ(status.text, "Saved as: //" + base + ".wav");
  ExpectSamplesOfMpg123("/" + base + ".wav");
}

TEST_F(Mp3Command, PickerCancelledOnDiscWritesNothing) {
  const std::string disc = dir / "disc/";
  ASSERT_EQ(mkdir(disc.c_str(), 0755), 0);
  mountTable = DiscTable(disc, "udf");
  ChooseMp3(disc, "song.mp3");
  state.Mp3FileName = "earlier.mp3";

  Run();

  Log want = kDisable;
  want.insert(want.end(), {"pick", "status Can't write on CD", "BitBtn4 enabled", "BitBtn1 enabled", "BitBtn2 enabled",
                           "MediaPlayer1 enabled"});
  EXPECT_EQ(log, want);
  EXPECT_EQ(status.text, "Can't write on CD");
  EXPECT_EQ(state.Mp3FileName, "earlier.mp3");
  EXPECT_FALSE(Exists(disc + "song.wav"));
  EXPECT_TRUE(player.StreamName().empty());
  EXPECT_TRUE(player.OutFilename().empty());
  EXPECT_EQ(player.OutputDevice(), TOutputDevice::wavemapper);
  EXPECT_FALSE(player.Opened());
}

TEST_F(Mp3Command, DialogCancelledChangesNothing) {
  open.choice.clear();
  state.Mp3FileName = "earlier.mp3";
  Run();
  EXPECT_EQ(open.executed, 1);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(status.text, "attribution");
  EXPECT_EQ(state.Mp3FileName, "earlier.mp3");
  EXPECT_TRUE(player.StreamName().empty());
}

// Where the library file lies decides, not where the player loaded it from.
struct PresenceCase {
  const char* label;
  bool inAppDir;
  bool inFixedPlace;
  bool found;
};

void PrintTo(const PresenceCase& c, std::ostream* os) { *os << c.label; }

class LibraryPresence : public Mp3Command, public ::testing::WithParamInterface<PresenceCase> {};

TEST_P(LibraryPresence, LooksInTheAppDirAndTheFixedPlaceOnly) {
  const PresenceCase& c = GetParam();
  // The player has loaded the library from the test program's own folder,
  // where the library search finds it too, and which is neither place.
  ASSERT_TRUE(player.Loaded());
  if (!c.inAppDir) {
    ASSERT_EQ(unlink((appDir + "libmpegdll.so").c_str()), 0);
  }
  if (c.inFixedPlace) {
    ASSERT_EQ(symlink((std::string(REAL_DLL_DIR) + "/libmpegdll.so").c_str(), (fixedDir + "/libmpegdll.so").c_str()),
              0);
  }
  open.choice.clear();

  Run();

  if (c.found) {
    EXPECT_EQ(open.executed, 1);
    EXPECT_TRUE(messages.plain.empty());
  } else {
    EXPECT_EQ(open.executed, 0);
    EXPECT_EQ(log, Log{"message MpegDll Not Found !!"});
    EXPECT_EQ(status.text, "attribution");
  }
}

INSTANTIATE_TEST_SUITE_P(Places, LibraryPresence,
                         ::testing::Values(PresenceCase{"AppDir", true, false, true},
                                           PresenceCase{"FixedPlace", false, true, true},
                                           PresenceCase{"OnlyOnTheSearchPath", false, false, false}),
                         [](const ::testing::TestParamInfo<PresenceCase>& i) { return std::string(i.param.label); });

// Bad input or output ends with the player's error, raised after the window
// is back to idle; the status keeps naming the file, and the next run works.
struct FailureCase {
  const char* label;
  const char* message;
  bool opens;  // the library accepts the input and the gauge is set up
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.label; }

class DecodingFailure : public Mp3Command, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(DecodingFailure, RaisesThePlayerErrorAfterReturningToIdle) {
  const std::string label = GetParam().label;
  std::string folder = musicDir;
  std::string name = "bad.mp3";
  MountGuard unmount;
  if (label == "RandomBytes") {
    WriteFile(folder + name, Pattern(200000, 7));
  } else if (label == "EmptyFile") {
    WriteFile(folder + name, {});
  } else {
    // Permission bits do not stop root: a read-only or full file system does.
    folder = dir / "small/";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    if (mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=128k") != 0) GTEST_SKIP() << "mounting is refused here";
    unmount.point = folder;
    name = "song.mp3";
    ChooseMp3(folder, name);
    if (label == "OutputFolderReadOnly") {
      ASSERT_EQ(mount("tmpfs", folder.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=128k"), 0);
    }
  }
  open.choice = folder + name;
  const std::string wav = folder + name.substr(0, name.size() - 4) + ".wav";

  EXPECT_EQ(RunExpectingPlayerError(), GetParam().message);

  EXPECT_EQ(status.text, "Processing: " + name);
  EXPECT_EQ(std::any_of(log.begin(), log.end(), [](const std::string& e) { return StartsWith(e, "gauge max"); }),
            GetParam().opens);
  for (const std::string& e : log) EXPECT_FALSE(StartsWith(e, "status Saved as")) << e;
  ASSERT_GE(log.size(), kBackToIdle.size());
  EXPECT_EQ(Log(log.end() - static_cast<long>(kBackToIdle.size()), log.end()), kBackToIdle);
  ExpectIdle();
  // Bad input is refused before an output file is made; a disk that fills
  // up leaves what fitted.
  if (label != "DiskFull") {
    EXPECT_FALSE(Exists(wav));
  }

  // Nothing stays dead: the next conversion runs to its end.
  log.clear();
  ChooseMp3(musicDir, "good.mp3");
  Run();
  EXPECT_EQ(status.text, "Saved as: " + musicDir + "good.wav");
  ExpectSamplesOfMpg123(musicDir + "good.wav");
}

INSTANTIATE_TEST_SUITE_P(Inputs, DecodingFailure,
                         ::testing::Values(FailureCase{"RandomBytes", "Input stream error", false},
                                           FailureCase{"EmptyFile", "Input stream error", false},
                                           FailureCase{"OutputFolderReadOnly", "Output device failure", true},
                                           FailureCase{"DiskFull", "Output device failure", true}),
                         [](const ::testing::TestParamInfo<FailureCase>& i) { return std::string(i.param.label); });

// The WAV named after the MP3 must never be the MP3 itself: refused before
// anything is opened, the MP3 untouched, the window idle again.
struct SameFileCase {
  const char* label;
  const char* mp3;
  const char* link;  // made beside the MP3 as its WAV name, or null
  bool symbolic;
};

void PrintTo(const SameFileCase& c, std::ostream* os) { *os << c.label; }

class SameFile : public Mp3Command, public ::testing::WithParamInterface<SameFileCase> {};

TEST_P(SameFile, WavThatIsTheMp3IsRefusedAndTheMp3Kept) {
  const SameFileCase& c = GetParam();
  const std::string mp3 = ChooseMp3(musicDir, c.mp3);
  if (c.link) {
    const std::string link = musicDir + c.link;
    ASSERT_EQ(c.symbolic ? symlink(mp3.c_str(), link.c_str()) : ::link(mp3.c_str(), link.c_str()), 0);
  }
  const Bytes before = ReadFile(mp3);
  ASSERT_GT(before.size(), 1000u);

  Run();

  EXPECT_EQ(messages.plain, std::vector<std::string>{"The Wav file must not be the Mp3 file itself\rNothing changed!"});
  Log want = kDisable;
  want.insert(want.end(), kBackToIdle.begin(), kBackToIdle.end());
  want.push_back("message The Wav file must not be the Mp3 file itself\rNothing changed!");
  EXPECT_EQ(log, want);
  EXPECT_EQ(status.text, "attribution");
  ExpectIdle();
  EXPECT_TRUE(ReadFile(mp3) == before) << "the MP3 changed";
  EXPECT_TRUE(player.StreamName().empty()) << "the player was given the stream";
}

INSTANTIATE_TEST_SUITE_P(Names, SameFile,
                         ::testing::Values(SameFileCase{"Mp3NamedAsWav", "race.wav", nullptr, false},
                                           SameFileCase{"UpperCaseNameLinkedAsWav", "race.WAV", "race.wav", true},
                                           SameFileCase{"WavSymlinkedToMp3", "song.mp3", "song.wav", true},
                                           SameFileCase{"WavHardLinkedToMp3", "song.mp3", "song.wav", false}),
                         [](const ::testing::TestParamInfo<SameFileCase>& i) { return std::string(i.param.label); });

// Calls `unblock` unless cancelled within 10 s, so a test whose command
// hangs ends with a failure instead of at the test's time limit.
class Watchdog {
 public:
  explicit Watchdog(std::function<void()> unblock)
      : thread_([this, unblock] {
          std::unique_lock<std::mutex> lock(m_);
          if (!cv_.wait_for(lock, std::chrono::seconds(10), [this] { return cancelled_; })) {
            fired = true;
            unblock();
          }
        }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(m_);
      cancelled_ = true;
    }
    cv_.notify_all();
    thread_.join();
  }
  std::atomic<bool> fired{false};

 private:
  std::mutex m_;
  std::condition_variable cv_;
  bool cancelled_ = false;
  std::thread thread_;
};

TEST_F(Mp3Command, FifoNamedAsTheWavIsAnOutputErrorWithoutWaiting) {
  ChooseMp3(musicDir, "song.mp3");
  const std::string fifo = musicDir + "song.wav";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  // Should the command wait on the FIFO, a reader that reads it to its end
  // lets it through, and the test fails instead of hanging.
  std::thread drainer;
  std::string message;
  bool fired = false;
  {
    Watchdog watchdog([&] {
      drainer = std::thread([fifo] {
        const int fd = ::open(fifo.c_str(), O_RDONLY);
        if (fd < 0) return;
        std::vector<char> buffer(1 << 16);
        while (read(fd, buffer.data(), buffer.size()) > 0) {
        }
        close(fd);
      });
    });
    message = RunExpectingPlayerError();
    fired = watchdog.fired;
  }
  if (drainer.joinable()) drainer.join();
  EXPECT_FALSE(fired) << "the command waited for a reader of the FIFO";
  EXPECT_EQ(message, "Output device failure");
  EXPECT_EQ(status.text, "Processing: song.mp3");
  ExpectIdle();
}

// The decoder library built for the tests, whose WAV limit comes from the
// environment: a WAV that would pass the limit is a failure, not "Saved as".
TEST_F(Mp3Command, WavPastTheFormatsLimitIsAnOutputErrorNotSavedAs) {
  player.UnloadDLL();
  player.SetPathToDLL(TEST_HOOKS_DLL_DIR);
  player.LoadDLL();
  ASSERT_TRUE(player.Loaded());
  ASSERT_EQ(setenv("MPEGDLL_TEST_WAV_DATA_LIMIT", "100000", 1), 0);
  struct Unset {
    ~Unset() { unsetenv("MPEGDLL_TEST_WAV_DATA_LIMIT"); }
  } unset;
  ChooseMp3(musicDir, "song.mp3");

  EXPECT_EQ(RunExpectingPlayerError(), "Output device failure");

  EXPECT_EQ(status.text, "Processing: song.mp3");
  for (const std::string& e : log) EXPECT_FALSE(StartsWith(e, "status Saved as")) << e;
  ASSERT_GE(log.size(), kBackToIdle.size());
  EXPECT_EQ(Log(log.end() - static_cast<long>(kBackToIdle.size()), log.end()), kBackToIdle);
  ExpectIdle();
}

// MP3s as they come: no encoder info frame, data after the last frame. The
// gauge follows the decoding to its end and the WAV is mpg123's.
struct RealWorldCase {
  const char* label;
  const char* lameArgs;
  size_t trailerBytes;
  bool randomTrailer;
};

void PrintTo(const RealWorldCase& c, std::ostream* os) { *os << c.label; }

class RealWorldMp3 : public Mp3Command, public ::testing::WithParamInterface<RealWorldCase> {};

TEST_P(RealWorldMp3, GaugeReachesTheEndAndTheWavIsMpg123s) {
  const RealWorldCase& c = GetParam();
  const std::string mp3 = musicDir + "tune.mp3";
  // A sweep over noise: the bit rate of a VBR stream changes along it, so
  // its first frames tell little about its length.
  ASSERT_TRUE(MakeMp3(mp3, 10, "sine 220-880 pinknoise", c.lameArgs));
  Bytes bytes = ReadFile(mp3);
  // Random bytes can hold what passes for a frame, which mpg123 and the
  // library then decode as sound; these hold none.
  const Bytes trailer = c.randomTrailer ? Pattern(c.trailerBytes, 1) : Bytes(c.trailerBytes, 0);
  bytes.insert(bytes.end(), trailer.begin(), trailer.end());
  WriteFile(mp3, bytes);
  // mpg123 reports the data after the last frame, but writes its WAV whole.
  DecodeWithMpg123(mp3, dir / "reference.wav");
  ASSERT_GT(ReadFile(dir / "reference.wav").size(), 44u);
  open.choice = mp3;

  Run();

  EXPECT_EQ(status.text, "Saved as: " + musicDir + "tune.wav");
  EXPECT_TRUE(ReadFile(musicDir + "tune.wav") == ReadFile(dir / "reference.wav")) << "not mpg123's WAV";
  ExpectIdle();
  const int maxValue = gaugeWidget.MaxValue();
  ASSERT_GT(maxValue, 0);
  // The gauge's maximum is the decoded length, within one frame (26 ms):
  // a guess from the first frames would fill the gauge long before the end.
  const double wavMs = static_cast<double>(ReadFile(musicDir + "tune.wav").size() - 44) / 4 * 1000 / 44100;
  EXPECT_NEAR(maxValue, wavMs, 27);
  ASSERT_GE(log.size(), kBackToIdle.size() + 2);
  const std::string lastPosition = *(log.end() - static_cast<long>(kBackToIdle.size()) - 3);
  ASSERT_TRUE(StartsWith(lastPosition, "gauge ")) << lastPosition;
  EXPECT_GE(std::stoi(lastPosition.substr(6)), maxValue * 95 / 100) << "the gauge stopped short of the end";
}

INSTANTIATE_TEST_SUITE_P(Files, RealWorldMp3,
                         ::testing::Values(RealWorldCase{"VbrWithoutInfoFrame", "-t -V 2", 0, false},
                                           RealWorldCase{"CbrWithoutInfoFrame", "-t -b 128", 0, false},
                                           RealWorldCase{"Zeros1100AfterTheLastFrame", "-V 2", 1100, false},
                                           RealWorldCase{"Zeros5000AfterTheLastFrame", "-V 2", 5000, false},
                                           RealWorldCase{"Zeros50000AfterTheLastFrame", "-V 2", 50000, false},
                                           RealWorldCase{"RandomBytesAfterTheLastFrame", "-V 2", 3000, true}),
                         [](const ::testing::TestParamInfo<RealWorldCase>& i) { return std::string(i.param.label); });

}  // namespace
