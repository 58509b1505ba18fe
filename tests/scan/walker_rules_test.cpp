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

TEST(WalkerPathRules, FolderDepthMatchesWholeFolderNamesOnly) {
  FolderDepthRules rules({"/data", "/"});
  EXPECT_EQ(rules.folderDepth("/data/A"), 1);
  EXPECT_EQ(rules.folderDepth("/data/A/B"), 2);
  // /database is not inside /data: it is measured from the root row.
  EXPECT_EQ(rules.folderDepth("/database/A"), 2);
  EXPECT_EQ(rules.folderDepth("/a"), 1);
  // Case is ignored, and a row's trailing "/" does not count.
  FolderDepthRules upper({"/DATA/", "/data/A"});
  EXPECT_EQ(upper.folderDepth("/Data/A/B"), 2);
  // The first containing row in list order wins, even a wider one.
  FolderDepthRules inner({"/data/A", "/data"});
  EXPECT_EQ(inner.folderDepth("/data/A/B"), 1);
  EXPECT_EQ(inner.folderDepth("/data/C"), 1);
  // No containing row: the depth is counted from the root.
  FolderDepthRules none({"/other"});
  EXPECT_EQ(none.folderDepth("/data/A"), 2);
  // Doubled separators in a location's text do not add a level.
  FolderDepthRules doubled({"/data//"});
  EXPECT_EQ(doubled.folderDepth("/data//A"), 1);
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
