// Opening the RIFF WAVE file a wave device plays, and the limits its header
// must keep.
//
// The header decides how much memory the device sets aside for a block of
// sound (rate × 20 ms × channels samples) and how its positions convert to
// milliseconds, so a header outside the limits below is refused before
// anything is sized from it. The sample width needs no limit of ours:
// libsndfile refuses every width it cannot decode.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Mci.h"

class TWavReader;

struct WaveFormat {
  int64_t frames = 0;  // sample frames of sound in the file
  int rate = 0;        // frames per second
  int channels = 0;
};

// Limits of a playable header, both ends included. Real recordings lie well
// inside: 8000 to 384000 Hz, at most 18 speaker channels.
constexpr int kWaveMinRate = 1000;
constexpr int kWaveMaxRate = 768000;
constexpr int kWaveMaxChannels = 32;

// Opens `path` for reading with libsndfile (WavReader_sndfile.h: BW64 read
// as RF64, wide samples at their level). Never blocks: anything but a
// regular file is refused before it is opened, and the open itself does not
// wait, so a FIFO that takes the file's place in between is refused too.
// Returns 0 with the open file in `*file` and its format in `*format`, or:
//   MCIERR_FILE_NOT_FOUND  missing, a folder, or a bad path
//   MCIERR_INVALID_FILE    a FIFO, device or socket; not RIFF WAVE, RF64 or
//                          BW64; a format outside the limits above
//   MCIERR_FILE_READ       not readable (permissions, I/O)
//   MCIERR_OUT_OF_MEMORY
MCIERROR OpenWaveFile(const std::string& path, std::unique_ptr<TWavReader>* file, WaveFormat* format);

// The frames of one block the device reads and hands to the output, about
// 20 ms of sound. REQUIRES: rate within the limits above.
int64_t WaveBlockFrames(int rate);
