// WAV files as real tools write them, with chunks around "fmt " and "data",
// in RIFF, RF64 and BW64 form, through the whole command: the game file holds
// the data chunk's 16-bit samples and nothing else, halved by whole frames at
// 44100 Hz. Files that are not RIFF/WAVE keep the fixed 44-byte rules.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "GameSoundConversion.h"
#include "WavDecoding.h"
#include "WavLayout.h"
#include "convert_support.h"

namespace {

// ---- WAVs written chunk by chunk, as the tools write them ----

// An RF64 or BW64 file: the form size 0xFFFFFFFF, "ds64" first with the real
// sizes and a table entry per chunk in 'table', then the chunks, whose
// 0xFFFFFFFF sizes "ds64" gives.
Bytes Wide(const char* form, uint64_t dataSize, const std::vector<std::pair<std::string, uint64_t>>& table,
           const std::vector<Bytes>& chunks) {
  Bytes body;
  for (const Bytes& c : chunks) Append(body, c);
  Bytes ds64 = Le64(4 + 8 + 28 + 12 * table.size() + body.size());
  Append(ds64, Le64(dataSize));
  Append(ds64, Le64(dataSize / 4));
  Append(ds64, Le(static_cast<uint32_t>(table.size()), 4));
  for (const auto& [id, size] : table) {
    Append(ds64, Text(id.c_str(), 4));
    Append(ds64, Le64(size));
  }
  Bytes out = Text(form, 4);
  Append(out, Le(0xFFFFFFFFu, 4));
  Append(out, Text("WAVE", 4));
  Append(out, Chunk("ds64", ds64));
  Append(out, body);
  return out;
}

struct Format {
  uint32_t rate;
  uint16_t channels = 2;
  uint16_t bits = 16;
  int blockAlign = -1;  // -1: channels * bytes per sample
  bool extensible = false;
};

Bytes Fmt(const Format& f) {
  const uint16_t block =
      f.blockAlign >= 0 ? static_cast<uint16_t>(f.blockAlign) : static_cast<uint16_t>(f.channels * ((f.bits + 7) / 8));
  Bytes c = Le(f.extensible ? 0xFFFE : 1, 2);
  Append(c, Le(f.channels, 2));
  Append(c, Le(f.rate, 4));
  Append(c, Le(f.rate * block, 4));
  Append(c, Le(block, 2));
  Append(c, Le(f.bits, 2));
  if (f.extensible) {
    Append(c, Le(22, 2));                       // extension size
    Append(c, Le(f.bits, 2));                   // valid bits
    Append(c, Le(f.channels == 2 ? 3 : 4, 4));  // channel mask
    // KSDATAFORMAT_SUBTYPE_PCM
    const unsigned char guid[16] = {1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    Append(c, Bytes(guid, guid + 16));
  }
  return Chunk("fmt ", c);
}

// The LIST/INFO chunk ffmpeg writes by default, which puts "data" at byte 70
// and the first sample at byte 78.
Bytes FfmpegList() {
  Bytes info = Text("INFO", 4);
  Append(info, Chunk("ISFT", Text("Lavf58.76.100", 14)));
  return Chunk("LIST", info);
}

Bytes Bext() {
  Bytes content(602, 0);
  std::memcpy(content.data(), "Engine, lap 12", 14);
  return Chunk("bext", content);
}

// ---- The expected results, worked out here and not by the program ----

// Frames 1, 3, 5 ... of 'frame' bytes, with the bytes of a last incomplete
// odd frame.
Bytes OddFrames(const Bytes& data, size_t frame) {
  Bytes out;
  for (size_t i = 1; i * frame < data.size(); i += 2)
    out.insert(out.end(), data.begin() + static_cast<long>(i * frame),
               data.begin() + static_cast<long>(std::min(data.size(), (i + 1) * frame)));
  return out;
}

Bytes From44(const Bytes& wav) { return Bytes(wav.begin() + 44, wav.end()); }

struct HandRead {
  uint16_t tag = 0;
  uint32_t rate = 0;
  size_t block = 0;
  Bytes data;
};

// A plain walk over the chunks, for files written by other programs.
HandRead ReadByHand(const Bytes& wav) {
  HandRead r;
  auto u32 = [&](size_t at) {
    return static_cast<uint32_t>(wav[at] | wav[at + 1] << 8 | wav[at + 2] << 16 |
                                 static_cast<uint32_t>(wav[at + 3]) << 24);
  };
  for (size_t at = 12; at + 8 <= wav.size();) {
    const uint32_t size = u32(at + 4);
    if (std::memcmp(&wav[at], "fmt ", 4) == 0) {
      r.tag = static_cast<uint16_t>(wav[at + 8] | wav[at + 9] << 8);
      r.rate = u32(at + 12);
      r.block = static_cast<size_t>(wav[at + 20] | wav[at + 21] << 8);
    } else if (std::memcmp(&wav[at], "data", 4) == 0) {
      r.data.assign(wav.begin() + static_cast<long>(at + 8),
                    wav.begin() + static_cast<long>(std::min<size_t>(wav.size(), at + 8 + size)));
    }
    at += 8 + size + (size & 1);
  }
  return r;
}

// The whole frames of 24-bit little-endian samples as 16-bit ones, rounded
// half up as sox rounds without dither; the bytes of a cut last frame are no
// sound.
Bytes Pcm16From24(const Bytes& data, size_t frame = 6) {
  Bytes out;
  const size_t whole = data.size() / frame * frame;
  for (size_t at = 0; at < whole; at += 3) {
    const uint32_t raw = static_cast<uint32_t>(data[at]) << 8 | static_cast<uint32_t>(data[at + 1]) << 16 |
                         static_cast<uint32_t>(data[at + 2]) << 24;
    const int32_t s = static_cast<int32_t>(raw) / 256;
    const int32_t r = std::min((s + 128) >> 8, 32767);
    out.push_back(static_cast<unsigned char>(r));
    out.push_back(static_cast<unsigned char>(r >> 8));
  }
  return out;
}

// ---- The command, on one WAV, into a new game file ----

struct Converted {
  Bytes game;
  std::vector<Confirmation> confirmations;
  std::string status;
};

Converted Convert(const Bytes& wav) {
  TempDir dir;
  FakeFileDialog open, save;
  FakeMessages messages;
  FakeStatusLine status;
  FakeGauge gauge;
  bool halved = false;
  WriteFile(dir / "in.wav", wav);
  open.choice = dir / "in.wav";
  save.choice = dir / "bsound1.16";
  TGameSoundConversion({open, save, messages, status, gauge, nullptr}, dir.Path(), dir.Path(), halved).Run();
  return {ReadFile(dir / "bsound1.16"), messages.confirmations, status.text};
}

struct LayoutCase {
  const char* name;
  Bytes wav;
  Bytes expected;
};

void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.name; }

std::vector<LayoutCase> RealWorldFiles() {
  const Bytes d = Pattern(6003, 4);
  const Bytes stereo44 = Fmt({44100});
  const Bytes stereo22 = Fmt({22050});
  Bytes oddData = Pattern(4001, 5);
  // Last in the file, with no pad byte after them.
  const Bytes even = Pattern(6000, 7);
  const Bytes beyond = Riff({stereo22, Chunk("data", even, 10000)});
  const Bytes unknown = Riff({stereo22, Chunk("data", even, 0)});
  const Bytes streamed = Riff({stereo44, Chunk("data", even, 0xFFFFFFFFu)});
  // "data" of 0 with a chunk after it: empty, and the chunk no sound.
  const Bytes emptyThenList = Riff({stereo22, Chunk("data", {}, 0), FfmpegList()});
  const Bytes emptyThenMore = Riff({stereo22, Chunk("data", {}, 0), Chunk("data", even)});
  // Silence first, so that the bytes after a missing pad byte look like a
  // chunk header of a small size.
  const Bytes quietStart = [] {
    Bytes d = Pattern(6000, 8);
    std::fill(d.begin(), d.begin() + 16, 0);
    return d;
  }();
  // A 64-bit "data" size, and a "JUNK" sized by the table.
  const Bytes junk(600, 0);
  Bytes junkChunk = Text("JUNK", 4);
  Append(junkChunk, Le(0xFFFFFFFFu, 4));
  Append(junkChunk, junk);
  return {
      {"FfmpegListBeforeData22050", Riff({stereo22, FfmpegList(), Chunk("data", d)}), d},
      {"FfmpegListBeforeData44100", Riff({stereo44, FfmpegList(), Chunk("data", d)}), OddFrames(d, 4)},
      {"ListAfterData", Riff({stereo22, Chunk("data", d), FfmpegList()}), d},
      {"JunkBeforeFmt44100", Riff({Chunk("JUNK", Bytes(28, 0)), stereo44, Chunk("data", d)}), OddFrames(d, 4)},
      {"BroadcastWavBext", Riff({Bext(), stereo22, Chunk("data", d)}), d},
      {"Extensible16BitStereo44100",
       Riff({Fmt({44100, 2, 16, -1, true}), Chunk("fact", Le(1500, 4)), Chunk("data", d)}), OddFrames(d, 4)},
      {"OddSizedChunkBeforeData", Riff({stereo22, Chunk("note", Text("lap 1", 5)), Chunk("data", d)}), d},
      {"OddSizedDataThenList", Riff({stereo22, Chunk("data", oddData), FfmpegList()}), oddData},
      {"Mono16Bit44100KeepsEveryOtherSample", Riff({Fmt({44100, 1}), Chunk("data", d)}), OddFrames(d, 2)},
      {"Stereo24Bit44100IsDecodedAndHalvedByWholeFrames", Riff({Fmt({44100, 2, 24}), Chunk("data", d)}),
       OddFrames(Pcm16From24(d), 4)},
      {"DataSizeBeyondTheFileIsCut", beyond, even},
      {"DataSizeLeftAtZeroRunsToTheEnd", unknown, even},
      {"DataSizeLeftAtAllOnesRunsToTheEnd", streamed, OddFrames(even, 4)},
      {"BlockAlignZeroTakesChannelsTimesSample", Riff({Fmt({44100, 1, 16, 0}), Chunk("data", d)}), OddFrames(d, 2)},
      {"BlockAlignAndBitsZeroTake4Bytes", Riff({Fmt({44100, 1, 0, 0}), Chunk("data", d)}), OddFrames(d, 4)},
      {"DataSizeZeroBeforeListIsEmpty", emptyThenList, {}},
      {"DataSizeZeroBeforeAnotherChunkIsEmpty", emptyThenMore, {}},
      {"UnpaddedOddChunkBeforeData", Riff({stereo22, UnpaddedChunk("note", Text("lap 1", 5)), Chunk("data", d)}), d},
      {"UnpaddedOddChunkBeforeQuietData",
       Riff({stereo22, UnpaddedChunk("note", Text("lap 1", 5)), Chunk("data", quietStart)}), quietStart},
      {"UnpaddedOddChunkBeforeFmt", Riff({UnpaddedChunk("note", Text("lap 1", 5)), stereo44, Chunk("data", d)}),
       OddFrames(d, 4)},
      {"Rf64DataSizeFromDs6422050", Wide("RF64", d.size(), {}, {stereo22, Chunk("data", d, 0xFFFFFFFFu)}), d},
      {"Rf64DataSizeFromDs6444100", Wide("RF64", d.size(), {}, {stereo44, Chunk("data", d, 0xFFFFFFFFu)}),
       OddFrames(d, 4)},
      {"Bw64WithListAfterData",
       Wide("BW64", even.size(), {}, {stereo44, Chunk("data", even, 0xFFFFFFFFu), FfmpegList()}), OddFrames(even, 4)},
      {"Rf64ChunkSizedByTheTable",
       Wide("RF64", d.size(), {{"JUNK", junk.size()}}, {stereo22, junkChunk, Chunk("data", d, 0xFFFFFFFFu)}), d},
      {"Rf64DataSizeCutToTheFile", Wide("RF64", 1ull << 40, {}, {stereo22, Chunk("data", even, 0xFFFFFFFFu)}), even},
  };
}

// Files that convert exactly as they always did, by the fixed 44-byte rules.
std::vector<LayoutCase> FixedRuleFiles() {
  const Bytes d = Pattern(5003, 6);
  const Bytes canonical44 = WavBytes(44100, d);
  const Bytes canonical22 = WavBytes(22050, d);
  Bytes notRiff44 = canonical44;
  std::memcpy(notRiff44.data(), "RIFX", 4);
  Bytes notRiff22 = canonical22;
  std::memcpy(notRiff22.data() + 8, "AVI ", 4);
  Bytes noData = canonical22;
  std::memcpy(noData.data() + 36, "dat@", 4);
  return {
      {"Canonical44100", canonical44, HalvedByFrames(canonical44)},
      {"Canonical22050", canonical22, d},
      {"NotRiff44100", notRiff44, HalvedByFrames(notRiff44)},
      {"NotWave22050", notRiff22, From44(notRiff22)},
      {"NoDataChunk22050", noData, From44(noData)},
  };
}

class RealWorldWav : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(RealWorldWav, GameFileIsTheDataChunk) {
  const Converted c = Convert(GetParam().wav);
  EXPECT_TRUE(c.confirmations.empty()) << "the rate is read from \"fmt \"";
  EXPECT_EQ(c.status, "That's right");
  EXPECT_EQ(c.game.size(), GetParam().expected.size());
  EXPECT_TRUE(c.game == GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Writers, RealWorldWav, ::testing::ValuesIn(RealWorldFiles()),
                         [](const ::testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); });
INSTANTIATE_TEST_SUITE_P(FixedRules, RealWorldWav, ::testing::ValuesIn(FixedRuleFiles()),
                         [](const ::testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); });

// sox writes WAVE_FORMAT_EXTENSIBLE for 24-bit data, with a "fact" chunk.
TEST(RealWorldWavFromSox, Extensible24BitStereoIsDecodedAndHalvedByWholeFrames) {
  TempDir dir;
  const std::string wav = dir / "sox.wav";
  const std::string command = "sox -q -n -r 44100 -c 2 -b 24 '" + wav + "' synth 0.3 sine 440 sine 660";
  // Under wine the Linux tools cannot be started; the command line's run
  // under wine converts sox's files instead.
  if (!RunHostCommand(command)) GTEST_SKIP() << "cannot run: " << command;
  const Bytes bytes = ReadFile(wav);
  const HandRead r = ReadByHand(bytes);
  ASSERT_EQ(r.tag, 0xFFFE) << "sox wrote a plain header";
  ASSERT_EQ(r.rate, 44100u);
  ASSERT_EQ(r.block, 6u);
  ASSERT_FALSE(r.data.empty());
  const Converted c = Convert(bytes);
  EXPECT_TRUE(c.confirmations.empty());
  EXPECT_TRUE(c.game == OddFrames(Pcm16From24(r.data), 4));
  EXPECT_EQ(c.game.size(), r.data.size() / 6 / 2 * 4);
}

// What the reader makes of headers that size things, without the command.
TEST(WavLayout, HeaderValuesAreCheckedBeforeUse) {
  const Bytes d = Pattern(100);
  std::vector<Bytes> crowd(5000, Chunk("JUNK", {}));
  crowd.push_back(Fmt({22050}));
  crowd.push_back(Chunk("data", d));
  // A chunk whose size jumps past the end, before "data".
  const Bytes jump = Riff({Fmt({22050}), Chunk("JUNK", Bytes(4, 0), 0xFFFFFFF0u), Chunk("data", d)});
  struct Row {
    const char* name;
    Bytes wav;
    bool fromChunks;
    int64_t dataOffset, dataSize, frameSize;
    uint16_t tag;
  };
  const Row rows[] = {
      {"ffmpeg layout", Riff({Fmt({22050}), FfmpegList(), Chunk("data", d)}), true, 78, 100, 4, 1},
      {"extensible", Riff({Fmt({44100, 2, 16, -1, true}), Chunk("data", d)}), true, 68, 100, 4, 1},
      {"5000 empty chunks first", Riff(crowd), false, 44, static_cast<int64_t>(Riff(crowd).size()) - 44, 4, 0},
      {"size past the end", jump, false, 44, static_cast<int64_t>(jump.size()) - 44, 4, 0},
      {"absurd channels and bits", Riff({Fmt({44100, 32770, 20240, 0}), Chunk("data", d)}), true, 44, 100, 4, 1},
      {"cut inside the form header", Bytes{'R', 'I', 'F', 'F', 0}, false, 44, 5 - 44, 4, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const TWavLayout l = ParseWavLayout(row.wav.data(), row.wav.size());
    EXPECT_EQ(l.fromChunks, row.fromChunks);
    EXPECT_EQ(l.dataOffset, row.dataOffset);
    EXPECT_EQ(l.dataSize, row.dataSize);
    EXPECT_EQ(l.frameSize, row.frameSize);
    EXPECT_EQ(l.formatTag, row.tag);
  }
}

// Where "fmt " lies, which a system codec is given whole as the description
// of the encoding, and where the sound of a compressed encoding ends.
TEST(WavLayout, FmtChunkAndFramesOfSound) {
  const Bytes d = Pattern(520);
  // An IMA ADPCM "fmt " of 20 bytes: the common 16, the extension size 2 and
  // the samples per block.
  Bytes ima = Le(0x11, 2);
  for (const Bytes& field : {Le(1, 2), Le(22050, 4), Le(11100, 4), Le(256, 2), Le(4, 2), Le(2, 2), Le(505, 2)})
    Append(ima, field);
  const Bytes imaFmt = Chunk("fmt ", ima);
  const int64_t all = std::numeric_limits<int64_t>::max();
  struct Row {
    const char* name;
    Bytes wav;
    int64_t fmtOffset, fmtSize, frames;
  };
  const Row rows[] = {
      {"compressed with fact", Riff({imaFmt, Chunk("fact", Le(900, 4)), Chunk("data", d)}), 20, 20, 900},
      {"fmt after JUNK", Riff({Chunk("JUNK", Bytes(6, 0)), imaFmt, Chunk("fact", Le(7, 4)), Chunk("data", d)}), 34, 20,
       7},
      {"fact of 0 from a streaming writer", Riff({imaFmt, Chunk("fact", Le(0, 4)), Chunk("data", d)}), 20, 20, all},
      {"compressed without fact", Riff({imaFmt, Chunk("data", d)}), 20, 20, all},
      {"PCM keeps its data whatever fact says", Riff({Fmt({22050}), Chunk("fact", Le(3, 4)), Chunk("data", d)}), 20, 16,
       all},
      {"extensible", Riff({Fmt({44100, 2, 24, -1, true}), Chunk("data", d)}), 20, 40, all},
      {"canonical 44-byte header", WavBytes(22050, d), 20, 16, all},
      {"fixed rules: no data chunk", Riff({imaFmt, Chunk("fact", Le(900, 4))}), 0, 0, all},
      {"fixed rules: not RIFF", Bytes(60, 'x'), 0, 0, all},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const TWavLayout l = ParseWavLayout(row.wav.data(), row.wav.size());
    EXPECT_EQ(l.fmtOffset, row.fmtOffset);
    EXPECT_EQ(l.fmtSize, row.fmtSize);
    EXPECT_EQ(FramesOfSound(l), row.frames);
  }
}

}  // namespace
