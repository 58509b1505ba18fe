#include "scan/exclusions.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "support/temp_dir.h"

namespace tallyfold {
namespace {

using test::readFile;
using test::TempDir;

// Runs work in a child process that cannot write where its owner could: as
// root the child becomes the unprivileged user 65534 first. Returns the
// child's answer.
bool runWithoutPrivileges(const std::function<bool()>& work) {
  const pid_t child = fork();
  if (child == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
    _exit(work() ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(ExclusionMatcher, MatchesWholeEntriesIgnoringCase) {
  ExclusionLists lists;
  lists.fileNames = {"ReadMe.TXT", "Thumbs.db"};
  lists.folders = {"/home/Ann/Temp"};
  lists.extensions = {"*.TMP", "*.gz"};
  const ExclusionMatcher matcher(lists);

  EXPECT_TRUE(matcher.isFileNameExcluded("readme.txt"));
  EXPECT_TRUE(matcher.isFileNameExcluded("README.TXT"));
  EXPECT_FALSE(matcher.isFileNameExcluded("readme.txt.bak"));
  EXPECT_FALSE(matcher.isFileNameExcluded("readme"));

  EXPECT_TRUE(matcher.isFolderExcluded("/home/ann/temp"));
  EXPECT_TRUE(matcher.isFolderExcluded("/HOME/ANN/TEMP"));
  EXPECT_FALSE(matcher.isFolderExcluded("/home/ann/temp/a"));
  EXPECT_FALSE(matcher.isFolderExcluded("/home/ann"));

  EXPECT_TRUE(matcher.isExtensionExcluded("x.tmp"));
  EXPECT_TRUE(matcher.isExtensionExcluded("X.Tmp"));
  EXPECT_TRUE(matcher.isExtensionExcluded("archive.tar.gz"));
  EXPECT_FALSE(matcher.isExtensionExcluded("archive.gz.tar"));
  EXPECT_FALSE(matcher.isExtensionExcluded("x.tmpl"));
  // Without a dot there is no extension to match; the walker decides.
  EXPECT_FALSE(matcher.isExtensionExcluded("tmp"));
  EXPECT_FALSE(matcher.isExtensionExcluded("gz"));
}

TEST(ExclusionMatcher, LowerCasesBeyondAscii) {
  ExclusionLists lists;
  lists.fileNames = {"ÄPFEL.txt"};
  lists.extensions = {"*.ÜBER"};
  const ExclusionMatcher matcher(lists);
  EXPECT_TRUE(matcher.isFileNameExcluded("äpfel.TXT"));
  EXPECT_TRUE(matcher.isExtensionExcluded("plan.über"));
}

TEST(ExclusionMatcher, EmptyListsExcludeNothing) {
  const ExclusionMatcher matcher(ExclusionLists{});
  EXPECT_FALSE(matcher.isFileNameExcluded("a.txt"));
  EXPECT_FALSE(matcher.isFolderExcluded("/"));
  EXPECT_FALSE(matcher.isExtensionExcluded("a.txt"));
  EXPECT_FALSE(matcher.skipExcludedFolderTrees());

  ExclusionLists lists;
  lists.skipExcludedFolderTrees = true;
  EXPECT_TRUE(ExclusionMatcher(lists).skipExcludedFolderTrees());
}

TEST(ExclusionListFile, RoundTripKeepsOrderAndCase) {
  TempDir dir;
  const std::string path = dir / "exclusion.lst";
  ExclusionLists lists;
  lists.fileNames = {"Thumbs.db", "desktop.ini"};
  lists.folders = {"/home/ann/Temp", "/"};
  lists.extensions = {"*.TMP", "*.bak"};
  ASSERT_TRUE(saveExclusionList(path, lists));

  EXPECT_EQ(readFile(path),
            "Thumbs.db\r\ndesktop.ini\r\n<<Folder List Start Here>>\r\n/home/ann/Temp\r\n/\r\n"
            "<<Extension List Start Here>>\r\n*.TMP\r\n*.bak\r\n");
  const ExclusionLists loaded = loadExclusionList(path);
  EXPECT_EQ(loaded.fileNames, lists.fileNames);
  EXPECT_EQ(loaded.folders, lists.folders);
  EXPECT_EQ(loaded.extensions, lists.extensions);
  EXPECT_FALSE(loaded.skipExcludedFolderTrees);
}

TEST(ExclusionListFile, EmptyListsAreJustTheTwoMarkers) {
  TempDir dir;
  const std::string path = dir / "exclusion.lst";
  ASSERT_TRUE(saveExclusionList(path, ExclusionLists{}));
  EXPECT_EQ(readFile(path), "<<Folder List Start Here>>\r\n<<Extension List Start Here>>\r\n");

  const ExclusionLists loaded = loadExclusionList(path);
  EXPECT_TRUE(loaded.fileNames.empty());
  EXPECT_TRUE(loaded.folders.empty());
  EXPECT_TRUE(loaded.extensions.empty());
}

TEST(ExclusionListFile, ReadsEveryLineEndAndPassesOverBlankLines) {
  TempDir dir;
  const std::string path =
      dir.writeFile("exclusion.lst",
                    "a.txt\n\nb.txt\r<<Folder List Start Here>>\r\n/srv\r\n\r\n/opt\n"
                    "<<Extension List Start Here>>\n*.o\n\n\n*.a");
  const ExclusionLists loaded = loadExclusionList(path);
  EXPECT_EQ(loaded.fileNames, (std::vector<std::string>{"a.txt", "b.txt"}));
  EXPECT_EQ(loaded.folders, (std::vector<std::string>{"/srv", "/opt"}));
  EXPECT_EQ(loaded.extensions, (std::vector<std::string>{"*.o", "*.a"}));
}

TEST(ExclusionListFile, MarkersSwitchListsInAnyOrder) {
  TempDir dir;
  const std::string path = dir.writeFile(
      "exclusion.lst",
      "<<Extension List Start Here>>\r\n*.tmp\r\n<<Folder List Start Here>>\r\n/var\r\n"
      "<<Extension List Start Here>>\r\n*.log\r\n");
  const ExclusionLists loaded = loadExclusionList(path);
  EXPECT_TRUE(loaded.fileNames.empty());
  EXPECT_EQ(loaded.folders, (std::vector<std::string>{"/var"}));
  EXPECT_EQ(loaded.extensions, (std::vector<std::string>{"*.tmp", "*.log"}));
}

TEST(ExclusionListFile, MissingOrUnreadableFileGivesEmptyLists) {
  TempDir dir;
  const ExclusionLists missing = loadExclusionList(dir / "exclusion.lst");
  EXPECT_TRUE(missing.fileNames.empty() && missing.folders.empty() && missing.extensions.empty());
  const ExclusionLists folder = loadExclusionList(dir.makeDir("exclusion.lst"));
  EXPECT_TRUE(folder.fileNames.empty() && folder.folders.empty() && folder.extensions.empty());
}

TEST(ExclusionListFile, FailedSaveReportsFalseAndKeepsTheOldFile) {
  TempDir dir;
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  const std::string folder = dir.makeDir("app");
  const std::string path = folder + "/exclusion.lst";
  ExclusionLists old;
  old.fileNames = {"old.txt"};
  ASSERT_TRUE(saveExclusionList(path, old));
  const std::string oldText = readFile(path);
  ASSERT_EQ(chmod(folder.c_str(), 0555), 0);

  ExclusionLists changed;
  changed.fileNames = {"new.txt"};
  EXPECT_FALSE(runWithoutPrivileges([&] { return saveExclusionList(path, changed); }));
  EXPECT_EQ(readFile(path), oldText);

  // A place below a plain file cannot hold the list either.
  const std::string file = dir.writeFile("plain");
  EXPECT_FALSE(saveExclusionList(file + "/exclusion.lst", changed));
}

}  // namespace
}  // namespace tallyfold
