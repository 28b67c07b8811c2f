#pragma once

#include <string>

// File format: lines ending in LF or CRLF (a last line may have no ending, or
// only the CR of one: that CR is its ending, never part of its text, so a
// line means the same before and after a write completes its ending).
// "[name]" opens a section; "key=value" inside a section sets a key; lines
// starting with ";" and every other line are kept but carry nothing. Names and
// values are taken without the blanks around them; names compare without
// letter case (ASCII); the first section and the first key of a name win.

// These rules work on the file's bytes alone; reading and storing the file
// is the storage's job.

// The value of the key in the section of the file's content, unquoted and
// cut to length; the default (cut likewise) when there is none.
std::string IniReadValue(const std::string& content, const std::string& section, const std::string& ident,
                         const std::string& defaultValue);

// The default cut as a read would return it, for a file that cannot be read.
std::string IniCutValue(const std::string& value);

// False for a section, key or value that would break the line structure.
bool IniCanStore(const std::string& section, const std::string& ident, const std::string& value);

// The content with the key set to the value: the key's line replaced, or a
// line added to the end of its section, or the section added at the end.
std::string IniSplice(const std::string& content, const std::string& section, const std::string& ident,
                      const std::string& value);
