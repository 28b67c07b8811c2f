#pragma once
// One conversion of the system's Audio Compression Manager from a compressed
// encoding, as a WAV's "fmt " describes it (a WAVEFORMATEX with its extra
// bytes), to 16-bit PCM of the same rate and channels, fed whole blocks of
// the compressed data. No system type shows here.

#include <cstdint>
#include <memory>
#include <vector>

class TAcmStream {
 public:
  TAcmStream();
  ~TAcmStream();
  TAcmStream(const TAcmStream&) = delete;
  TAcmStream& operator=(const TAcmStream&) = delete;

  // Opens the conversion from 'format' and sizes the buffers for feeds of up
  // to 'feedBytes'. False when no codec takes the encoding or the output
  // size the codec gives for a feed is out of reason.
  bool Open(const std::vector<unsigned char>& format, int channels, uint32_t rate, int64_t feedBytes);

  // The buffer a feed is read into, 'feedBytes' long, and the samples the
  // last conversion made.
  unsigned char* In();
  const int16_t* Out() const;

  // Converts the first 'bytes' of the input buffer: whole blocks only
  // ('wholeBlocks'), the first feed of the stream ('start'), the last one
  // ('end'). Returns the bytes of PCM made, or -1 when the codec fails or,
  // given whole blocks, leaves some of them unread (which no working codec
  // does with room for their output).
  int64_t Convert(int64_t bytes, bool wholeBlocks, bool start, bool end);

 private:
  struct TState;
  std::unique_ptr<TState> state_;
};
