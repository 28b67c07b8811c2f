// The wave-mapper device on libout123: the first driver among PulseAudio,
// ALSA, OSS and JACK that opens (libout123's own default list may wait for
// seconds on network outputs or spin forever in a fallback).

#include <out123.h>

#include <cstdlib>
#include <string>

#include "Sinks.h"
#include "SoundOutputDrivers.h"

namespace {

class DeviceSink : public Sink {
 public:
  DeviceSink(int32_t deviceNumber, long rate);
  ~DeviceSink() override;
  bool Ok() const { return ok_; }
  bool Write(const unsigned char* pcm, size_t bytes) override;
  bool ChangeRate(long rate) override;
  void Pause() override;
  void Resume() override;
  bool Finish(bool interrupted) override;

 private:
  out123_handle* ao_ = nullptr;
  bool ok_ = false;
};

DeviceSink::DeviceSink(int32_t deviceNumber, long rate) {
  ao_ = out123_new();
  if (!ao_) return;
  out123_param2(ao_, OUT123_ADD_FLAGS, OUT123_QUIET, 0.0, nullptr);
  out123_param2(ao_, OUT123_NAME, 0, 0.0, "Vantrel");
  std::string device;
  if (deviceNumber > 0) {
    // Enumeration needs a handle of its own: it closes the handle it runs on.
    out123_handle* lister = out123_new();
    if (!lister) return;
    out123_param2(lister, OUT123_ADD_FLAGS, OUT123_QUIET, 0.0, nullptr);
    char** names = nullptr;
    char** descr = nullptr;
    char* driver = nullptr;
    int count = out123_devices(lister, kSoundOutputDrivers, &names, &descr, &driver);
    bool found = count >= deviceNumber;
    if (found) device = names[deviceNumber - 1];
    if (count >= 0) out123_stringlists_free(names, descr, count);
    std::string active = driver ? driver : "";
    free(driver);
    out123_del(lister);
    if (!found) return;
    if (out123_open(ao_, active.c_str(), device.c_str()) != 0) return;
  } else if (out123_open(ao_, kSoundOutputDrivers, nullptr) != 0) {
    return;
  }
  ok_ = out123_start(ao_, rate, 2, MPG123_ENC_SIGNED_16) == 0;
}

DeviceSink::~DeviceSink() {
  if (ao_) out123_del(ao_);
}

bool DeviceSink::Write(const unsigned char* pcm, size_t bytes) {
  // out123_play may change the buffer in place (mute, byte order); the
  // decoder's buffer is refilled before it is used again, so that is safe.
  size_t played = out123_play(ao_, const_cast<unsigned char*>(pcm), bytes);
  return played == bytes;
}

bool DeviceSink::ChangeRate(long rate) {
  out123_drain(ao_);
  out123_stop(ao_);
  return out123_start(ao_, rate, 2, MPG123_ENC_SIGNED_16) == 0;
}

void DeviceSink::Pause() { out123_pause(ao_); }

void DeviceSink::Resume() { out123_continue(ao_); }

bool DeviceSink::Finish(bool interrupted) {
  if (interrupted)
    out123_drop(ao_);
  else
    out123_drain(ao_);
  out123_stop(ao_);
  out123_del(ao_);
  ao_ = nullptr;
  return true;
}

}  // namespace

std::unique_ptr<Sink> OpenDeviceSink(int32_t deviceNumber, long rate) {
  auto sink = std::make_unique<DeviceSink>(deviceNumber, rate);
  if (!sink->Ok()) return nullptr;
  return sink;
}
