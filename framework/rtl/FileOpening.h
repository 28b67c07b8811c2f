#pragma once
// The one place where files are opened, shared by the checked file variables
// and the unchecked services, so both give the same codes for the same cause.
//
// Sharing: Windows enforces it. Linux does not, so our own opens take an
// advisory lock (flock) on the file there: an open that shares nothing takes
// it exclusively, any other open takes it shared. An open that collides with
// a lock held by another open of the program (or of any program that uses
// flock) fails with 32, as when another program holds the file without
// sharing.
//
// Every code here is a platform code of the error table (ErrorCodes.h).

#include <cstddef>
#include <cstdint>
#include <string>

#include "FileServices.h"

enum class TOpenAccess { Read, Write, ReadWrite };
enum class TOpenSharing { None, ReadWrite };
// CreateNew fails with 80 when the file exists.
enum class TOpenDisposition { OpenExisting, CreateAlways, CreateNew };

// Returns the open file, or INVALID_HANDLE_VALUE with *winError set.
// A regular file without any write permission bit is refused with 5 for
// write access (also for root); a folder is refused with 5 whatever the
// access; create-always empties an existing file only after the lock is held.
THandle OpenPlatformFile(const std::string& name, TOpenAccess access, TOpenSharing sharing,
                         TOpenDisposition disposition, int* winError);

// Writes as much of buf as the file takes. Returns the number of bytes
// written; -1 with *winError set when not even one byte was. The program
// ignores SIGPIPE and SIGXFSZ on Linux (ProcessStart.h), so a pipe without a
// reader and the file size limit come back as 109 and 112.
int64_t WriteSome(THandle h, const void* buf, int64_t count, int* winError);
// Reads until count bytes or the end of the file. -1 with *winError set when
// the first read fails; after some bytes a failure ends the read with what
// came.
int64_t ReadSome(THandle h, void* buf, int64_t count, int* winError);
// The same at offset, leaving the file's position where it was.
int64_t ReadSomeAt(THandle h, void* buf, int64_t count, int64_t offset, int* winError);
// Moves the position to pos bytes from the start; 0 or the code.
int SeekPlatformFile(THandle h, int64_t pos);
// Closes the file; 0 or the code of a failure the system reports on closing.
int ClosePlatformFile(THandle h);
// Data of the file on the disk (fsync, FlushFileBuffers); 0 or the code.
int FlushPlatformFile(THandle h);

// Keeps a failure's code for LastOSError and passes it on.
int SetLastOSError(int code);

// The code for a name that is not a regular file: 0 for one, the code of the
// failed lookup (2, 3 ...) when nothing is there, 5 for a folder, a FIFO or a
// device, which is never a sound file.
int RegularFileCode(const std::string& name);

// The longest name a folder takes and the longest path the system's calls
// take, in bytes of the names as the program holds them.
size_t LongestFileName();
size_t LongestPathName();
