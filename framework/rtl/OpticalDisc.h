#pragma once
// Whether a file lies on a mounted optical disc (a CD or DVD): the mount that
// holds it (the mount point that is the longest leading run of whole path
// components of its path) has file-system type iso9660 or udf, or is mounted
// from a /dev/sr* device. The disc's "drive root" is that mount point.

#include <string>

// Looks the path up in /proc/self/mountinfo, after resolving links, "." and
// ".." (as far as the path exists; a relative path is taken from the current
// directory). On true, *mountPoint (when given) is the disc's mount point;
// on false it is emptied. False also when the mount table cannot be read.
bool LiesOnOpticalDisc(const std::string& path, std::string* mountPoint);

// The same on a mount table given in /proc/self/mountinfo format, for an
// absolute path taken as it is (no file system access).
bool LiesOnOpticalDiscIn(const std::string& mountInfo, const std::string& path, std::string* mountPoint);
