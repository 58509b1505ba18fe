#include "scan/exclusions.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>

#include "support/temp_dir.h"
#include "support/unprivileged.h"

namespace tallyfold {
namespace {

using test::readFile;
using test::TempDir;

TEST(ExclusionMatcher, MatchesWholeEntriesIgnoringCase) {
  ExclusionLists lists;
  lists.fileNames = {"ReadMe.TXT", "Thumbs.db", "ÄPFEL.txt"};
  lists.folders = {"/home/Ann/Temp"};
  lists.extensions = {"*.TMP", "*.gz", "*.ÜBER"};
  const ExclusionMatcher matcher(lists);
  for (const char* name : {"readme.txt", "README.TXT", "äpfel.TXT"}) {
    EXPECT_TRUE(matcher.isFileNameExcluded(name)) << name;
  }
  for (const char* name : {"readme.txt.bak", "readme"}) {
    EXPECT_FALSE(matcher.isFileNameExcluded(name)) << name;
  }
  EXPECT_TRUE(matcher.isFolderExcluded("/home/ann/temp"));
  EXPECT_TRUE(matcher.isFolderExcluded("/HOME/ANN/TEMP"));
  EXPECT_FALSE(matcher.isFolderExcluded("/home/ann/temp/a"));
  EXPECT_FALSE(matcher.isFolderExcluded("/home/ann"));
  for (const char* name : {"x.tmp", "X.Tmp", "archive.tar.gz", "plan.über"}) {
    EXPECT_TRUE(matcher.isExtensionExcluded(name)) << name;
  }
  // Without a dot there is no extension to match; the walker decides.
  for (const char* name : {"archive.gz.tar", "x.tmpl", "tmp", "gz"}) {
    EXPECT_FALSE(matcher.isExtensionExcluded(name)) << name;
  }
}

TEST(ExclusionMatcher, RootEntryNeverMatchesTheRootsFiles) {
  ExclusionLists lists;
  lists.folders = {"/", "/srv"};
  const ExclusionMatcher matcher(lists);
  // The files of "/" are tested with the folder "/": they stay.
  EXPECT_FALSE(matcher.isFolderExcluded("/"));
  EXPECT_TRUE(matcher.isFolderExcluded("/srv"));
  EXPECT_FALSE(matcher.isFolderExcluded("/srv/a"));
}

TEST(ExclusionMatcher, EmptyListsExcludeNothing) {
  const ExclusionMatcher matcher(ExclusionLists{});
  EXPECT_FALSE(matcher.isFileNameExcluded("a.txt"));
  EXPECT_FALSE(matcher.isFolderExcluded("/"));
  EXPECT_FALSE(matcher.isExtensionExcluded("a.txt"));
}

// The three lists in one text, "names|folders|extensions", to compare at once.
std::string listsText(const ExclusionLists& lists) {
  auto joined = [](const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) text += item + ";";
    return text;
  };
  return joined(lists.fileNames) + "|" + joined(lists.folders) + "|" + joined(lists.extensions);
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
  EXPECT_EQ(listsText(loadExclusionList(path)), listsText(lists));

  // Empty lists are just the two markers.
  ASSERT_TRUE(saveExclusionList(path, ExclusionLists{}));
  EXPECT_EQ(readFile(path), "<<Folder List Start Here>>\r\n<<Extension List Start Here>>\r\n");
  EXPECT_EQ(listsText(loadExclusionList(path)), "||");
}

TEST(ExclusionListFile, ReadsEveryLineEndPassesOverBlankLinesAndSwitchesAtEachMarker) {
  TempDir dir;
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"a.txt\n\nb.txt\r<<Folder List Start Here>>\r\n/srv\r\n\r\n/opt\n"
       "<<Extension List Start Here>>\n*.o\n\n\n*.a",
       "a.txt;b.txt;|/srv;/opt;|*.o;*.a;"},
      {"<<Extension List Start Here>>\r\n*.tmp\r\n<<Folder List Start Here>>\r\n/var\r\n"
       "<<Extension List Start Here>>\r\n*.log\r\n",
       "|/var;|*.tmp;*.log;"}};
  for (const auto& [text, lists] : cases) {
    EXPECT_EQ(listsText(loadExclusionList(dir.writeFile("exclusion.lst", text))), lists);
  }
  // A missing or unreadable file gives empty lists.
  EXPECT_EQ(listsText(loadExclusionList(dir / "missing.lst")), "||");
  EXPECT_EQ(listsText(loadExclusionList(dir.makeDir("folder.lst"))), "||");
}

TEST(ExclusionListFile, SaysWhyAFileThatIsThereCannotBeRead) {
  TempDir dir;
  std::string error = "earlier";
  const std::string lst = dir.writeFile("exclusion.lst", "a.txt\r\n");
  EXPECT_EQ(listsText(loadExclusionList(lst, &error)), "a.txt;||");
  EXPECT_EQ(error, "");
  // Missing, also below a file: no error, nothing to warn about.
  error = "earlier";
  EXPECT_EQ(listsText(loadExclusionList(dir / "missing.lst", &error)), "||");
  EXPECT_EQ(error, "");
  EXPECT_EQ(listsText(loadExclusionList(lst + "/exclusion.lst", &error)), "||");
  EXPECT_EQ(error, "");
  const std::string folder = dir.makeDir("folder.lst");
  EXPECT_EQ(listsText(loadExclusionList(folder, &error)), "||");
  EXPECT_EQ(error, "Cannot read " + folder + ": " + std::strerror(EISDIR));
  // A file without read permission (root reads it anyway, so a child gives
  // up root first).
  ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
  ASSERT_EQ(chmod(lst.c_str(), 0200), 0);
  const std::optional<std::string> refused = test::runUnprivileged([&] {
    std::string why;
    return listsText(loadExclusionList(lst, &why)) + "#" + why;
  });
  ASSERT_TRUE(refused.has_value());
  EXPECT_EQ(*refused, "||#Cannot read " + lst + ": " + std::strerror(EACCES));
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
  EXPECT_EQ(test::runUnprivileged([&] {
              return std::string(saveExclusionList(path, changed) ? "saved" : "refused");
            }),
            "refused");
  EXPECT_EQ(readFile(path), oldText);

  // A place below a plain file cannot hold the list either.
  const std::string file = dir.writeFile("plain");
  EXPECT_FALSE(saveExclusionList(file + "/exclusion.lst", changed));
}

}  // namespace
}  // namespace tallyfold
