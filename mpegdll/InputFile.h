#pragma once
// The system's side of a named input file: opened only when it is a regular
// file (a FIFO without a writer, or a device, would hold the caller's thread
// in the open or in the decoder's first read), read forward, read at an
// offset without moving, moved. Interrupted calls are retried here.

#include <cstddef>
#include <cstdint>

#include "FileId.h"

using InputHandle = intptr_t;
constexpr InputHandle kNoInput = -1;

// kNoInput when the name cannot be opened for reading or is not a regular file.
InputHandle OpenRegularInput(const char* name, FileId* id, int64_t* bytes);
void CloseInput(InputHandle file);
// The count read (0 at the end), or -1 on an error.
int64_t ReadInput(InputHandle file, unsigned char* out, size_t bytes);
int64_t ReadInputAt(InputHandle file, int64_t offset, unsigned char* out, size_t bytes);
// Moves to `offset` from the start, or from the end when `fromEnd`: the new
// offset, or -1.
int64_t SeekInput(InputHandle file, int64_t offset, bool fromEnd);
