// The decoder library's Windows faces on real files: the named input, the
// WAV the PCM-file device makes beside an old one, and the playing thread's
// priority.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <thread>
#include <vector>

#include "InputFile.h"
#include "NamedInput.h"
#include "Sinks.h"
#include "TempDir.h"
#include "ThreadPriority.h"
#include "WavOutputFile.h"

std::string ShortNameOf(const std::string& name);

namespace {

std::wstring Wide(const std::string& s) { return std::filesystem::u8path(s).wstring(); }

std::string Pattern(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return s;
}

// The folder's entries, hidden ones too.
std::vector<std::string> Entries(const TempDir& dir) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  const HANDLE h = FindFirstFileW(Wide(dir / "*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(std::filesystem::path(name).u8string());
  } while (FindNextFileW(h, &found));
  FindClose(h);
  std::sort(names.begin(), names.end());
  return names;
}

FileId IdOf(const std::string& path) {
  FileId id;
  int64_t bytes = 0;
  const InputHandle h = OpenRegularInput(path.c_str(), &id, &bytes);
  if (h != kNoInput) CloseInput(h);
  return id;
}

// The header the WAV's rules give, put together byte by byte here.
std::string ExpectedHeader(uint32_t rate, uint32_t data) {
  auto le = [](uint32_t v, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
  };
  return "RIFF" + le(36 + data, 4) + "WAVE" + "fmt " + le(16, 4) + le(1, 2) + le(2, 2) + le(rate, 4) +
         le(rate * 4, 4) + le(4, 2) + le(16, 2) + "data" + le(data, 4);
}

const auto* Bytes(const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); }

TEST(DecoderInputWin, ReadsAtAnOffsetWithoutMovingAndSeeks) {
  TempDir dir;
  const std::string content = Pattern(5000);
  ASSERT_TRUE(WriteFileBytes(dir / "in.mp3", content));
  FileId id;
  int64_t bytes = 0;
  const InputHandle h = OpenRegularInput((dir / "in.mp3").c_str(), &id, &bytes);
  ASSERT_NE(h, kNoInput);
  EXPECT_EQ(bytes, 5000);
  EXPECT_NE(id.index, 0u);
  unsigned char buffer[100];
  ASSERT_EQ(ReadInput(h, buffer, 10), 10);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 10), content.substr(0, 10));
  ASSERT_EQ(ReadInputAt(h, 3000, buffer, 100), 100);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 100), content.substr(3000, 100));
  // The next forward read goes on where the last one stopped.
  ASSERT_EQ(ReadInput(h, buffer, 10), 10);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 10), content.substr(10, 10));
  // Past the end: a short read, then nothing, and no error.
  EXPECT_EQ(ReadInputAt(h, 4950, buffer, 100), 50);
  EXPECT_EQ(ReadInputAt(h, 6000, buffer, 100), 0);
  EXPECT_EQ(SeekInput(h, -100, true), 4900);
  ASSERT_EQ(ReadInput(h, buffer, 100), 100);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 100), content.substr(4900));
  EXPECT_EQ(ReadInput(h, buffer, 100), 0);
  EXPECT_EQ(SeekInput(h, 20, false), 20);
  CloseInput(h);

  // The same through the library's buffered input.
  auto input = NamedInput::Open((dir / "in.mp3").c_str(), &id);
  ASSERT_TRUE(input);
  EXPECT_EQ(input->Size(), 5000);
  ASSERT_EQ(input->Read(buffer, 10), 10);
  ASSERT_TRUE(input->ReadAt(4000, buffer, 50));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 50), content.substr(4000, 50));
  ASSERT_EQ(input->Read(buffer, 10), 10);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 10), content.substr(10, 10));
}

TEST(DecoderInputWin, OnlyARegularFileOpens) {
  TempDir dir;
  FileId id;
  EXPECT_FALSE(NamedInput::Open(dir.Path().c_str(), &id)) << "a folder";
  EXPECT_FALSE(NamedInput::Open((dir / "missing.mp3").c_str(), &id));
  EXPECT_FALSE(NamedInput::Open((dir / "no folder\\x.mp3").c_str(), &id));
  // A device would hold the caller in its first read.
  EXPECT_FALSE(NamedInput::Open("NUL", &id));
  EXPECT_FALSE(NamedInput::Open("CON", &id));
  EXPECT_FALSE(NamedInput::Open("", &id));
}

TEST(DecoderInputWin, AFileBeingWrittenElsewhereIsReadUnlessItsWriterSharesNothing) {
  TempDir dir;
  ASSERT_TRUE(WriteFileBytes(dir / "in.mp3", Pattern(300)));
  FileId id;
  {
    const HANDLE writer = CreateFileW(Wide(dir / "in.mp3").c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    auto input = NamedInput::Open((dir / "in.mp3").c_str(), &id);
    ASSERT_TRUE(input);
    unsigned char buffer[300];
    EXPECT_EQ(input->Read(buffer, 300), 300);
    // The player holding the file does not keep its writer from growing it.
    DWORD written = 0;
    EXPECT_TRUE(SetFilePointer(writer, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER &&
                WriteFile(writer, "more", 4, &written, nullptr) && written == 4);
    CloseHandle(writer);
  }
  {
    const HANDLE exclusive =
        CreateFileW(Wide(dir / "in.mp3").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(NamedInput::Open((dir / "in.mp3").c_str(), &id));
    CloseHandle(exclusive);
  }
  // While the player reads it, the file can be renamed and deleted.
  auto input = NamedInput::Open((dir / "in.mp3").c_str(), &id);
  ASSERT_TRUE(input);
  EXPECT_TRUE(MoveFileExW(Wide(dir / "in.mp3").c_str(), Wide(dir / "moved.mp3").c_str(), 0));
  EXPECT_TRUE(DeleteFileW(Wide(dir / "moved.mp3").c_str()));
}

TEST(DecoderInputWin, OneFileHasOneIdWhateverItsSpelling) {
  TempDir dir;
  ASSERT_TRUE(WriteFileBytes(dir / "Track One.mp3", Pattern(10)));
  ASSERT_TRUE(WriteFileBytes(dir / "other.mp3", Pattern(10)));
  const FileId id = IdOf(dir / "Track One.mp3");
  EXPECT_TRUE(id == IdOf(dir / "TRACK ONE.MP3"));
  EXPECT_FALSE(id == IdOf(dir / "other.mp3"));
  EXPECT_FALSE(id == IdOf(dir / "missing.mp3"));
}

TEST(DecoderWavWin, ANewWavHoldsTheHeaderAndTheFramesAndNothingElseIsLeft) {
  TempDir dir;
  const std::string pcm = Pattern(4 * 70000);  // more than one writer buffer
  {
    WavFileSink sink(dir / "out.wav", 22050, FileId{});
    ASSERT_TRUE(sink.Ok());
    ASSERT_TRUE(sink.Write(Bytes(pcm), 4000));
    ASSERT_TRUE(sink.Write(Bytes(pcm) + 4000, pcm.size() - 4000));
    ASSERT_TRUE(sink.Finish(false));
  }
  const std::string wav = ReadFileBytes(dir / "out.wav");
  ASSERT_EQ(wav.size(), 44 + pcm.size());
  EXPECT_EQ(wav.substr(0, 44), ExpectedHeader(22050, static_cast<uint32_t>(pcm.size())));
  EXPECT_TRUE(wav.substr(44) == pcm);
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"out.wav"});
  // Shown like any file once in place.
  EXPECT_EQ(GetFileAttributesW(Wide(dir / "out.wav").c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);

  // An empty stream still gives a whole WAV.
  {
    WavFileSink sink(dir / "empty.wav", 44100, FileId{});
    ASSERT_TRUE(sink.Ok());
    ASSERT_TRUE(sink.Finish(true));
  }
  EXPECT_EQ(ReadFileBytes(dir / "empty.wav"), ExpectedHeader(44100, 0));
}

TEST(DecoderWavWin, TheOldWavStaysWholeUntilTheNewOneIsPutInPlace) {
  TempDir dir;
  ASSERT_TRUE(WriteFileBytes(dir / "game.wav", "the old WAV"));
  const std::string pcm = Pattern(4 * 1000);
  {
    WavFileSink sink(dir / "game.wav", 44100, FileId{});
    ASSERT_TRUE(sink.Ok());
    ASSERT_TRUE(sink.Write(Bytes(pcm), pcm.size()));
    EXPECT_EQ(ReadFileBytes(dir / "game.wav"), "the old WAV");
    // The new file is beside it, hidden.
    const std::vector<std::string> during = Entries(dir);
    ASSERT_EQ(during.size(), 2u);
    const std::string hidden = during[0] == "game.wav" ? during[1] : during[0];
    EXPECT_EQ(hidden.rfind(".game.wav.", 0), 0u) << hidden;
    EXPECT_NE(GetFileAttributesW(Wide(dir / hidden).c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    ASSERT_TRUE(sink.Finish(false));
  }
  EXPECT_EQ(ReadFileBytes(dir / "game.wav"), ExpectedHeader(44100, 4000) + pcm);
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"game.wav"});
  EXPECT_EQ(GetFileAttributesW(Wide(dir / "game.wav").c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
}

TEST(DecoderWavWin, AStreamThatFailedOrWasNotFinishedLeavesTheOldWavAndNoNewFile) {
  TempDir dir;
  ASSERT_TRUE(WriteFileBytes(dir / "game.wav", "the old WAV"));
  const std::string pcm = Pattern(4000);
  {
    WavFileSink sink(dir / "game.wav", 44100, FileId{});
    ASSERT_TRUE(sink.Ok());
    ASSERT_TRUE(sink.Write(Bytes(pcm), pcm.size()));
    sink.Abandon();
    EXPECT_FALSE(sink.Finish(false));
  }
  EXPECT_EQ(ReadFileBytes(dir / "game.wav"), "the old WAV");
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"game.wav"});
  {
    // Output past what the WAV can hold fails as a write does (the limit
    // lowered by the tests' build).
    ScopedEnvironment limit("MPEGDLL_TEST_WAV_DATA_LIMIT", "2000");
    WavFileSink sink(dir / "game.wav", 44100, FileId{});
    ASSERT_TRUE(sink.Ok());
    const bool written = sink.Write(Bytes(pcm), pcm.size());
    EXPECT_FALSE(written && sink.Finish(false));
  }
  EXPECT_EQ(ReadFileBytes(dir / "game.wav"), "the old WAV");
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"game.wav"});
  {
    WavOutputFile file;
    ASSERT_TRUE(file.Create(dir / "game.wav", FileId{}));
    EXPECT_TRUE(file.Replacing());
    ASSERT_TRUE(file.Append(Bytes(pcm), pcm.size()));
  }
  EXPECT_EQ(ReadFileBytes(dir / "game.wav"), "the old WAV");
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"game.wav"});
}

TEST(DecoderWavWin, AWriteAtAnOffsetLeavesTheAppendsWhereTheyWere) {
  TempDir dir;
  WavOutputFile file;
  ASSERT_TRUE(file.Create(dir / "new.wav", FileId{}));
  EXPECT_FALSE(file.Replacing());
  ASSERT_TRUE(file.Append(Bytes("abcdefgh"), 8));
  ASSERT_TRUE(file.WriteAt(2, Bytes("XY"), 2));
  ASSERT_TRUE(file.Append(Bytes("ij"), 2));
  ASSERT_TRUE(file.PutInPlace());
  EXPECT_EQ(ReadFileBytes(dir / "new.wav"), "abXYefghij");
  EXPECT_EQ(Entries(dir), std::vector<std::string>{"new.wav"});
}

TEST(DecoderWavWin, RefusedTargetsChangeNothing) {
  TempDir dir;
  ASSERT_TRUE(WriteFileBytes(dir / "read-only.wav", "kept"));
  ASSERT_TRUE(SetFileAttributesW(Wide(dir / "read-only.wav").c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(WriteFileBytes(dir / "Input Track.mp3", "the stream"));
  ASSERT_TRUE(CreateDirectoryW(Wide(dir / "folder.wav").c_str(), nullptr));
  const FileId input = IdOf(dir / "Input Track.mp3");
  ASSERT_NE(input.index, 0u);
  std::string slashed = dir / "Input Track.mp3";
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  std::vector<std::string> refused = {dir / "folder.wav", dir.Path(), dir / "read-only.wav", "NUL",
                                      dir / "Input Track.mp3", dir / "INPUT TRACK.MP3", slashed,
                                      dir / "no folder\\x.wav", ""};
  // The short name, where the file system gives one (wine makes one up).
  const std::string shortName = ShortNameOf(dir / "Input Track.mp3");
  if (!shortName.empty()) refused.push_back(shortName);
  const std::vector<std::string> before = Entries(dir);
  for (const std::string& target : refused) {
    WavFileSink sink(target, 44100, input);
    EXPECT_FALSE(sink.Ok()) << target;
    EXPECT_FALSE(sink.Finish(false)) << target;
    EXPECT_EQ(Entries(dir), before) << target;
  }
  EXPECT_EQ(ReadFileBytes(dir / "read-only.wav"), "kept");
  EXPECT_EQ(ReadFileBytes(dir / "Input Track.mp3"), "the stream");
  SetFileAttributesW(Wide(dir / "read-only.wav").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(DecoderWavWin, TheNewFileTakesTheOldOnesAttributes) {
  TempDir dir;
  ASSERT_TRUE(WriteFileBytes(dir / "hidden.wav", "old"));
  ASSERT_TRUE(SetFileAttributesW(Wide(dir / "hidden.wav").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  {
    WavFileSink sink(dir / "hidden.wav", 8000, FileId{});
    ASSERT_TRUE(sink.Ok());
    ASSERT_TRUE(sink.Finish(false));
  }
  EXPECT_EQ(ReadFileBytes(dir / "hidden.wav"), ExpectedHeader(8000, 0));
  EXPECT_NE(GetFileAttributesW(Wide(dir / "hidden.wav").c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
}

// Each level, and values between and beyond them, on a fresh thread.
TEST(DecoderPriorityWin, EachLevelIsTheSystemsOwnAndOthersGoToTheNearest) {
  const struct {
    int32_t level;
    int expected;
  } cases[] = {
      {-15, THREAD_PRIORITY_IDLE},         {-2, THREAD_PRIORITY_LOWEST},        {-1, THREAD_PRIORITY_BELOW_NORMAL},
      {0, THREAD_PRIORITY_NORMAL},         {1, THREAD_PRIORITY_ABOVE_NORMAL},   {2, THREAD_PRIORITY_HIGHEST},
      {15, THREAD_PRIORITY_TIME_CRITICAL}, {-1000, THREAD_PRIORITY_IDLE},       {-9, THREAD_PRIORITY_IDLE},
      {-8, THREAD_PRIORITY_LOWEST},        {-3, THREAD_PRIORITY_LOWEST},        {3, THREAD_PRIORITY_HIGHEST},
      {8, THREAD_PRIORITY_HIGHEST},        {9, THREAD_PRIORITY_TIME_CRITICAL},  {1000, THREAD_PRIORITY_TIME_CRITICAL},
  };
  for (const auto& c : cases) {
    int got = -100;
    std::thread([&] {
      ApplyThreadPriority(c.level);
      got = GetThreadPriority(GetCurrentThread());
    }).join();
    EXPECT_EQ(got, c.expected) << c.level;
  }
}

}  // namespace
