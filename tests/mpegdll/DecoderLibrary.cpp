#include "DecoderLibrary.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <future>
#include <iterator>
#include <thread>


const char* const kEntryNames[21] = {
    "init",          "deinit",          "Open",          "Pause",         "Restart",      "Stop",
    "SetPriority",   "SetOutputDevice", "Play",          "Close",         "GetFrequency", "GetBitrate",
    "GetStereoMode", "GetLayer",        "GetPlayerMode", "GetCurrentPos", "GetLength",    "ResetPlayerMode",
    "Seek",          "SetSndDevice",    "LastError"};

bool FinishesPromptly(const std::function<void()>& work, const std::function<void()>& unblock) {
  std::promise<void> done;
  std::future<void> finished = done.get_future();
  std::thread worker([&] {
    work();
    done.set_value();
  });
  const bool prompt = finished.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  if (!prompt) unblock();
  worker.join();
  return prompt;
}

std::vector<unsigned char> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

namespace {
std::string TableFile(const std::string& file) {
  const char* table = std::getenv("VANTREL_MP3_TABLE");
  return table ? std::string(table) + "/" + file : file;
}
}  // namespace

std::string CopyOfTableMp3(const TempDir& dir, const std::string& name, const std::string& as) {
  const std::vector<unsigned char> bytes = ReadFile(TableFile(name + ".mp3"));
  const std::string copy = dir / as;
  if (bytes.empty() || !WriteBytes(copy, bytes)) return std::string();
  return copy;
}

WavFile TableReference(const std::string& name) { return ReadWav(TableFile(name + ".ref.wav")); }

std::vector<unsigned char> Doubled(const std::vector<unsigned char>& mono) {
  std::vector<unsigned char> out;
  out.reserve(mono.size() * 2);
  for (size_t i = 0; i + 1 < mono.size(); i += 2) {
    out.insert(out.end(), {mono[i], mono[i + 1], mono[i], mono[i + 1]});
  }
  return out;
}

CommandRun DecodeLikeMp3Command(DecoderLibrary& lib, const std::string& mp3, const std::string& wav) {
  CommandRun r;
  uint8_t endFlag = 0;
  const auto check = [&] {
    const int32_t e = lib.LastError();
    if (e > 0 && r.firstError == 0) r.firstError = e;
    return e <= 0;
  };
  lib.OpenFile(mp3);
  r.openError = lib.LastError();
  if (r.openError > 0) return r;
  r.length = lib.GetLength();
  if (!check()) return r;
  lib.SetPriority(0);
  lib.SetOutputDevice(MPEGDLL_DEVICE_PCMFILE, wav.c_str());
  lib.SetSndDevice(0);
  if (!check()) return r;
  // An error of the playing thread is reported just before its last act,
  // setting the flag: an error seen first leaves it a moment.
  const auto awaitFlag = [&] {
    for (int i = 0; i < 2000 && __atomic_load_n(&endFlag, __ATOMIC_ACQUIRE) == 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    r.flagSet = __atomic_load_n(&endFlag, __ATOMIC_ACQUIRE) != 0;
  };
  bool started = false;
  for (;;) {
    const int32_t pos = lib.GetCurrentPos();
    if (!check()) {
      // A short output can fail before this thread looks again.
      if (started) awaitFlag();
      return r;
    }
    if (pos != -1) break;
    r.playResult = lib.Play(0, 0, &endFlag);
    if (r.playResult != 0) return r;
    started = true;
    if (!check()) {
      awaitFlag();
      return r;
    }
  }
  for (;;) {
    if (__atomic_load_n(&endFlag, __ATOMIC_ACQUIRE) != 0) {
      const bool reset = lib.ResetPlayerMode() != 0;
      if (!check()) break;
      if (reset) break;
    }
    lib.GetCurrentPos();
    if (!check()) break;
  }
  awaitFlag();
  r.lastPos = lib.GetCurrentPos();
  lib.Close();
  check();
  return r;
}
