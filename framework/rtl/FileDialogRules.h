#pragma once
// The rules of the open and save dialogs that do not depend on the toolkit:
// how the component's filter string reads, what InitialDir stores, which
// filter is shown first, and the extension of a chosen name. Each face turns
// them into its own dialog's settings.

#include <string>
#include <vector>

// One entry of a filter "Description|mask;mask|Description|mask...".
struct TFileFilter {
  std::string description;
  std::vector<std::string> masks;  // empty masks between ";" are dropped
};

// The entries in order; a description without a pattern ends the list, and
// an empty filter has none.
std::vector<TFileFilter> ParseFileFilter(const std::string& filter);

// "Desc|m1;m2|Desc2|m3" as the toolkit's name filters: "Desc (m1 m2)", ...
std::vector<std::string> QtNameFilters(const std::string& filter);

// What InitialDir stores: one trailing "/" is dropped unless the value is the
// root "/".
std::string StoredInitialDir(const std::string& dir);

// The 0-based entry to show first for a FilterIndex counting from 1; -1 when
// the index names no entry of `count` (the dialog keeps its first).
int ShownFilterEntry(int filterIndex, int count);

// The extension of a name: what follows the last "." of its last part, empty
// when that part has none.
std::string FileNameExtension(const std::string& fileName);
