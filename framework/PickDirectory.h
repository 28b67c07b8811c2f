#pragma once
// The folder picker: the toolkit's own file dialog showing folders only.

#include <string>

// objectName of the picker window, for scripted runs.
extern const char* const kPickDirectoryObjectName;  // "PickDirectory"

// Shows the folder tree from root (empty: the whole file system, "/") with
// prompt as the label above it. Returns true and the chosen folder's path in
// directory, without a trailing "/" except for the root "/"; false and an
// empty directory when cancelled. The other windows stay enabled: the caller
// disables what must not be used meanwhile.
bool PickDirectory(const std::string& prompt, const std::string& root, std::string& directory);
