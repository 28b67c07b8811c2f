#include "IniText.h"

#include <iterator>
#include <vector>

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

bool HasLineBreak(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }

}  // namespace

std::string IniCutValue(const std::string& value) { return CutValue(value); }

std::string IniReadValue(const std::string& content, const std::string& section, const std::string& ident,
                         const std::string& defaultValue) {
  const std::string wantedSection = Trim(section);
  const std::string wantedKey = Trim(ident);
  if (wantedSection.empty() || wantedKey.empty()) return CutValue(defaultValue);
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

bool IniCanStore(const std::string& section, const std::string& ident, const std::string& value) {
  return !(Trim(section).empty() || Trim(ident).empty() || HasLineBreak(section) || HasLineBreak(ident) ||
           HasLineBreak(value) || section.find(']') != std::string::npos || ident.find('=') != std::string::npos ||
           Trim(ident)[0] == ';' || Trim(ident)[0] == '[');
}

std::string IniSplice(const std::string& content, const std::string& section, const std::string& ident,
                      const std::string& value) {
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
  return out;
}
