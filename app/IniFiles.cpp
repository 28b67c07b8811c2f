#include "IniFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "Exceptions.h"
#include "FileChecks.h"
#include "PathUtils.h"

// File format: lines ending in LF or CRLF (a last line may have no ending, or
// only the CR of one: that CR is its ending, never part of its text, so a
// line means the same before and after a write completes its ending).
// "[name]" opens a section; "key=value" inside a section sets a key; lines
// starting with ";" and every other line are kept but carry nothing. Names and
// values are taken without the blanks around them; names compare without
// letter case (ASCII); the first section and the first key of a name win.

namespace {

constexpr size_t kMaxValueBytes = 2047;

struct Line {
  std::string text;  // without its ending
  std::string eol;   // "\n", "\r\n"; for a last line also "\r" or ""
};

// The ending a last line gets when a line is put after it: a lone CR becomes
// CRLF (its bytes stay), no ending becomes the file's.
void CompleteEnding(Line& line, const std::string& fileEol) {
  if (line.eol.empty())
    line.eol = fileEol;
  else if (line.eol == "\r")
    line.eol = "\r\n";
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string& s) {
  size_t b = 0;
  size_t e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::vector<Line> SplitLines(const std::string& content) {
  std::vector<Line> lines;
  size_t pos = 0;
  while (pos < content.size()) {
    const size_t nl = content.find('\n', pos);
    Line line;
    if (nl == std::string::npos) {
      line.text = content.substr(pos);
      if (!line.text.empty() && line.text.back() == '\r') {
        line.text.pop_back();
        line.eol = "\r";
      }
      pos = content.size();
    } else {
      size_t end = nl;
      line.eol = "\n";
      if (end > pos && content[end - 1] == '\r') {
        --end;
        line.eol = "\r\n";
      }
      line.text = content.substr(pos, end - pos);
      pos = nl + 1;
    }
    lines.push_back(std::move(line));
  }
  // A byte-order mark is no part of the first line's meaning.
  if (!lines.empty() && lines[0].text.compare(0, 3, "\xEF\xBB\xBF") == 0) lines[0].text.erase(0, 3);
  return lines;
}

// The section name of a "[name]" line; false for any other line.
bool SectionOf(const std::string& text, std::string* name) {
  const std::string t = Trim(text);
  if (t.empty() || t[0] != '[') return false;
  const size_t close = t.find(']');
  *name = Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
  return true;
}

// The key and raw value of a "key=value" line; false for any other line.
bool KeyOf(const std::string& text, std::string* key, std::string* value) {
  const std::string t = Trim(text);
  if (t.empty() || t[0] == ';' || t[0] == '[') return false;
  const size_t eq = t.find('=');
  if (eq == std::string::npos) return false;
  *key = Trim(t.substr(0, eq));
  if (value) *value = Trim(t.substr(eq + 1));
  return true;
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

bool HasSurroundingQuotes(const std::string& v) { return v.size() >= 2 && IsQuote(v.front()) && v.front() == v.back(); }

// At most kMaxValueBytes bytes, never ending inside a UTF-8 character.
std::string CutValue(std::string v) {
  if (v.size() <= kMaxValueBytes) return v;
  size_t cut = kMaxValueBytes;
  // Step back over continuation bytes to the start of the cut character,
  // unless that character ends exactly at the cut.
  size_t start = cut;
  while (start > 0 && (static_cast<unsigned char>(v[start]) & 0xC0) == 0x80) --start;
  if (start < cut) cut = start;
  v.resize(cut);
  return v;
}

bool ReadWholeFile(const std::string& name, std::string* content, int* err) {
  const int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    *err = errno;
    return false;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    *err = EINVAL;
    close(fd);
    return false;
  }
  content->clear();
  char buf[8192];
  for (;;) {
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      *err = errno;
      close(fd);
      return false;
    }
    if (n == 0) break;
    content->append(buf, static_cast<size_t>(n));
  }
  close(fd);
  return true;
}

bool WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Replaces the file by a complete new one: written beside it and renamed over
// it, so a failure part way leaves the old file whole.
bool ReplaceByRename(const std::string& target, const std::string& data, const struct stat* old) {
  std::string folder = ExtractFilePath(target);
  std::string tmp = folder + "." + ExtractFileName(target) + ".XXXXXX";
  const int fd = mkostemp(tmp.data(), O_CLOEXEC);
  if (fd < 0) return false;
  mode_t mode;
  if (old) {
    mode = old->st_mode & 07777;
    if (fchown(fd, old->st_uid, old->st_gid) != 0) {
      // Another owner cannot be kept by an ordinary user; the file stays ours.
    }
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  const bool ok = WriteAll(fd, data) && fchmod(fd, mode) == 0 && fsync(fd) == 0;
  if (close(fd) != 0 || !ok || rename(tmp.c_str(), target.c_str()) != 0) {
    unlink(tmp.c_str());
    return false;
  }
  return true;
}

// For a folder we may not create files in: rewrite the file where it is. The
// space is reserved first, so a full disk refuses the write before any byte
// of the file changes.
bool ReplaceInPlace(const std::string& target, const std::string& data) {
  const int fd = open(target.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = data.empty() || posix_fallocate(fd, 0, static_cast<off_t>(data.size())) == 0;
  ok = ok && WriteAll(fd, data) && ftruncate(fd, static_cast<off_t>(data.size())) == 0 && fsync(fd) == 0;
  return close(fd) == 0 && ok;
}

bool StoreFile(const std::string& name, const std::string& data, bool exists, const struct stat& st) {
  if (ReplaceByRename(name, data, exists ? &st : nullptr)) return true;
  const int err = errno;
  return exists && (err == EACCES || err == EPERM) && ReplaceInPlace(name, data);
}

bool HasLineBreak(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }

// The file a write must change: the name itself, or the file its chain of
// symbolic links ends at, existing or not. False for a chain too long to be
// anything but a loop, or a link that cannot be read.
bool FileBehindLinks(const std::string& name, std::string* target) {
  std::string path = name;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      *target = path;
      return true;
    }
    std::vector<char> buf(static_cast<size_t>(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
    const ssize_t n = readlink(path.c_str(), buf.data(), buf.size());
    if (n < 0 || static_cast<size_t>(n) >= buf.size()) return false;
    const std::string link(buf.data(), static_cast<size_t>(n));
    path = link[0] == '/' ? link : ExtractFilePath(path) + link;
  }
  return false;
}

// Creates the folder and the missing folders above it, for the user only.
bool MakeFolders(const std::string& folder) {
  for (size_t end = folder.find('/', 1); end != std::string::npos; end = folder.find('/', end + 1)) {
    const std::string part = folder.substr(0, end);
    if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return folder.empty() || FolderExists(folder);
}

}  // namespace

std::string TIniFile::ReadText(const std::string& section, const std::string& ident, const std::string& defaultValue) {
  std::string content;
  int err = 0;
  const std::string wantedSection = Trim(section);
  const std::string wantedKey = Trim(ident);
  if (wantedSection.empty() || wantedKey.empty() || !ReadWholeFile(FileName(), &content, &err))
    return CutValue(defaultValue);
  bool inSection = false;
  for (const Line& line : SplitLines(content)) {
    std::string name;
    if (SectionOf(line.text, &name)) {
      if (inSection) break;
      inSection = SameName(name, wantedSection);
      continue;
    }
    std::string key, value;
    if (inSection && KeyOf(line.text, &key, &value) && SameName(key, wantedKey)) {
      if (HasSurroundingQuotes(value)) value = value.substr(1, value.size() - 2);
      return CutValue(value);
    }
  }
  return CutValue(defaultValue);
}

void TIniFile::WriteText(const std::string& section, const std::string& ident, const std::string& value) {
  auto fail = [this] { throw Exception(Format("Impossible d'écrire dans %s", FileName().c_str())); };
  // A name or value that would break the line structure cannot be stored.
  if (Trim(section).empty() || Trim(ident).empty() || HasLineBreak(section) || HasLineBreak(ident) ||
      HasLineBreak(value) || section.find(']') != std::string::npos || ident.find('=') != std::string::npos ||
      Trim(ident)[0] == ';' || Trim(ident)[0] == '[')
    fail();

  std::string target;
  if (!FileBehindLinks(FileName(), &target)) fail();
  if (target == FileName() && folders_ == TFolderCreation::Create && !MakeFolders(ExtractFilePath(target))) fail();
  struct stat st;
  bool exists = false;
  std::string content;
  if (stat(target.c_str(), &st) == 0) {
    exists = true;
    if (!S_ISREG(st.st_mode) || IsReadOnlyMode(st.st_mode)) fail();
    int err = 0;
    if (!ReadWholeFile(target, &content, &err)) fail();
  } else if (errno != ENOENT) {
    fail();
  }

  std::vector<Line> lines = SplitLines(content);
  // A lone CR at the end is a CRLF cut short: it counts as one.
  std::string eol = "\n";
  for (const Line& line : lines) {
    if (!line.eol.empty()) {
      eol = line.eol == "\r" ? "\r\n" : line.eol;
      break;
    }
  }
  // Blanks around the value or a pair of quotes around it would be lost on
  // reading; a pair of quotes added around it keeps the value exact.
  const std::string stored =
      (!value.empty() && (IsBlank(value.front()) || IsBlank(value.back()))) || HasSurroundingQuotes(value)
          ? "\"" + value + "\""
          : value;
  const std::string keyLine = Trim(ident) + "=" + stored;

  long sectionAt = -1;
  long lastContent = -1;  // last non-blank line of the section
  long keyAt = -1;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string name;
    if (SectionOf(lines[i].text, &name)) {
      if (sectionAt >= 0) break;
      if (SameName(name, Trim(section))) sectionAt = lastContent = static_cast<long>(i);
      continue;
    }
    if (sectionAt < 0) continue;
    if (!Trim(lines[i].text).empty()) lastContent = static_cast<long>(i);
    std::string key;
    if (KeyOf(lines[i].text, &key, nullptr) && SameName(key, Trim(ident))) {
      keyAt = static_cast<long>(i);
      break;
    }
  }

  if (keyAt >= 0) {
    lines[static_cast<size_t>(keyAt)].text = keyLine;
  } else if (sectionAt >= 0) {
    CompleteEnding(lines[static_cast<size_t>(lastContent)], eol);
    lines.insert(lines.begin() + lastContent + 1, Line{keyLine, eol});
  } else {
    if (!lines.empty()) CompleteEnding(lines.back(), eol);
    lines.push_back(Line{"[" + Trim(section) + "]", eol});
    lines.push_back(Line{keyLine, eol});
  }

  std::string out;
  out.reserve(content.size() + keyLine.size() + section.size() + 8);
  if (content.compare(0, 3, "\xEF\xBB\xBF") == 0) out = "\xEF\xBB\xBF";
  for (const Line& line : lines) out += line.text + line.eol;
  if (!StoreFile(target, out, exists, st)) fail();
}
