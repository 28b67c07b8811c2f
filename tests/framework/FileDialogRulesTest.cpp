// The file dialogs' rules without any toolkit: the filter string, the stored
// start folder, the filter shown first and the extension of a name.

#include "FileDialogRules.h"

#include <gtest/gtest.h>

TEST(FileDialogRules, AFilterReadsAsDescriptionsWithTheirMasks) {
  using M = std::vector<std::string>;
  struct Case {
    const char* filter;
    std::vector<std::pair<std::string, M>> entries;
  };
  const Case cases[] = {
      {"Wav files|*.wav", {{"Wav files", M{"*.wav"}}}},
      {"GP3/GP4 Sounds|bsound*.16;tk*.st1", {{"GP3/GP4 Sounds", M{"bsound*.16", "tk*.st1"}}}},
      {"A|*.a|B|*.b;;*.c;", {{"A", M{"*.a"}}, {"B", M{"*.b", "*.c"}}}},
      // A description without a pattern ends the list; an empty pattern does not.
      {"A|*.a|B", {{"A", M{"*.a"}}}},
      {"A||B|*.b", {{"A", M{}}, {"B", M{"*.b"}}}},
      {"", {}},
  };
  for (const Case& c : cases) {
    const std::vector<TFileFilter> parsed = ParseFileFilter(c.filter);
    ASSERT_EQ(parsed.size(), c.entries.size()) << c.filter;
    for (size_t i = 0; i < parsed.size(); ++i) {
      EXPECT_EQ(parsed[i].description, c.entries[i].first) << c.filter;
      EXPECT_EQ(parsed[i].masks, c.entries[i].second) << c.filter;
    }
  }
  EXPECT_EQ(QtNameFilters("A||B|*.b;*.c"), (std::vector<std::string>{"A ()", "B (*.b *.c)"}));
}

TEST(FileDialogRules, TheFilterIndexCountsFromOneAndOutOfRangeKeepsTheFirst) {
  const int cases[][3] = {{1, 2, 0}, {2, 2, 1}, {3, 2, -1}, {0, 2, -1}, {-1, 2, -1}, {1, 0, -1}};
  for (const auto& c : cases) EXPECT_EQ(ShownFilterEntry(c[0], c[1]), c[2]) << c[0] << " of " << c[1];
}

TEST(FileDialogRules, TheExtensionIsAfterTheLastDotOfTheLastPart) {
  const std::pair<const char*, const char*> cases[] = {
      {"take.wav", "wav"}, {"/tmp/a.tar.gz", "gz"}, {"noext", ""},    {"/tmp/dir.d/noext", ""},
      {"name.", ""},       {".wav", "wav"},         {"/tmp/a.b/", ""}, {"", ""}};
  for (const auto& [name, ext] : cases) EXPECT_EQ(FileNameExtension(name), ext) << name;
  EXPECT_EQ(StoredInitialDir("/home/x/"), "/home/x");
  EXPECT_EQ(StoredInitialDir("/"), "/");
}
