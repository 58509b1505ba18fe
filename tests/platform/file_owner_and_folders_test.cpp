#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "platform/app_folder.h"
#include "platform/file_facts.h"
#include "platform/settings_store.h"
#include "platform/user_names.h"
#include "support/environment.h"
#include "support/temp_dir.h"

namespace tallyfold {
namespace {

using test::TempDir;

using test::EnvironmentValue;

TEST(UserNames, TheOwnerOfANewFileIsTheCurrentUser) {
  TempDir dir;
  const passwd* me = getpwuid(geteuid());
  ASSERT_NE(me, nullptr);
  const std::string path = dir.writeFile("mine.txt", "x");
  EXPECT_EQ(fileOwnerName(path), me->pw_name);
  EXPECT_EQ(fileOwnerName(path), me->pw_name);  // now from the cache
  EXPECT_EQ(userNameOf(geteuid()), me->pw_name);
  EXPECT_EQ(fileOwnerName(dir / "missing.txt"), "");
  EXPECT_EQ(userNameOf(4000000123u), "");
}

TEST(FileFacts, SizeTimeKindAndAttributeWord) {
  TempDir dir;
  const std::string file = dir.writeFile("report.txt", "12345");
  TempDir::setMtime(file, 1600000000);
  std::optional<FileFacts> facts = statPath(file);
  ASSERT_TRUE(facts);
  EXPECT_EQ(facts->size, 5u);
  EXPECT_EQ(facts->mtime, 1600000000);
  EXPECT_EQ(facts->uid, geteuid());
  EXPECT_EQ(facts->attributes, 0);
  EXPECT_FALSE(facts->isDirectory);

  const std::string hidden = dir.writeFile(".hidden", "");
  chmod(hidden.c_str(), 0444);
  EXPECT_EQ(statPath(hidden)->attributes, 1 | 2);
  EXPECT_TRUE(statPath(dir.makeDir(".config/"))->isDirectory);
  EXPECT_EQ(statPath(dir / ".config/")->attributes, 2);
  EXPECT_EQ(statPath(dir / "missing"), std::nullopt);

  EXPECT_EQ(attributeWord(0100644, false), 0);
  EXPECT_EQ(attributeWord(0100444, false), 1);
  EXPECT_EQ(attributeWord(0100200, true), 2);
  // A file system without DOS attributes adds nothing, and does not fail.
  EXPECT_EQ(attributeWord(0100444, true, STDIN_FILENO), 3);
}

TEST(AppFolder, ChosenFromTheEnvironmentInOrder) {
  TempDir dir;
  EnvironmentValue home("HOME", dir.path());
  {
    EnvironmentValue own("TALLYFOLD_HOME", dir / "own/");
    EnvironmentValue data("XDG_DATA_HOME", dir / "data");
    EXPECT_EQ(applicationFolder(), dir / "own");
    EXPECT_EQ(applicationFile("exclusion.lst"), dir / "own/exclusion.lst");
  }
  EnvironmentValue own("TALLYFOLD_HOME", std::nullopt);
  {
    EnvironmentValue data("XDG_DATA_HOME", dir / "data");
    EXPECT_EQ(applicationFolder(), dir / "data/tallyfold");
  }
  {
    EnvironmentValue data("XDG_DATA_HOME", "relative/data");  // ignored
    EXPECT_EQ(applicationFolder(), dir / ".local/share/tallyfold");
    EXPECT_FALSE(std::filesystem::exists(applicationFolder()));
    EXPECT_TRUE(ensureApplicationFolder());
    EXPECT_TRUE(std::filesystem::is_directory(dir / ".local/share/tallyfold"));
    EXPECT_TRUE(ensureApplicationFolder());
  }
  EnvironmentValue blocked("TALLYFOLD_HOME", dir.writeFile("plain-file") + "/sub");
  EXPECT_FALSE(ensureApplicationFolder());
}

TEST(SettingsDirectory, ChosenFromTheEnvironment) {
  TempDir dir;
  EnvironmentValue home("HOME", dir.path());
  {
    EnvironmentValue config("XDG_CONFIG_HOME", dir / "config");
    EXPECT_EQ(settingsDirectory(), dir / "config/tallyfold");
    SettingsStore store{std::string(kSettingsApplication)};
    EXPECT_EQ(store.filePath(), dir / "config/tallyfold/Corvane - Tallyfold.ini");
    EXPECT_TRUE(store.set("WindowSize", "W", "9000"));
    EXPECT_TRUE(std::filesystem::exists(store.filePath()));
  }
  EnvironmentValue config("XDG_CONFIG_HOME", std::nullopt);
  EXPECT_EQ(settingsDirectory(), dir / ".config/tallyfold");
}

}  // namespace
}  // namespace tallyfold
