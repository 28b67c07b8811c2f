// The floor for the whole conversion of a 44100 Hz WAV: the least a program
// can do to halve it. It reads the data after the 44-byte header 64 KiB at a
// time, keeps every other 4-byte frame and writes what it kept.
//
//   halving_loop IN.wav OUT

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const int in = open(argv[1], O_RDONLY);
  const int out = open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (in < 0 || out < 0 || lseek(in, 44, SEEK_SET) != 44) return 1;
  constexpr size_t kBlock = 64 * 1024;
  std::vector<unsigned char> buffer(kBlock), kept(kBlock / 2);
  ssize_t got;
  while ((got = read(in, buffer.data(), kBlock)) > 0) {
    size_t n = 0;
    for (ssize_t i = 4; i + 4 <= got; i += 8, n += 4)
      for (int b = 0; b < 4; ++b) kept[n + b] = buffer[i + b];
    if (write(out, kept.data(), n) != static_cast<ssize_t>(n)) return 1;
  }
  return got < 0 || close(out) != 0 ? 1 : 0;
}
