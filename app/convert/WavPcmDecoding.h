#pragma once
// Integer and floating-point PCM of any width read by the program's own
// rules into 16-bit samples, where no decoding library stands behind the
// conversion: 8-bit unsigned, 16/24/32-bit signed integers, 32/64-bit
// floats, plain or EXTENSIBLE. Wider samples are rounded as Pcm16.h says;
// the data is read in blocks, so memory stays the same for any length.

#include <string>

#include "Pcm16Source.h"

// Unreadable for any other encoding (a compressed one) and for a WAV whose
// chunks do not say the encoding.
TPcm16Outcome DecodePcmToPcm16(const std::string& wavPath, TPcm16File& result);
