#pragma once
// The questions the program asks about a name before it touches the file, in
// one place, so that every command draws the same line between a file and
// anything else.
//
// All of them follow symbolic links: they are about the file a name leads to,
// and a dangling link leads to nothing. (DeleteFile alone looks at the entry
// itself, since deleting removes the link and not its file.)
//
//   question             true for
//   FileExists           anything but a folder (a regular file, a FIFO, a
//                        device) whose modification time lies in 1980..2107
//                        local time, the range of the platform's file dates;
//                        when false, LastOSError says why (2, 3 ...)
//   RegularFileExists    a regular file, whatever its date
//   IsSpecialFile        a folder, FIFO, device or socket: something that is
//                        there but must never be opened as a sound file
//   FolderExists         a folder
//   IsSameExistingFile   two names that both exist and are one file
//
// The read-only rule is the platform's attribute on Windows and the
// permission bits on Linux (ErrnoCodes_posix.h), never the name.

#include <string>

bool FileExists(const std::string& name);
bool RegularFileExists(const std::string& name);
bool IsSpecialFile(const std::string& name);
bool FolderExists(const std::string& name);

// One file whatever the spelling: "a//b.wav" and "a/b.wav", a link and its
// target, two hard links (same device and inode on Linux; same volume serial
// number and file index on Windows, so short names and other spellings
// too). False when either name does not exist, so a command must compare the
// names themselves if it cares about an output that is not there yet.
bool IsSameExistingFile(const std::string& a, const std::string& b);
