// Opening a sub-folder of an open folder: the folder entered is the one its
// entry described, and a link is entered only when links are followed.
#include "platform/dir_reader.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <unistd.h>

#include <string>

#include "support/temp_dir.h"

namespace tallyfold {
namespace {

using test::TempDir;

// The identity the entry name of a folder has while that folder is read.
FolderIdentity entryIdentity(const std::string& folder, const std::string& name) {
  DirReader reader;
  EXPECT_EQ(reader.open(folder), 0);
  DirEntry entry;
  while (reader.next(entry)) {
    if (entry.name != name) continue;
    FolderIdentity id;
    EXPECT_EQ(reader.examineSubFolder(entry, id), 0);
    return id;
  }
  ADD_FAILURE() << name << " not found in " << folder;
  return {};
}

int openThroughParent(const std::string& parentPath, const std::string& name,
                      const SubFolderOpening& opening) {
  DirReader parentReader;
  EXPECT_EQ(parentReader.open(parentPath), 0);
  SharedFolder* parent = parentReader.share(1);
  DirReader reader;
  const int result = reader.openIn(*parent, name, opening);
  EXPECT_EQ(reader.isOpen(), result == 0);
  parent->release();
  return result;
}

TEST(DirReaderSubFolders, AFolderReplacedAfterItsEntryWasReadIsRefused) {
  TempDir dir;
  dir.writeFile("loc/sub/inside.txt");
  dir.writeFile("outside/escaped.txt");
  dir.writeFile("other/x.txt");
  const std::string loc = dir / "loc";
  const SubFolderOpening asListed{entryIdentity(loc, "sub"), false};
  EXPECT_EQ(openThroughParent(loc, "sub", asListed), 0);
  DirReader byPath;
  EXPECT_EQ(byPath.openSubFolder(loc + "/sub/", asListed), 0);

  // Renamed away and replaced by a link to a folder outside.
  ASSERT_EQ(rename((loc + "/sub").c_str(), (loc + "/sub.away").c_str()), 0);
  ASSERT_EQ(symlink((dir / "outside").c_str(), (loc + "/sub").c_str()), 0);
  EXPECT_EQ(openThroughParent(loc, "sub", asListed), kFolderChanged);
  EXPECT_EQ(byPath.openSubFolder(loc + "/sub/", asListed), kFolderChanged);
  EXPECT_FALSE(byPath.isOpen());
  // Followed, the link leads to another folder than the one listed.
  EXPECT_EQ(openThroughParent(loc, "sub", {asListed.expected, true}), kFolderChanged);
  // The entry itself is a link now, so its identity is no folder's.
  FolderIdentity now;
  DirReader reader;
  ASSERT_EQ(reader.open(loc), 0);
  DirEntry entry;
  while (reader.next(entry) && entry.name != "sub") {
  }
  EXPECT_EQ(reader.examineSubFolder(entry, now), kFolderChanged);

  // Replaced by another real folder, or by a file.
  ASSERT_EQ(unlink((loc + "/sub").c_str()), 0);
  ASSERT_EQ(rename((dir / "other").c_str(), (loc + "/sub").c_str()), 0);
  EXPECT_EQ(openThroughParent(loc, "sub", asListed), kFolderChanged);
  ASSERT_EQ(rename((loc + "/sub").c_str(), (dir / "other").c_str()), 0);
  dir.writeFile("loc/sub", "now a file");
  EXPECT_EQ(openThroughParent(loc, "sub", asListed), kFolderChanged);
  EXPECT_EQ(openThroughParent(loc, "missing", asListed), ENOENT);
}

TEST(DirReaderSubFolders, AListedLinkIsEnteredWhenLinksAreFollowed) {
  TempDir dir;
  dir.writeFile("target/a.txt");
  dir.makeDir("loc");
  const std::string loc = dir / "loc";
  ASSERT_EQ(symlink((dir / "target").c_str(), (loc + "/link").c_str()), 0);
  DirReader reader;
  ASSERT_EQ(reader.open(loc), 0);
  DirEntry entry;
  while (reader.next(entry) && entry.name != "link") {
  }
  EntryFacts facts;
  ASSERT_EQ(reader.examine(entry, facts), 0);
  ASSERT_TRUE(facts.isDirectory && facts.isLink);
  const FolderIdentity target{facts.device, facts.inode};
  EXPECT_EQ(openThroughParent(loc, "link", {target, true}), 0);
  EXPECT_EQ(openThroughParent(loc, "link", {target, false}), kFolderChanged);
}

}  // namespace
}  // namespace tallyfold
