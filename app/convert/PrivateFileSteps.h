#pragma once
// The system's part of the private files of a run (PrivateFiles.h): the
// steps that each system does its own way. Every result is 0 or a platform
// code of the error table.

#include <string>

#include "FileReplacementSteps.h"
#include "FileServices.h"

// The temporary folder's root: $TMPDIR (without the delimiters that end it)
// else /tmp on Linux; GetTempPathW on Windows.
std::string TemporaryRoot();
// Makes a new folder of the user's only: "<root>/vantrel-<random>". The
// folder's path, or empty on failure.
std::string MakePrivateFolder(const std::string& root);
// Creates the new empty file path, exclusively and never through a link.
int CreateNewEmptyFile(const std::string& path);
// Removes a folder; a missing one is no failure.
int RemoveFolderIfThere(const std::string& path);
// Gives the copy 'out' the date and the permission bits or read-only
// attribute of the open original 'in'.
int KeepDateAndMode(THandle in, THandle out);
// Gives the closed file 'path' the name 'name' without replacing anything
// there: 80 when something has that name. *moved says whether 'path' is gone
// (a rename) or still there (a second name).
int NameWithoutReplacing(const std::string& path, const std::string& name, bool* moved);
