// The look-ups made many at a time through a ring against the ones made a
// call at a time: the same facts and the same failures for every kind of
// entry, a window of requests refilled past its size, and a cancel that
// leaves the rest undone.
#include "platform/stat_ring.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace tallyfold {
namespace {

using test::TempDir;

// What a look-up gave, in words, so that two ways can be compared whole.
std::string outcome(const EntryLookup& lookup) {
  const EntryFacts& f = lookup.facts;
  std::string text = std::string(lookup.entry.name) + " done=" + std::to_string(lookup.done) +
                     " error=" + std::to_string(lookup.error);
  if (lookup.error != 0) return text;
  text += " inode=" + std::to_string(f.inode) + " device=" + std::to_string(f.device);
  if (lookup.what == LookUp::SubFolder) return text;
  return text + " size=" + std::to_string(f.size) + " mtime=" + std::to_string(f.mtime) +
         " mode=" + std::to_string(f.mode) + " dir=" + std::to_string(f.isDirectory) +
         " link=" + std::to_string(f.isLink);
}

// A folder of every kind of entry, and more plain files than one ring keeps
// in flight.
void makeMixedFolder(const TempDir& dir) {
  for (int i = 0; i < 300; ++i) dir.writeFile("f/file" + std::to_string(i), std::string(i, 'x'));
  dir.makeDir("f/sub");
  dir.writeFile("f/vanishing", "soon gone");
  ASSERT_EQ(symlink("file7", (dir / "f/toFile").c_str()), 0);
  ASSERT_EQ(symlink("sub", (dir / "f/toSub").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", (dir / "f/dangling").c_str()), 0);
  ASSERT_EQ(symlink("loop", (dir / "f/loop").c_str()), 0);
  ASSERT_EQ(mkfifo((dir / "f/pipe").c_str(), 0600), 0);
}

// The folder's one batch, read: folders to look up as sub-folders, the rest
// as entries, and file7 a second time as a sub-folder, which it is not.
std::vector<EntryLookup> readBatch(DirReader& reader, const std::string& folder) {
  EXPECT_EQ(reader.open(folder), 0);
  EXPECT_TRUE(reader.readBatch());
  std::vector<EntryLookup> lookups;
  DirEntry entry;
  while (reader.nextInBatch(entry)) {
    EntryLookup& lookup = lookups.emplace_back();
    lookup.entry = entry;
    lookup.what = entry.kind == EntryKind::Directory ? LookUp::SubFolder : LookUp::Entry;
    if (entry.name == "file7") lookups.emplace_back(lookup).what = LookUp::SubFolder;
  }
  return lookups;
}

const EntryLookup& named(const std::vector<EntryLookup>& lookups, std::string_view name) {
  for (const EntryLookup& lookup : lookups) {
    if (lookup.entry.name == name) return lookup;
  }
  ADD_FAILURE() << name << " not listed";
  return lookups.front();
}

TEST(StatRing, LookUpsInFlightGiveWhatOneCallAtATimeGives) {
  if (statRingRefusal() != 0) GTEST_SKIP() << "no io_uring ring here: " << statRingRefusal();
  const std::atomic<bool> cancel{false};
  TempDir dir;
  makeMixedFolder(dir);
  DirReader plainReader, ringReader;
  ASSERT_TRUE(ringReader.startRing());
  std::vector<EntryLookup> plain = readBatch(plainReader, dir / "f");
  std::vector<EntryLookup> ring = readBatch(ringReader, dir / "f");
  EXPECT_FALSE(ringReader.readBatch()) << "the folder should fit one batch";
  // Listed, then gone before it is looked up.
  ASSERT_EQ(unlink((dir / "f/vanishing").c_str()), 0);
  plainReader.examineAll(plain, cancel);
  ringReader.examineAll(ring, cancel);
  EXPECT_TRUE(ringReader.usesRing());
  EXPECT_FALSE(plainReader.usesRing());

  ASSERT_EQ(plain.size(), ring.size());
  for (size_t i = 0; i < plain.size(); ++i) {
    EXPECT_EQ(outcome(plain[i]), outcome(ring[i]));
    EXPECT_TRUE(ring[i].done);
  }
  EXPECT_EQ(named(ring, "file299").facts.size, 299u);
  EXPECT_EQ(named(ring, "vanishing").error, ENOENT);
  EXPECT_TRUE(named(ring, "toFile").facts.isLink);
  EXPECT_EQ(named(ring, "toFile").facts.size, 7u);
  EXPECT_TRUE(named(ring, "toSub").facts.isDirectory);
  EXPECT_TRUE(named(ring, "dangling").facts.isLink);
  struct stat sub;
  ASSERT_EQ(lstat((dir / "f/sub").c_str(), &sub), 0);
  EXPECT_EQ(named(ring, "sub").facts.inode, sub.st_ino);
  EXPECT_EQ(named(ring, "sub").facts.device, sub.st_dev);
  int file7AsFolder = 0;
  for (const EntryLookup& lookup : ring) {
    if (lookup.entry.name == "file7" && lookup.what == LookUp::SubFolder) {
      file7AsFolder = lookup.error;
    }
  }
  EXPECT_EQ(file7AsFolder, kFolderChanged);
}

TEST(StatRing, ACancelledWalkLooksNothingMoreUp) {
  const std::atomic<bool> cancel{true};
  TempDir dir;
  makeMixedFolder(dir);
  for (bool withRing : {false, true}) {
    DirReader reader;
    if (withRing) reader.startRing();
    std::vector<EntryLookup> lookups = readBatch(reader, dir / "f");
    reader.examineAll(lookups, cancel);
    for (const EntryLookup& lookup : lookups) EXPECT_FALSE(lookup.done) << lookup.entry.name;
  }
}

}  // namespace
}  // namespace tallyfold
