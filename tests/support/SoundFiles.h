#pragma once
// Sound files that the tests and benchmarks make for themselves, so none of
// them depends on a sample kept in the tree.

#include <string>

// A 22050 Hz 16-bit stereo WAV with a 440 Hz tone, loud from its first sample
// on (the phase starts at a quarter period), so a measure of the first sound
// does not wait for the wave to rise.
void WriteToneWav(const std::string& path, double seconds, int amplitude = 8000);

// An MP3 of `seconds` of sox's `synth` effects (one per channel, e.g.
// "sine 440 sine 660"), encoded by lame with `lameArgs`. The source WAV is
// made beside it and removed; sox's dither is kept repeatable so every run
// encodes the same samples. False when sox or lame fail.
bool MakeMp3(const std::string& path, double seconds, const std::string& synth = "sine 440",
             const std::string& lameArgs = "-b 128", int rate = 44100, int channels = 2);

// `mpg123 -q -w`: the reference decoding of an MP3 into a WAV.
bool DecodeWithMpg123(const std::string& mp3, const std::string& wav);
