// Depth below a scan location and the type filter, on their own.
#include <gtest/gtest.h>

#include "scan/path_rules.h"

namespace tallyfold {
namespace {

TEST(WalkerPathRules, CountSlashesTreatsTheRootAsLevelZero) {
  EXPECT_EQ(countSlashes("/"), 0);
  EXPECT_EQ(countSlashes(""), 0);
  EXPECT_EQ(countSlashes("/a"), 1);
  EXPECT_EQ(countSlashes("/data/A/B"), 3);
  EXPECT_EQ(countSlashes("/data//A"), 2);
  EXPECT_EQ(countSlashes("rel/A"), 1);
}

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
  EXPECT_FALSE(music.admitsEveryFile());
  EXPECT_FALSE(music.admits(".mp3;"));
  EXPECT_TRUE(TypeFilter(".txt; *.*").admitsEveryFile());
  EXPECT_TRUE(TypeFilter(" .TXT ;").admits("a.txt"));
  EXPECT_FALSE(TypeFilter("").admits("a.txt"));
}

}  // namespace
}  // namespace tallyfold
