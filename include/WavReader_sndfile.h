#pragma once
// A WAV file read with libsndfile as 16-bit samples, for the media service and
// the conversion's decoding alike. Header only, so that neither depends on the
// other; included only by code bound to libsndfile.
//
// - BW64 files are read as the RF64 files they are laid out as (libsndfile
//   knows only the "RF64" form id): the reader hands libsndfile the file's
//   bytes with the first four shown as "RF64".
// - Samples wider than 16 bits (24- and 32-bit integers, floats, doubles) are
//   read as doubles and rounded by Pcm16FromUnit, at the level they were
//   recorded. libsndfile's own float-to-short scaling
//   (SFC_SET_SCALE_FLOAT_INT_READ) is not used: it scales the file's peak to
//   full scale, so a quiet recording would come out loud. Every other
//   encoding is libsndfile's own 16-bit decoding.
// - The file is read with pread at the reader's own position, so the
//   descriptor's offset is never moved.

#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

#include "Pcm16.h"

class TWavReader {
 public:
  // Takes the descriptor, which is closed on destruction whether or not
  // libsndfile could read the file.
  explicit TWavReader(int fd) : fd_(fd) {
    struct stat st {};
    if (fstat(fd_, &st) != 0) return;
    size_ = st.st_size;
    unsigned char form[4] = {};
    bw64_ = pread(fd_, form, sizeof form, 0) == sizeof form && std::memcmp(form, "BW64", 4) == 0;
    SF_VIRTUAL_IO io{};
    io.get_filelen = [](void* self) -> sf_count_t { return static_cast<TWavReader*>(self)->size_; };
    io.seek = [](sf_count_t offset, int whence, void* self) {
      return static_cast<TWavReader*>(self)->Seek(offset, whence);
    };
    io.read = [](void* ptr, sf_count_t count, void* self) { return static_cast<TWavReader*>(self)->Read(ptr, count); };
    io.write = [](const void*, sf_count_t, void*) -> sf_count_t { return 0; };
    io.tell = [](void* self) -> sf_count_t { return static_cast<TWavReader*>(self)->pos_; };
    file_ = sf_open_virtual(&io, SFM_READ, &info_, this);
    if (file_ == nullptr) return;
    const int subtype = info_.format & SF_FORMAT_SUBMASK;
    wide_ = subtype == SF_FORMAT_PCM_24 || subtype == SF_FORMAT_PCM_32 || subtype == SF_FORMAT_FLOAT ||
            subtype == SF_FORMAT_DOUBLE;
  }
  ~TWavReader() {
    if (file_ != nullptr) sf_close(file_);
    if (fd_ >= 0) close(fd_);
  }
  TWavReader(const TWavReader&) = delete;
  TWavReader& operator=(const TWavReader&) = delete;

  // libsndfile read the header; the other members need it.
  bool Ok() const { return file_ != nullptr; }
  const SF_INFO& Info() const { return info_; }
  SNDFILE* File() const { return file_; }
  // libsndfile's error on the file, 0 for none (SF_ERR_*).
  int Error() const { return sf_error(file_); }
  // The errno of a read of the file that failed (libsndfile sees it as the
  // end of the file), 0 for none.
  int ReadErrno() const { return readErrno_; }

  // Reads up to 'frames' frames into 'out' (frames x channels samples,
  // interleaved). Returns the frames read: fewer at the end of the sound.
  sf_count_t ReadFrames16(int16_t* out, sf_count_t frames) {
    static_assert(sizeof(short) == sizeof(int16_t), "libsndfile reads shorts");
    if (!wide_) return sf_readf_short(file_, reinterpret_cast<short*>(out), frames);
    const size_t samples = static_cast<size_t>(frames) * static_cast<size_t>(info_.channels);
    if (scratch_.size() < samples) scratch_.resize(samples);
    const sf_count_t got = sf_readf_double(file_, scratch_.data(), frames);
    const size_t n = got > 0 ? static_cast<size_t>(got) * static_cast<size_t>(info_.channels) : 0;
    for (size_t i = 0; i < n; ++i) out[i] = Pcm16FromUnit(scratch_[i]);
    return got;
  }

 private:
  sf_count_t Seek(sf_count_t offset, int whence) {
    const sf_count_t base = whence == SEEK_CUR ? pos_ : whence == SEEK_END ? size_ : 0;
    pos_ = std::max<sf_count_t>(0, base + offset);
    return pos_;
  }
  sf_count_t Read(void* ptr, sf_count_t count) {
    auto* bytes = static_cast<unsigned char*>(ptr);
    sf_count_t done = 0;
    while (done < count) {
      const ssize_t n = pread(fd_, bytes + done, static_cast<size_t>(count - done), static_cast<off_t>(pos_ + done));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) readErrno_ = errno;
      if (n <= 0) break;
      done += n;
    }
    // The form id of a BW64 file, shown as RF64.
    for (sf_count_t at = pos_; bw64_ && at < 4 && at < pos_ + done; ++at) bytes[at - pos_] = "RF64"[at];
    pos_ += done;
    return done;
  }

  int fd_;
  sf_count_t size_ = 0;
  sf_count_t pos_ = 0;
  bool bw64_ = false;
  bool wide_ = false;
  int readErrno_ = 0;
  SF_INFO info_{};
  SNDFILE* file_ = nullptr;
  std::vector<double> scratch_;
};
