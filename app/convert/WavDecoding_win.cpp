#include "WavDecoding.h"
#include "WavPcmDecoding.h"

// Integer and floating-point PCM are turned into 16-bit samples by the
// program's own rules; the compressed encodings wait for the system's codecs.
TPcm16Outcome DecodeToPcm16(const std::string& wavPath, TPcm16File& result) {
  return DecodePcmToPcm16(wavPath, result);
}
