#pragma once
// Linux's errno values in the platform codes of the error table, and the
// read-only rule on permission bits: for the Linux files of the run-time only.

#include <sys/types.h>

#include <string>

// Windows code for an errno value (one table for the whole program). ENOENT
// is 2 here; PathErrorCode knows the path and says 3 when its folder is
// missing too.
int ErrnoToWinError(int err);

// The code for a failed call on a path: errno mapped by the table, except that
// a missing entry whose folder is missing too gives 3 instead of 2.
int PathErrorCode(const std::string& name, int err);

// Read-only means no write permission bit at all (owner, group or others).
// Root could write such a file anyway; the program refuses to, as the
// platform's read-only attribute refuses everyone.
bool IsReadOnlyMode(mode_t mode);
