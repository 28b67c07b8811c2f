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

// Rewrites a RIFF WAV file in place in the 64-bit form that broadcast tools
// and ffmpeg write (sox writes none): `form` "RF64" or "BW64" with the form
// size 0xFFFFFFFF, a "ds64" chunk first holding the sizes, and the "data"
// size 0xFFFFFFFF. The other chunks are kept as they are. False when the file
// cannot be read, has no "data" chunk or cannot be written.
bool RewriteAsWideWav(const std::string& path, const char* form);

// `mpg123 -q -w`: the reference decoding of an MP3 into a WAV.
bool DecodeWithMpg123(const std::string& mp3, const std::string& wav);
