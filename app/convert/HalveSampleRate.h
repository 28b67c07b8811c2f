#pragma once
// Halving of 44100 Hz WAV data to 22050 Hz: every other frame is kept.
//
// Source: a WAV file, its data and frame size as WavLayout.h finds them (for
// a file that is not RIFF/WAVE: data from byte 44 to the end, 4-byte frames).
// Result: a headerless file holding frames 1, 3, 5 ... in order, followed by
// the first bytes of a last incomplete odd frame. For D data bytes and frames
// of F bytes that is F * (D div 2F) bytes, plus (D mod 2F) - F when
// D mod 2F > F. 16-bit stereo keeps 4 bytes of 8, 16-bit mono 2 of 4.
//
// Gauge: Progress is set to 0, then MaxValue to D div 2; Progress then grows
// by the bytes kept and ends at MaxValue. When D div 2 does not fit the gauge's
// 32-bit range, both are counted in units of 2^k bytes (the smallest k that
// fits), so the bar still runs from 0 to 100 %.

#include <cstdint>
#include <string>

#include "CommandPorts.h"

// halvingSucceeded is set false at once and true only when every byte of the
// data was read, every kept byte written, and the result closed; the result
// then carries the source's date and attributes. It stays false:
// - with nothing opened when both names are the same string;
// - with nothing created and the gauge untouched when they name the same file
//   under another spelling (the source is opened and its header read before
//   that can be told, then closed), or when the source cannot be opened or
//   read, or is not RIFF/WAVE and shorter than 44 bytes;
// - when the result cannot be created: the gauge is then already at 0 of its
//   maximum, and the source closed;
// - when a read or a write fails or a write stores fewer bytes than asked
//   (the result is then left behind, closed, for the caller to remove).
// An existing result file is replaced.
void HalveSampleRate(const std::string& sourceName, const std::string& resultName, IProgressGauge& gauge,
                     bool& halvingSucceeded);

// The number of bits by which a byte count is shifted for the gauge, so that
// a maximum of maxBytes fits a signed 32-bit value. 0 up to 2^31 - 1.
int GaugeUnitShift(int64_t maxBytes);
