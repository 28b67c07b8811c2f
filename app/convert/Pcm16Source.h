#pragma once
// The data the conversion writes into a game file is 16-bit signed
// little-endian PCM with the WAV's channels. A WAV that holds such data
// (IsPcm16) gives its bytes as they are. Any other WAV is first turned by a
// producer into a private file of the run: a WAV with the canonical 44-byte
// header and 16-bit PCM data, which the conversion then reads in the WAV's
// place (halved at 44100 Hz, copied at any other rate).
//
// A producer is one function, chosen by the conversion: the decoding of any
// encoding (WavDecoding.h) is one; a resampler to 22050 Hz would be another.
// Each writes through TPcm16Writer, which keeps the file's rules in one place.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "FileServices.h"
#include "PrivateFiles.h"

// A private file of the run, by the rules of the halved file: a new name in a
// folder of its own, both removed on destruction.
using TPcm16File = THalvedFile;

struct TPcm16Outcome {
  enum class TKind {
    Done,        // the file holds the sound
    Unreadable,  // the WAV's sound cannot be decoded; no file was made
    Failed,      // a file operation failed: errorCode says which
  };
  TKind kind = TKind::Done;
  int errorCode = 0;
};

// Writes the sound of the WAV 'wavPath' into 'result', which it creates (named
// after the WAV) only once it knows the sound can be read.
using TPcm16Producer = std::function<TPcm16Outcome(const std::string& wavPath, TPcm16File& result)>;

// The canonical header of a WAV of 16-bit PCM. Sizes that do not fit the
// 32-bit fields are written as 0xFFFFFFFF: with "data" the last chunk they
// read as "to the end of the file".
std::vector<unsigned char> Pcm16WavHeader(int channels, uint32_t rate, int64_t dataBytes);

// Writes a producer's 16-bit samples into its private file, in blocks, with
// the header completed at the end. Memory is the caller's block.
class TPcm16Writer {
 public:
  TPcm16Writer() = default;
  ~TPcm16Writer();
  TPcm16Writer(const TPcm16Writer&) = delete;
  TPcm16Writer& operator=(const TPcm16Writer&) = delete;

  // Creates 'file' named 'name' and writes a header for 'channels' at 'rate'.
  bool Begin(TPcm16File& file, const std::string& name, int channels, uint32_t rate);
  // Appends 'count' interleaved samples, stored little-endian.
  bool Write(const int16_t* samples, int64_t count);
  // Writes the real sizes into the header and closes the file.
  bool Finish();
  // The platform error code of the step that failed (101 for a full disk).
  int ErrorCode() const { return error_; }

 private:
  bool Fail(int code);

  THandle handle_ = INVALID_HANDLE_VALUE;
  int channels_ = 0;
  uint32_t rate_ = 0;
  int64_t dataBytes_ = 0;
  int error_ = 0;
  std::vector<unsigned char> bytes_;
};
