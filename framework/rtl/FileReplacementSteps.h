#pragma once
// The system's steps of a file's replacement (FileReplacement.h). Every
// result is 0 or a platform code of the error table.

#include <string>

#include "FileServices.h"

// Gives the open new file 'h' what the file it replaces had: its
// permission bits, owner and group as far as the user may (Linux); nothing
// more on Windows, where the new file keeps the folder's inherited rights.
int KeepAttributesOf(THandle h, const std::string& target);
// Removes a file; a missing one is no failure.
int RemoveFileIfThere(const std::string& path);
// Renames the closed file 'path' over target, in one step.
int PutInPlace(const std::string& path, const std::string& target);
