// The library's own index of an MP3 file's frames, which the system codec's
// decoder is fed from: lame's files checked against what mpg123 makes of
// them, and hand-made frames for what lame never writes. Run on Linux and
// under wine; there the files come from the host, made before the run.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "MpegFrames.h"
#include "TempDir.h"

namespace {

using Bytes = std::vector<unsigned char>;

bool ReadBytes(void* source, int64_t offset, unsigned char* out, size_t bytes) {
  const Bytes& b = *static_cast<const Bytes*>(source);
  if (offset < 0 || static_cast<uint64_t>(offset) + bytes > b.size()) return false;
  std::memcpy(out, b.data() + offset, bytes);
  return true;
}

MpegFrameIndex Index(const Bytes& b) {
  return IndexFrames(&ReadBytes, const_cast<Bytes*>(&b), static_cast<int64_t>(b.size()));
}

Bytes Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t Le(const Bytes& b, size_t at, int n) {
  uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = v << 8 | b[at + static_cast<size_t>(i)];
  return v;
}

struct Wav {
  bool valid = false;
  int channels = 0;
  long rate = 0;
  int64_t samples = 0;  // per channel
};

Wav ReadWavHeader(const Bytes& b) {
  Wav w;
  if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0) return w;
  for (size_t at = 12; at + 8 <= b.size();) {
    const uint32_t size = Le(b, at + 4, 4);
    if (std::memcmp(b.data() + at, "fmt ", 4) == 0 && at + 24 <= b.size()) {
      w.channels = static_cast<int>(Le(b, at + 10, 2));
      w.rate = static_cast<long>(Le(b, at + 12, 4));
    } else if (std::memcmp(b.data() + at, "data", 4) == 0 && w.channels > 0) {
      w.samples = size / (2 * w.channels);
      w.valid = true;
      return w;
    }
    at += 8 + size + (size & 1);
  }
  return w;
}

// The folder of lame's files and mpg123's references: made now where the
// host's tools can be started, else the one made on the host before the run.
class Mpg123Table {
 public:
  static const std::string& Folder() {
    static Mpg123Table table;
    return table.folder_;
  }

 private:
  Mpg123Table() {
    const char* table = std::getenv("VANTREL_MP3_TABLE");
    folder_ = table ? std::string(table) + "/" : std::string();
  }
  std::string folder_;
};

struct TableCase {
  const char* name;
  bool lameTag;   // an Info or Xing frame with the encoder's delay and padding
  int channelMode;
  bool joined;    // every frame starts where the one before it ends
  int trailing;   // bytes after the sound that are not audio
};

void PrintTo(const TableCase& c, std::ostream* os) { *os << c.name; }

class LameFile : public ::testing::TestWithParam<TableCase> {};

TEST_P(LameFile, IndexAgreesWithMpg123) {
  const TableCase& c = GetParam();
  const std::string base = Mpg123Table::Folder() + c.name;
  const Bytes mp3 = Load(base + ".mp3");
  const Wav wav = ReadWavHeader(Load(base + ".ref.wav"));
  ASSERT_FALSE(mp3.empty()) << base << ".mp3 is missing";
  ASSERT_TRUE(wav.valid) << "no reference WAV for " << base;
  const int64_t mpg123Frames = std::stoll("0" + [&] {
    const Bytes f = Load(base + ".frames");
    return std::string(f.begin(), f.end());
  }());

  const MpegFrameIndex index = Index(mp3);
  ASSERT_TRUE(index.ok);
  const FrameHeader& first = index.frames.front().header;
  EXPECT_EQ(first.rate, wav.rate);
  EXPECT_EQ(first.mono ? 1 : 2, wav.channels);
  EXPECT_EQ(index.channelMode, c.channelMode);
  EXPECT_EQ(static_cast<int64_t>(index.frames.size()), mpg123Frames);

  EXPECT_EQ(index.tag.present, c.lameTag);
  EXPECT_EQ(index.tag.delay >= 0, c.lameTag);
  if (c.lameTag) {
    EXPECT_EQ(index.tag.frames, mpg123Frames) << "lame counts the sound's frames";
    EXPECT_EQ(index.OutputSamples(), wav.samples);
    EXPECT_EQ(index.SkipFront(), index.tag.delay + 529);
  } else {
    EXPECT_EQ(index.SkipFront(), 0);
    EXPECT_NEAR(static_cast<double>(index.OutputSamples()), static_cast<double>(wav.samples), first.samples);
  }

  for (size_t i = 0; i + 1 < index.frames.size(); ++i) {
    const MpegFrame& f = index.frames[i];
    ASSERT_TRUE(index.frames[i + 1].header.SameKind(f.header)) << "frame " << i;
    if (c.joined) {
      ASSERT_EQ(f.offset + f.bytes, index.frames[i + 1].offset) << "frame " << i;
    }
  }
  const MpegFrame& last = index.frames.back();
  EXPECT_LE(last.offset + last.bytes, static_cast<int64_t>(mp3.size()));
  if (c.trailing > 0) {
    EXPECT_EQ(index.audioEnd, static_cast<int64_t>(mp3.size()) - c.trailing);
    EXPECT_EQ(last.offset + last.bytes, index.audioEnd);
  } else {
    EXPECT_EQ(index.audioEnd, -1);
  }
}

INSTANTIATE_TEST_SUITE_P(Lame, LameFile,
                         ::testing::Values(TableCase{"Stereo44100Cbr128", true, 1, true, 0}, TableCase{"Stereo44100Vbr", true, 1, true, 0},
                                           TableCase{"NoInfoFrame", false, 1, true, 0},
                                           TableCase{"Stereo22050Mpeg2", true, 1, true, 0},
                                           TableCase{"Mono11025Mpeg25", true, 3, true, 0},
                                           TableCase{"Mono44100", true, 3, true, 0}, TableCase{"Id3v2Tag", true, 1, true, 0},
                                           TableCase{"Id3v1Tag", true, 1, true, 0},
                                           TableCase{"DataAfterTheEnd", true, 1, true, 3000}),
                         [](const ::testing::TestParamInfo<TableCase>& info) {
                           std::string n = info.param.name;
                           for (char& ch : n) ch = ch == '-' ? '_' : ch;
                           return n;
                         });

TEST(LameFileRates, ConstantRateIsTheHeadersAndVariableRateTheAverage) {
  const MpegFrameIndex cbr = Index(Load(Mpg123Table::Folder() + "Stereo44100Cbr128.mp3"));
  ASSERT_TRUE(cbr.ok);
  EXPECT_EQ(cbr.bitrateKbps, 128);
  const MpegFrameIndex vbr = Index(Load(Mpg123Table::Folder() + "Stereo44100Vbr.mp3"));
  ASSERT_TRUE(vbr.ok);
  int64_t bytes = 0;
  int lowest = 1000, highest = 0;
  for (const MpegFrame& f : vbr.frames) {
    bytes += f.bytes;
    lowest = std::min(lowest, f.header.kbps);
    highest = std::max(highest, f.header.kbps);
  }
  ASSERT_LT(lowest, highest) << "lame -V 2 wrote one rate";
  const double seconds = static_cast<double>(vbr.frames.size()) * 1152 / 44100;
  EXPECT_NEAR(vbr.bitrateKbps, static_cast<double>(bytes) * 8 / seconds / 1000, 1);
}

// Zeros over frames in the middle: exactly the frames whose headers they
// cover are lost, the frames after them are found where they are in the
// whole file. (mpg123 itself is no reference here: after the zeros it takes
// a chance match in the sound data for a frame of another rate and stops
// writing its WAV there; the library's checks are there to avoid that.)
TEST(LameFileDamage, OnlyTheFramesInTheDamageAreLost) {
  const MpegFrameIndex index = Index(Load(Mpg123Table::Folder() + "ZerosOverFrames.mp3"));
  const MpegFrameIndex whole = Index(Load(Mpg123Table::Folder() + "Stereo44100Cbr128.mp3"));
  ASSERT_TRUE(index.ok);
  ASSERT_TRUE(whole.ok);
  std::vector<int64_t> expected, found;
  for (const MpegFrame& f : whole.frames) {
    if (f.offset < 15000 || f.offset >= 16500) expected.push_back(f.offset);
  }
  for (const MpegFrame& f : index.frames) found.push_back(f.offset);
  EXPECT_EQ(found, expected);
  EXPECT_EQ(whole.frames.size() - index.frames.size(), 4u) << "1500 bytes cover four 417-byte frames' headers";
  EXPECT_EQ(index.audioEnd, -1);
  EXPECT_EQ(index.OutputSamples(), whole.OutputSamples() - 4 * 1152);
}

// Hand-made MPEG 1 layer III frames, 128 kbit/s at 44100 Hz, joint stereo:
// 417 bytes each.
constexpr size_t kFrameBytes = 417;

Bytes Frame() {
  Bytes f(kFrameBytes, 0);
  f[0] = 0xff;
  f[1] = 0xfb;
  f[2] = 0x90;
  f[3] = 0x40;
  return f;
}

void Put32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + static_cast<size_t>(i)] = static_cast<unsigned char>(v >> (24 - 8 * i));
}

// An Info frame with all its fields, and a LAME tag when `delay` >= 0.
Bytes InfoFrame(uint32_t frames, uint32_t bytes, int delay, int padding) {
  Bytes f = Frame();
  const size_t x = 4 + 32;
  std::memcpy(&f[x], "Info", 4);
  Put32(f, x + 4, 0x0f);
  Put32(f, x + 8, frames);
  Put32(f, x + 12, bytes);
  if (delay >= 0) {
    std::memcpy(&f[x + 0x78], "LAME3.100", 9);
    f[x + 0x8d] = static_cast<unsigned char>(delay >> 4);
    f[x + 0x8e] = static_cast<unsigned char>((delay & 0x0f) << 4 | padding >> 8);
    f[x + 0x8f] = static_cast<unsigned char>(padding & 0xff);
  }
  return f;
}

Bytes Stream(const Bytes& head, int frames) {
  Bytes b = head;
  for (int i = 0; i < frames; ++i) {
    const Bytes f = Frame();
    b.insert(b.end(), f.begin(), f.end());
  }
  return b;
}

struct GaplessCase {
  const char* name;
  int delay, padding;
  int64_t skipFront, output;
};

TEST(HandMadeFrames, LameTagDelayAndPaddingTrimTheSound) {
  // Ten frames of sound: 11520 samples.
  const GaplessCase cases[] = {
      {"lame's own", 576, 1000, 576 + 529, 11520 - 1000 + 529 - (576 + 529)},
      {"padding shorter than the decoder's delay", 576, 100, 1105, 11520 - 1105},
      {"no delay, no padding", 0, 0, 529, 11520 - 529},
      {"largest 12-bit values", 4095, 4095, 4095 + 529, 11520 - 4095 + 529 - (4095 + 529)},
  };
  for (const GaplessCase& c : cases) {
    SCOPED_TRACE(c.name);
    const MpegFrameIndex index = Index(Stream(InfoFrame(10, 10 * kFrameBytes, c.delay, c.padding), 10));
    ASSERT_TRUE(index.ok);
    EXPECT_EQ(index.frames.size(), 10u) << "the Info frame holds no sound";
    EXPECT_EQ(index.frames.front().offset, static_cast<int64_t>(kFrameBytes));
    EXPECT_EQ(index.info.offset, 0);
    EXPECT_EQ(index.tag.delay, c.delay);
    EXPECT_EQ(index.tag.padding, c.padding);
    EXPECT_EQ(index.SkipFront(), c.skipFront);
    EXPECT_EQ(index.OutputSamples(), c.output);
  }
  // Two frames and a tag that trims more than they hold: nothing, not less.
  const MpegFrameIndex shortOne = Index(Stream(InfoFrame(2, 0, 2000, 2000), 2));
  ASSERT_TRUE(shortOne.ok);
  EXPECT_EQ(shortOne.OutputSamples(), 0);
}

TEST(HandMadeFrames, AbsurdInfoCountsSizeNothing) {
  const MpegFrameIndex index = Index(Stream(InfoFrame(0xffffffffu, 0xffffffffu, -1, 0), 3));
  ASSERT_TRUE(index.ok);
  EXPECT_EQ(index.tag.frames, 0xffffffffLL);
  EXPECT_EQ(index.tag.bytes, 0xffffffffLL);
  EXPECT_EQ(index.frames.size(), 3u) << "the frames found count, not the tag's";
  EXPECT_EQ(index.OutputSamples(), 3 * 1152);
  EXPECT_EQ(index.SkipFront(), 0);
}

TEST(HandMadeFrames, VbriFrameIsReadAndPassedOver) {
  Bytes vbri = Frame();
  std::memcpy(&vbri[36], "VBRI", 4);
  vbri[40] = 0;
  vbri[41] = 1;  // version
  Put32(vbri, 46, 5 * kFrameBytes);
  Put32(vbri, 50, 5);
  const MpegFrameIndex index = Index(Stream(vbri, 5));
  ASSERT_TRUE(index.ok);
  EXPECT_TRUE(index.tag.present);
  EXPECT_TRUE(index.tag.vbri);
  EXPECT_EQ(index.tag.frames, 5);
  EXPECT_EQ(index.tag.bytes, static_cast<int64_t>(5 * kFrameBytes));
  EXPECT_EQ(index.tag.delay, -1);
  EXPECT_EQ(index.frames.size(), 5u);
  EXPECT_EQ(index.OutputSamples(), 5 * 1152);
}

TEST(HandMadeFrames, FreeFormatIsRefused) {
  Bytes b;
  for (int i = 0; i < 20; ++i) {
    Bytes f = Frame();
    f[2] = 0x00;  // bit rate index 0: the size is in no header
    b.insert(b.end(), f.begin(), f.end());
  }
  EXPECT_FALSE(Index(b).ok);
}

// An ID3v2 tag (sizes are 7 bits a byte) claiming `size` bytes.
Bytes Id3v2(uint32_t size, size_t bodyBytes) {
  Bytes t = {'I', 'D', '3', 4, 0, 0};
  for (int shift = 21; shift >= 0; shift -= 7) t.push_back(static_cast<unsigned char>((size >> shift) & 0x7f));
  t.resize(t.size() + bodyBytes, 0);
  return t;
}

TEST(HandMadeFrames, TagsBeforeBetweenAndPastTheEnd) {
  // A tag at the start is passed, one between frames too.
  Bytes b = Stream(Id3v2(300, 300), 4);
  const Bytes tag = Id3v2(50, 50);
  b.insert(b.begin() + static_cast<long>(310 + 2 * kFrameBytes), tag.begin(), tag.end());
  MpegFrameIndex index = Index(b);
  ASSERT_TRUE(index.ok);
  ASSERT_EQ(index.frames.size(), 4u);
  EXPECT_EQ(index.frames[0].offset, 310);
  EXPECT_EQ(index.frames[2].offset, static_cast<int64_t>(310 + 2 * kFrameBytes + 60));
  EXPECT_FALSE(index.tag.present);

  // A tag at the start whose size points past the end hides everything.
  EXPECT_FALSE(Index(Stream(Id3v2(1u << 27, 20), 4)).ok);

  // After the frames, the stream ends at it.
  Bytes tail = Stream({}, 4);
  const Bytes big = Id3v2(1u << 20, 100);
  tail.insert(tail.end(), big.begin(), big.end());
  const Bytes more = Stream({}, 2);
  tail.insert(tail.end(), more.begin(), more.end());
  index = Index(tail);
  ASSERT_TRUE(index.ok);
  EXPECT_EQ(index.frames.size(), 4u);
}

TEST(HandMadeFrames, FirstFrameMustStartWithin64KiB) {
  for (const size_t zeros : {size_t{60000}, size_t{70000}}) {
    const MpegFrameIndex index = Index(Stream(Bytes(zeros, 0), 5));
    EXPECT_EQ(index.ok, zeros < 65536) << zeros;
    if (index.ok) {
      EXPECT_EQ(index.frames.front().offset, static_cast<int64_t>(zeros));
    }
  }
}

TEST(HandMadeFrames, LastFrameCutShortIsLeftOut) {
  Bytes b = Stream({}, 5);
  b.resize(b.size() - 100);
  const MpegFrameIndex index = Index(b);
  ASSERT_TRUE(index.ok);
  EXPECT_EQ(index.frames.size(), 4u);
}

TEST(HandMadeFrames, RandomBytesAndAWavAreNoMpegAudio) {
  std::mt19937 random(7);
  Bytes noise(256 * 1024);
  for (unsigned char& c : noise) c = static_cast<unsigned char>(random());
  EXPECT_FALSE(Index(noise).ok);

  Bytes wav = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 2, 0,
               0x44, 0xac, 0, 0, 0x10, 0xb1, 2, 0, 4, 0, 16, 0, 'd', 'a', 't', 'a', 0, 0, 0, 0};
  for (int i = 0; i < 44100 * 2; ++i) {
    const int v = static_cast<int>(12000 * std::sin(i * 2 * 3.14159265 * 440 / 44100)) + (static_cast<int>(random() % 64) - 32);
    wav.push_back(static_cast<unsigned char>(v & 0xff));
    wav.push_back(static_cast<unsigned char>((v >> 8) & 0xff));
  }
  EXPECT_FALSE(Index(wav).ok);
  EXPECT_FALSE(Index({}).ok);
  EXPECT_FALSE(Index({0xff, 0xfb, 0x90}).ok);
}

}  // namespace
