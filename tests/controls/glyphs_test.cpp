// The committed transport glyphs are exactly what tools/make_glyphs.py draws:
// the script regenerates them into a fresh folder and every file must match
// the committed one byte for byte, with none missing or left over.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace fs = std::filesystem;

namespace {

// The source tree's root; VANTREL_TEST_DATA is tests/controls/data in it.
fs::path SourceRoot() { return fs::path(VANTREL_TEST_DATA).parent_path().parent_path().parent_path(); }

std::string FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::set<std::string> FileNames(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

TEST(Glyphs, CommittedFilesAreWhatTheScriptDraws) {
  const fs::path committed = SourceRoot() / "resources" / "glyphs";
  const fs::path script = SourceRoot() / "tools" / "make_glyphs.py";
  ASSERT_TRUE(fs::is_regular_file(script)) << script;
  QTemporaryDir out;
  ASSERT_TRUE(out.isValid());

  QProcess python;
  python.start("python3", {QString::fromStdString(script.string()), out.path()});
  ASSERT_TRUE(python.waitForFinished(60000)) << "the script did not end";
  ASSERT_EQ(python.exitStatus(), QProcess::NormalExit);
  ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();

  const fs::path drawn = out.path().toStdString();
  const std::set<std::string> names = FileNames(drawn);
  ASSERT_EQ(names.size(), 28u) << "27 glyphs and the resource list";
  EXPECT_EQ(FileNames(committed), names);
  for (const std::string& name : names)
    EXPECT_TRUE(FileBytes(drawn / name) == FileBytes(committed / name)) << name << " differs from the script's";
}

}  // namespace
