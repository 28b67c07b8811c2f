#include "WaveFile.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "WavReader_sndfile.h"

namespace {

constexpr double kBlockSeconds = 0.02;

MCIERROR ErrorOfErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
      return MCIERR_FILE_NOT_FOUND;
    case ENOMEM:
      return MCIERR_OUT_OF_MEMORY;
    default:
      return MCIERR_FILE_READ;
  }
}

// A folder reads as "not found", as a path that names no file; every other
// kind of non-regular file as one that cannot be played.
MCIERROR ErrorOfType(mode_t mode) {
  if (S_ISREG(mode)) return 0;
  return S_ISDIR(mode) ? MCIERR_FILE_NOT_FOUND : MCIERR_INVALID_FILE;
}

bool WithinLimits(const SF_INFO& info) {
  const int major = info.format & SF_FORMAT_TYPEMASK;
  return (major == SF_FORMAT_WAV || major == SF_FORMAT_WAVEX || major == SF_FORMAT_RF64) && info.channels >= 1 &&
         info.channels <= kWaveMaxChannels && info.samplerate >= kWaveMinRate && info.samplerate <= kWaveMaxRate &&
         info.frames >= 0;
}

}  // namespace

MCIERROR OpenWaveFile(const std::string& path, std::unique_ptr<TWavReader>* file, WaveFormat* format) {
  // Looking before opening keeps device nodes unopened: opening some of them
  // has effects of its own (a terminal, a tape).
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return ErrorOfErrno(errno);
  if (const MCIERROR error = ErrorOfType(st.st_mode)) return error;

  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return ErrorOfErrno(errno);
  MCIERROR error = ::fstat(fd, &st) == 0 ? ErrorOfType(st.st_mode) : ErrorOfErrno(errno);
  if (error == 0) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) error = ErrorOfErrno(errno);
  }
  if (error != 0) {
    ::close(fd);
    return error;
  }

  auto opened = std::make_unique<TWavReader>(fd);
  if (!opened->Ok() || !WithinLimits(opened->Info())) return MCIERR_INVALID_FILE;
  const SF_INFO& info = opened->Info();
  format->frames = info.frames;
  format->rate = info.samplerate;
  format->channels = info.channels;
  *file = std::move(opened);
  return 0;
}

int64_t WaveBlockFrames(int rate) { return std::max<int64_t>(64, static_cast<int64_t>(rate * kBlockSeconds)); }
