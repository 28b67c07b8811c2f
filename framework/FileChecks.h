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
// The read-only rule is on permission bits, not on the name: see
// IsReadOnlyMode.

#include <sys/types.h>

#include <string>

bool FileExists(const std::string& name);
bool RegularFileExists(const std::string& name);
bool IsSpecialFile(const std::string& name);
bool FolderExists(const std::string& name);

// Same device and inode, whatever the spelling: "a//b.wav" and "a/b.wav", a
// link and its target, two hard links. False when either name does not exist,
// so a command must compare the names themselves if it cares about an output
// that is not there yet.
bool IsSameExistingFile(const std::string& a, const std::string& b);

// Read-only means no write permission bit at all (owner, group or others).
// Root could write such a file anyway; the program refuses to, as the
// platform's read-only attribute refuses everyone.
bool IsReadOnlyMode(mode_t mode);
