#pragma once
// The one place where files are opened, shared by the checked file variables
// and the unchecked services, so both give the same codes for the same cause.
//
// Sharing: Linux does not enforce it, so our own opens take an advisory lock
// (flock) on the file: an open that shares nothing takes it exclusively, any
// other open takes it shared. An open that collides with a lock held by
// another open of the program (or of any program that uses flock) fails
// with 32, as when another program holds the file without sharing.

#include <cstdint>
#include <string>

enum class TOpenAccess { Read, Write, ReadWrite };
enum class TOpenSharing { None, ReadWrite };
// CreateNew fails with 80 when the file exists.
enum class TOpenDisposition { OpenExisting, CreateAlways, CreateNew };

// Returns the descriptor, or -1 with *winError set to the platform code.
// A regular file without any write permission bit is refused with 5 for
// write access (also for root); a folder is refused with 5 whatever the
// access; create-always empties an existing file only after the lock is held.
int OpenPlatformFile(const std::string& name, TOpenAccess access, TOpenSharing sharing, TOpenDisposition disposition,
                     int* winError);

// The code for a failed call on a path: errno mapped by the table, except that
// a missing entry whose folder is missing too gives 3 instead of 2.
int PathErrorCode(const std::string& name, int err);

// Writes as much of buf as the file takes. Returns the number of bytes
// written; -1 with *err set (errno) when not even one byte was. The program
// ignores SIGPIPE and SIGXFSZ (ProcessStart.h), so a pipe without a reader
// and the file size limit come back as EPIPE and EFBIG.
int64_t WriteSome(int fd, const void* buf, int64_t count, int* err);
// Reads until count bytes or the end of the file. -1 with *err set when the
// first read fails; after some bytes a failure ends the read with what came.
int64_t ReadSome(int fd, void* buf, int64_t count, int* err);
