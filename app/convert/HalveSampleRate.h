#pragma once
// Halving of 44100 Hz 16-bit stereo WAV data to 22050 Hz.
//
// Source: a WAV file whose sample data runs from byte 44 to the end; no header
// field is read. The data is a sequence of 4-byte frames, frame 0 at byte 44.
// Result: a headerless file holding frames 1, 3, 5 ... in order, followed by
// the first bytes of a last incomplete odd frame. For D data bytes that is
// 4 * (D div 8) bytes, plus (D mod 8) - 4 when D mod 8 > 4.
//
// Gauge: Progress is set to 0, then MaxValue to D div 2; Progress then grows
// by the bytes kept and ends at MaxValue. When D div 2 does not fit the gauge's
// 32-bit range, both are counted in units of 2^k bytes (the smallest k that
// fits), so the bar still runs from 0 to 100 %.

#include <cstdint>
#include <string>

#include "DialogTypes.h"

// halvingSucceeded is set false at once and true only when every byte of the
// data was read, every kept byte written, and the result closed; the result
// then carries the source's date and attributes. It stays false, with nothing
// opened, when both names are one file (the same string or the same file
// under another spelling); with nothing created and the gauge untouched when
// the source cannot be opened or is shorter than 44 bytes; and when a read or
// a write fails or a write stores fewer bytes than asked (the result is then
// left behind, closed, for the caller to remove).
void HalveSampleRate(const std::string& sourceName, const std::string& resultName, IProgressGauge& gauge,
                     bool& halvingSucceeded);

// The number of bits by which a byte count is shifted for the gauge, so that
// a maximum of maxBytes fits a signed 32-bit value. 0 up to 2^31 - 1.
int GaugeUnitShift(int64_t maxBytes);
