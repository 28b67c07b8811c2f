#pragma once
// A file's identity whatever its name: other spellings and links of a path
// give the same one. Both parts 0: no file (a caller's stream).

#include <cstdint>

struct FileId {
  uint64_t volume = 0;  // the device, or the volume's serial number
  uint64_t index = 0;   // the inode, or the file index on that volume
  bool operator==(const FileId& o) const {
    return volume == o.volume && index == o.index && (volume != 0 || index != 0);
  }
};
