// Depth below a scan location and the type filter, on their own.
#include <gtest/gtest.h>

#include "scan/path_rules.h"

namespace tallyfold {
namespace {

TEST(WalkerPathRules, CountSlashesTreatsTheRootAsLevelZero) {
  EXPECT_EQ(CountSlashes("/"), 0);
  EXPECT_EQ(CountSlashes(""), 0);
  EXPECT_EQ(CountSlashes("/a"), 1);
  EXPECT_EQ(CountSlashes("/data/A/B"), 3);
  EXPECT_EQ(CountSlashes("/data//A"), 2);
  EXPECT_EQ(CountSlashes("rel/A"), 1);
}

TEST(WalkerPathRules, FolderDepthMatchesWholeFolderNamesOnly) {
  FolderDepthRules rules({"/data", "/"});
  EXPECT_EQ(rules.FolderDepth("/data/A"), 1);
  EXPECT_EQ(rules.FolderDepth("/data/A/B"), 2);
  // /database is not inside /data: it is measured from the root row.
  EXPECT_EQ(rules.FolderDepth("/database/A"), 2);
  EXPECT_EQ(rules.FolderDepth("/a"), 1);
  // Case is ignored, and a row's trailing "/" does not count.
  FolderDepthRules upper({"/DATA/", "/data/A"});
  EXPECT_EQ(upper.FolderDepth("/Data/A/B"), 2);
  // The first containing row in list order wins, even a wider one.
  FolderDepthRules inner({"/data/A", "/data"});
  EXPECT_EQ(inner.FolderDepth("/data/A/B"), 1);
  EXPECT_EQ(inner.FolderDepth("/data/C"), 1);
  // No containing row: the depth is counted from the root.
  FolderDepthRules none({"/other"});
  EXPECT_EQ(none.FolderDepth("/data/A"), 2);
  // Doubled separators in a location's text do not add a level.
  FolderDepthRules doubled({"/data//"});
  EXPECT_EQ(doubled.FolderDepth("/data//A"), 1);
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
