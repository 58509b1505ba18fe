// Depth below a scan location, the type filter, and the one decision on each
// entry of a folder, on their own.
#include <gtest/gtest.h>

#include "scan/entry_rules.h"
#include "scan/path_rules.h"
#include "scan/run_control.h"
#include "scan/walk_context.h"

namespace tallyfold {
namespace {

TEST(WalkerPathRules, FolderDepthCountsFromTheLocationWithCase) {
  EXPECT_EQ(folderDepthBelow("/data", "/data"), 0);
  EXPECT_EQ(folderDepthBelow("/data", "/data/A"), 1);
  EXPECT_EQ(folderDepthBelow("/data/", "/data/A/B/"), 2);
  EXPECT_EQ(folderDepthBelow("/", "/"), 0);
  EXPECT_EQ(folderDepthBelow("/", "/a"), 1);
  EXPECT_EQ(folderDepthBelow("rel", "rel/A"), 1);
  // Doubled separators in a location's text do not add a level.
  EXPECT_EQ(folderDepthBelow("/data//", "/data//A"), 1);
  EXPECT_EQ(folderDepthBelow("p//x", "p//x/y//z"), 2);
  // A folder the location does not contain is measured from the root.
  EXPECT_EQ(folderDepthBelow("/other", "/data/A"), 2);
}

TEST(WalkerPathRules, LocationsContainWholeFolderNamesWithCase) {
  EXPECT_TRUE(locationContains("/data", "/data"));
  EXPECT_TRUE(locationContains("/data/", "/data/A"));
  EXPECT_TRUE(locationContains("/", "/usr/lib"));
  EXPECT_FALSE(locationContains("/data", "/database/A"));
  // Linux names differ by case: /Data is another folder than /data.
  EXPECT_FALSE(locationContains("/DATA", "/data/A"));
  EXPECT_FALSE(locationContains("p/X", "p/x/y/z/s1"));
  EXPECT_FALSE(locationContains("/data/A", "/data"));
  EXPECT_FALSE(locationContains("/", "rel/A"));
}

// The rest of the filter's rules are met in the walk's own tests.
TEST(WalkerPathRules, TypeFilterEntries) {
  TypeFilter music(".mp3;.jpg");
  EXPECT_FALSE(music.admits("a.txt"));
  EXPECT_FALSE(music.admits(".mp3;"));
  EXPECT_TRUE(TypeFilter(".txt; *.*").admits("a.jpg"));
  EXPECT_TRUE(TypeFilter(" .TXT ;").admits("a.txt"));
  EXPECT_FALSE(TypeFilter("").admits("a.txt"));
}

// Names and kinds settle most entries; a link or an entry of unknown kind is
// examined first, and what it leads to decides.
TEST(WalkerEntryRules, EachEntryIsDecidedByNameKindAndWhatItLeadsTo) {
  ExclusionLists exclusions;
  exclusions.fileNames = {"skip.txt"};
  exclusions.extensions = {"*.tmp"};
  RunControl control;
  WalkContext plain(exclusions, true, control, false);
  WalkContext following(exclusions, true, control, true);
  CurrentLocation location;
  location.filter = ".txt;.tmp";
  location.level = 1;
  const std::string root = "/data/";
  const EntryRules rules(location, root, plain);
  const EntryRules followingRules(location, root, following);
  const auto top = rules.inFolder(root);
  const auto below = rules.inFolder("/data/sub/");

  auto action = [](const EntryRules::InFolder& in, const char* name, EntryKind kind,
                   const EntryFacts* facts = nullptr) {
    return in.decide(name, kind, facts).action;
  };
  EXPECT_EQ(action(top, ".", EntryKind::Directory), EntryAction::Skip);
  EXPECT_EQ(action(top, "..", EntryKind::Directory), EntryAction::Skip);
  // A file to list is examined for its size and time, then listed.
  EXPECT_EQ(action(top, "a.txt", EntryKind::File), EntryAction::Examine);
  EntryFacts plainFile;
  EXPECT_EQ(action(top, "a.txt", EntryKind::File, &plainFile), EntryAction::AddFile);
  EXPECT_EQ(action(top, "a.jpg", EntryKind::File), EntryAction::Skip);
  EXPECT_EQ(action(top, ".hidden.txt", EntryKind::File), EntryAction::Skip);
  EXPECT_EQ(action(top, "skip.txt", EntryKind::File), EntryAction::Skip);
  EXPECT_EQ(action(top, "a.tmp", EntryKind::File), EntryAction::Skip);
  // Folders down to the level are entered; one below it is not listed.
  EXPECT_EQ(top.decide("sub", EntryKind::Directory).enter, true);
  EXPECT_EQ(action(below, "deeper", EntryKind::Directory), EntryAction::Skip);
  // A link that may lead to a folder is examined even where no file would be
  // listed.
  EXPECT_EQ(action(top, "a.jpg", EntryKind::SymbolicLink), EntryAction::Examine);
  EXPECT_EQ(action(top, "a.txt", EntryKind::Unknown), EntryAction::Examine);
  EntryFacts toFolder;
  toFolder.isDirectory = true;
  toFolder.isLink = true;
  EntryFacts toFile;
  toFile.isLink = true;
  const EntryDecision linked = top.decide("a.jpg", EntryKind::SymbolicLink, &toFolder);
  EXPECT_EQ(linked.action, EntryAction::AddSubFolder);
  EXPECT_FALSE(linked.enter);
  EXPECT_TRUE(
      followingRules.inFolder(root).decide("a.jpg", EntryKind::SymbolicLink, &toFolder).enter);
  EXPECT_EQ(action(top, "a.jpg", EntryKind::SymbolicLink, &toFile), EntryAction::Skip);
  EXPECT_EQ(action(top, "a.txt", EntryKind::SymbolicLink, &toFile), EntryAction::AddFile);

  // Without sub-folders, links to files are still listed and nothing else is
  // examined.
  CurrentLocation flat = location;
  flat.includeSubFolders = false;
  const EntryRules flatRules(flat, root, plain);
  const auto flatTop = flatRules.inFolder(root);
  EXPECT_EQ(action(flatTop, "sub", EntryKind::Directory), EntryAction::Skip);
  EXPECT_EQ(action(flatTop, "a.jpg", EntryKind::SymbolicLink), EntryAction::Skip);
  EXPECT_EQ(action(flatTop, "a.txt", EntryKind::SymbolicLink), EntryAction::Examine);
  EXPECT_EQ(action(flatTop, "a.txt", EntryKind::SymbolicLink, &toFolder), EntryAction::Skip);
}

}  // namespace
}  // namespace tallyfold
