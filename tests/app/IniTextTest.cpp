#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "IniText.h"

namespace {

// The text rules on bytes alone: what a read finds and what a write makes.
TEST(IniText, ReadsValuesFromContent) {
  struct Case {
    const char* content;
    const char* section;
    const char* key;
    const char* expected;
  };
  const Case cases[] = {
      {"[Directory]\nWav=C:\\x\n", "Directory", "Wav", "C:\\x"},
      {"\xEF\xBB\xBF[Directory]\r\nWav = a b \r\n", "directory", "WAV", "a b"},
      {"[Directory]\nWav=\" a \"\n", "Directory", "Wav", " a "},
      {"[Directory]\nWav='x'\n", "Directory", "Wav", "x"},
      {"[Directory]\nWav=1\nWav=2\n", "Directory", "Wav", "1"},
      {"[Other]\nWav=1\n[Directory]\n", "Directory", "Wav", "dflt"},
      {"[Directory]\n;Wav=1\nWav\n", "Directory", "Wav", "dflt"},
      {"[Directory]\nWav=x\r", "Directory", "Wav", "x"},
      {"[Directory]\nWav=x\n", " ", "Wav", "dflt"},
  };
  for (const Case& c : cases) EXPECT_EQ(IniReadValue(c.content, c.section, c.key, "dflt"), c.expected) << c.content;
}

TEST(IniText, CutsLongValuesOnCharacterBoundaries) {
  EXPECT_EQ(IniCutValue(std::string(3000, 'a')).size(), 2047u);
  // A two-byte character across the cut goes whole.
  const std::string v = std::string(2046, 'a') + "\xC3\xA9";
  EXPECT_EQ(IniReadValue("[S]\nK=" + v + "\n", "S", "K", ""), std::string(2046, 'a'));
}

TEST(IniText, SplicesByteExactly) {
  struct Case {
    const char* content;
    const char* value;
    const char* expected;
  };
  const Case cases[] = {
      {"", "v", "[S]\nK=v\n"},
      {"[S]\r\nK=old\r\nL=1\r\n", "v", "[S]\r\nK=v\r\nL=1\r\n"},
      {"[S]\nA=1\n\n[T]\n", "v", "[S]\nA=1\nK=v\n\n[T]\n"},
      {"x\r", "v", "x\r\n[S]\r\nK=v\r\n"},
      {"[S]\nA=1", " v", "[S]\nA=1\nK=\" v\"\n"},
      {"\xEF\xBB\xBF[s]\nk=1\n", "'q'", "\xEF\xBB\xBF[s]\nK=\"'q'\"\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(IniSplice(c.content, "S", "K", c.value), c.expected) << c.content;
}

TEST(IniText, RefusesNamesThatBreakLines) {
  EXPECT_TRUE(IniCanStore("S", "K", "v"));
  for (const auto& [s, k, v] : {std::tuple<const char*, const char*, const char*>{"", "K", "v"},
                                {"S", " ", "v"},
                                {"S]", "K", "v"},
                                {"S", "K=", "v"},
                                {"S", ";K", "v"},
                                {"S", "[K", "v"},
                                {"S", "K", "a\nb"},
                                {"S\r", "K", "v"}})
    EXPECT_FALSE(IniCanStore(s, k, v)) << s << "|" << k << "|" << v;
}

}  // namespace
