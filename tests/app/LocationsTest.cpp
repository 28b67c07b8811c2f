#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "Locations.h"

namespace {

// Sets or unsets an environment variable for the life of the object.
class EnvVar {
 public:
  EnvVar(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value)
      setenv(name, value->c_str(), 1);
    else
      unsetenv(name);
  }
  ~EnvVar() {
    if (old_)
      setenv(name_, old_->c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

struct ConfigCase {
  const char* name;
  std::optional<std::string> configHome;
  std::string expected;
};

void PrintTo(const ConfigCase& c, std::ostream* os) { *os << c.name; }

class SettingsLocation : public ::testing::TestWithParam<ConfigCase> {};

TEST_P(SettingsLocation, FollowsTheBaseDirectoryRules) {
  EnvVar home("HOME", "/home/léa");
  EnvVar config("XDG_CONFIG_HOME", GetParam().configHome);
  EXPECT_EQ(SettingsFileName(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(ConfigHome, SettingsLocation,
                         ::testing::Values(ConfigCase{"Unset", std::nullopt, "/home/léa/.config/vantrel/S16c.ini"},
                                           ConfigCase{"Empty", "", "/home/léa/.config/vantrel/S16c.ini"},
                                           ConfigCase{"Relative", "conf", "/home/léa/.config/vantrel/S16c.ini"},
                                           ConfigCase{"Absolute", "/srv/conf", "/srv/conf/vantrel/S16c.ini"},
                                           ConfigCase{"AbsoluteWithDelimiter", "/srv/conf/",
                                                      "/srv/conf/vantrel/S16c.ini"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsLocationWithoutHome, UsesTheAccountsHomeFolder) {
  const passwd* account = getpwuid(getuid());
  ASSERT_NE(account, nullptr);
  EnvVar config("XDG_CONFIG_HOME", std::nullopt);
  for (const std::optional<std::string>& home : {std::optional<std::string>(), std::optional<std::string>("x")}) {
    EnvVar unsetHome("HOME", home);
    EXPECT_EQ(SettingsFileName(), std::string(account->pw_dir) + "/.config/vantrel/S16c.ini");
  }
}

TEST(ApplicationDirectory, IsTheExecutablesFolderWhereverTheProgramRuns) {
  const std::filesystem::path old = std::filesystem::current_path();
  const std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
  std::filesystem::current_path("/");
  const std::string fromRoot = ApplicationDirectory();
  std::filesystem::current_path(old);
  EXPECT_EQ(fromRoot, exe.substr(0, exe.rfind('/') + 1));
  EXPECT_EQ(ApplicationDirectory(), fromRoot);
}

}  // namespace

namespace {

// The home rule without the environment: HOME, then the account, then "/".
TEST(HomeRule, TakesTheFirstAbsoluteFolder) {
  EXPECT_EQ(HomeDirectoryFrom("/h", "/a"), "/h");
  EXPECT_EQ(HomeDirectoryFrom("rel", "/a"), "/a");
  EXPECT_EQ(HomeDirectoryFrom(nullptr, nullptr), "/");
  EXPECT_EQ(HomeDirectoryFrom("", "rel"), "/");
}

TEST(HomeRule, AsksForTheHomeOnlyWithoutAnAbsoluteConfigFolder) {
  int asked = 0;
  auto home = [&asked] {
    ++asked;
    return std::string("/h");
  };
  EXPECT_EQ(SettingsFileNameFrom("/c/", home), "/c/vantrel/S16c.ini");
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(SettingsFileNameFrom("c", home), "/h/.config/vantrel/S16c.ini");
  EXPECT_EQ(asked, 1);
}

}  // namespace
