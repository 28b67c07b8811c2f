// Files the wave device must refuse at once: FIFOs, devices and folders (a
// blocking open would freeze the window), and headers whose numbers would
// size the device's buffers out of all proportion.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "MPlayer.h"
#include "Mci.h"
#include "WavImages.h"

namespace {

// Fails the test when the code it guards has not finished after ten seconds,
// then calls `rescue` to set the stuck thread free (or ends the program when
// nothing can).
class Watchdog {
 public:
  explicit Watchdog(std::function<void()> rescue = nullptr) : rescue_(std::move(rescue)) {
    thread_ = std::thread([this] {
      std::unique_lock<std::mutex> lock(mutex_);
      if (wake_.wait_for(lock, std::chrono::seconds(10), [this] { return done_; })) return;
      fired_ = true;
      if (!rescue_) {
        std::fprintf(stderr, "still blocked after 10 s\n");
        std::_Exit(1);
      }
      rescue_();
    });
  }
  ~Watchdog() { Finish(); }
  // True when the guarded code finished before the watchdog fired.
  bool Finish() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
    return !fired_;
  }

 private:
  std::function<void()> rescue_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool done_ = false;
  std::atomic<bool> fired_{false};
  std::thread thread_;
};

// Opening the FIFO's other end lets a reader blocked in open go on.
void UnblockFifo(const std::string& fifo) {
  const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
  if (fd >= 0) ::close(fd);
}

MCIERROR OpenElement(const std::string& path, MCIDEVICEID& id, const char* type = nullptr) {
  MCI_OPEN_PARMS op{};
  op.lpstrElementName = path.c_str();
  op.lpstrDeviceType = type;
  const uintptr_t flags = MCI_WAIT | MCI_OPEN_ELEMENT | (type ? MCI_OPEN_TYPE : 0);
  const MCIERROR err = mciSendCommand(0, MCI_OPEN, flags, uintptr_t(&op));
  id = err == 0 ? op.wDeviceID : 0;
  return err;
}

void CloseDevice(MCIDEVICEID id) {
  MCI_GENERIC_PARMS gp{};
  if (id) mciSendCommand(id, MCI_CLOSE, MCI_WAIT, uintptr_t(&gp));
}

std::string ErrorText(MCIERROR code) {
  char text[4096];
  return mciGetErrorString(code, text, sizeof text) ? text : "";
}

// ---- FIFOs, devices, folders ----------------------------------------------

struct NonRegular {
  const char* name;
  // Makes the element in the folder and gives its path; `fifo` is set to the
  // FIFO a blocked open would wait on, if any.
  std::function<std::string(const QTemporaryDir&, std::string& fifo)> make;
  const char* type;
  MCIERROR expected;
};

void PrintTo(const NonRegular& c, std::ostream* os) { *os << c.name; }

std::string MakeFifo(const QTemporaryDir& dir, const char* name) {
  const std::string path = dir.filePath(name).toStdString();
  EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
  return path;
}

std::string MakeLink(const QTemporaryDir& dir, const char* name, const std::string& target) {
  const std::string path = dir.filePath(name).toStdString();
  EXPECT_EQ(::symlink(target.c_str(), path.c_str()), 0);
  return path;
}

class RefusesNonRegularFiles : public ::testing::TestWithParam<NonRegular> {};

TEST_P(RefusesNonRegularFiles, AtOnceWithTheDevicesError) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const NonRegular& c = GetParam();
  std::string fifo;
  const std::string element = c.make(dir, fifo);
  MCIDEVICEID id = 0;
  Watchdog watchdog(fifo.empty() ? std::function<void()>() : [fifo] { UnblockFifo(fifo); });
  const MCIERROR err = OpenElement(element, id, c.type);
  EXPECT_TRUE(watchdog.Finish()) << "the open blocked";
  CloseDevice(id);
  EXPECT_EQ(err, c.expected);
  EXPECT_EQ(id, 0u);
  EXPECT_FALSE(ErrorText(err).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Elements, RefusesNonRegularFiles,
    ::testing::Values(
        NonRegular{"Fifo", [](const QTemporaryDir& d, std::string& fifo) { return fifo = MakeFifo(d, "f.wav"); },
                   nullptr, MCIERR_INVALID_FILE},
        NonRegular{"LinkToFifo",
                   [](const QTemporaryDir& d, std::string& fifo) {
                     fifo = MakeFifo(d, "pipe");
                     return MakeLink(d, "link.wav", fifo);
                   },
                   nullptr, MCIERR_INVALID_FILE},
        NonRegular{"FifoWithWaveAudioType",
                   [](const QTemporaryDir& d, std::string& fifo) { return fifo = MakeFifo(d, "pipe"); }, "WaveAudio",
                   MCIERR_INVALID_FILE},
        NonRegular{"DeviceZero", [](const QTemporaryDir&, std::string&) { return std::string("/dev/zero"); },
                   "WaveAudio", MCIERR_INVALID_FILE},
        NonRegular{"LinkToDeviceNull",
                   [](const QTemporaryDir& d, std::string&) { return MakeLink(d, "null.wav", "/dev/null"); }, nullptr,
                   MCIERR_INVALID_FILE},
        NonRegular{"FolderNamedWav",
                   [](const QTemporaryDir& d, std::string&) {
                     const std::string path = d.filePath("album.wav").toStdString();
                     EXPECT_EQ(::mkdir(path.c_str(), 0700), 0);
                     return path;
                   },
                   nullptr, MCIERR_FILE_NOT_FOUND}),
    [](const ::testing::TestParamInfo<NonRegular>& info) { return std::string(info.param.name); });

// The window's player on a FIFO: Open raises the device's text and keeps no
// device, so the window can show the error and go back to idle.
TEST(MediaPlayerOnAFifo, OpenRaisesTheDeviceErrorAtOnce) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string fifo = MakeFifo(dir, "f.wav");
  TMediaPlayer player(nullptr);
  player.SetFileName(fifo);
  Watchdog watchdog([fifo] { UnblockFifo(fifo); });
  std::string message;
  try {
    player.Open();
  } catch (const EMCIDeviceError& e) {
    message = e.Message();
  }
  EXPECT_TRUE(watchdog.Finish()) << "the open blocked";
  EXPECT_EQ(message, ErrorText(MCIERR_INVALID_FILE));
  EXPECT_EQ(player.LastError(), MCIERR_INVALID_FILE);
  EXPECT_EQ(player.DeviceId(), 0u);
}

// ---- absurd headers -------------------------------------------------------

struct Header {
  const char* name;
  uint16_t channels;
  uint32_t rate;
  uint16_t bits;
  bool extensible;  // WAVE_FORMAT_EXTENSIBLE with the PCM sub-format
};

void PrintTo(const Header& h, std::ostream* os) { *os << h.name; }

// A RIFF WAVE file with the given fmt numbers and 4000 bytes of silence.
std::string WriteWav(const QTemporaryDir& dir, const Header& h) {
  Bytes extra;
  if (h.extensible) {
    extra = Le(22, 2);
    Append(extra, Le(h.bits, 2));
    Append(extra, Le(0, 4));
    Append(extra, Le(1, 4));  // KSDATAFORMAT_SUBTYPE_PCM
    Append(extra, Text("\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 12));
  }
  const Bytes fmt = FmtContent(h.extensible ? 0xFFFE : 1, h.channels, h.rate, h.bits, extra);
  const Bytes wav = Riff({Chunk("fmt ", fmt), Chunk("data", Bytes(4000, 0))});
  const std::string path = dir.filePath(QString(h.name) + ".wav").toStdString();
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(wav.data()), static_cast<std::streamsize>(wav.size()));
  return path;
}

class RefusesAbsurdHeaders : public ::testing::TestWithParam<Header> {};

TEST_P(RefusesAbsurdHeaders, WithTheCannotBePlayedError) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  MCIDEVICEID id = 0;
  const MCIERROR err = OpenElement(WriteWav(dir, GetParam()), id);
  CloseDevice(id);
  EXPECT_EQ(err, MCIERR_INVALID_FILE);
  EXPECT_EQ(id, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, RefusesAbsurdHeaders,
    ::testing::Values(
        Header{"HugeRateAnd1024Channels", 1024, 0x7FFFFFFF, 16, false}, Header{"HugeRate", 2, 0x7FFFFFFF, 16, false},
        Header{"HugeRateExtensible", 2, 0x7FFFFFFF, 16, true}, Header{"Rate4GHz", 2, 0xFFFFFFFF, 16, false},
        Header{"RateAboveLimit", 2, 768001, 16, false}, Header{"RateOneHertz", 1, 1, 16, false},
        Header{"RateBelowLimit", 1, 999, 16, false}, Header{"ManyChannels", 1024, 44100, 16, false},
        Header{"ManyChannelsExtensible", 1024, 44100, 16, true}, Header{"ChannelsAboveLimit", 33, 44100, 16, false},
        Header{"NoChannels", 0, 44100, 16, false}, Header{"NoBits", 2, 44100, 0, false},
        Header{"Bits64Pcm", 2, 44100, 64, false}, Header{"Bits65535", 1, 44100, 65535, false}),
    [](const ::testing::TestParamInfo<Header>& info) { return std::string(info.param.name); });

// The limits themselves admit their own ends and everyday formats: whatever
// the sound output then says of them, the file is not called unplayable.
TEST(AcceptsHeadersWithinTheLimits, AtBothEnds) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  for (const Header& h : {Header{"CdStereo", 2, 44100, 16, false}, Header{"LowestRate", 1, 1000, 8, false},
                          Header{"HighestRate", 2, 768000, 24, false}, Header{"MostChannels", 32, 8000, 16, false},
                          Header{"Extensible", 6, 48000, 16, true}}) {
    MCIDEVICEID id = 0;
    const MCIERROR err = OpenElement(WriteWav(dir, h), id);
    CloseDevice(id);
    EXPECT_NE(err, MCIERR_INVALID_FILE) << h.name;
  }
  MCIDEVICEID id = 0;
  EXPECT_EQ(OpenElement(WriteWav(dir, {"Everyday", 2, 22050, 16, false}), id), 0u);
  CloseDevice(id);
}

}  // namespace
