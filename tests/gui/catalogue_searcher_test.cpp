// The Catalogue window's search worker on a real catalogue of a few thousand
// files: matches come in path order and in batches, the first one small; a
// new search abandons the running one, whose matches never reach the window;
// past the most kept the worker only counts.

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "gui/catalogue_searcher.h"
#include "gui_fixture.h"

namespace tallyfold::test {
namespace {

using gui::CatalogueHit;
using gui::CatalogueSearcher;
using gui::CatalogueSession;

class CatalogueSearcherTest : public GuiTest {
 protected:
  static constexpr int kFolders = 50;
  static constexpr int kFilesPerFolder = 120;

  // A scan of kFolders folders of kFilesPerFolder files each, added through the engine.
  void addScan(const std::string& label) {
    ScanResult result;
    const std::string top = root / "disk/";
    result.records.push_back({result.store.addFolder(top), RecordRef::kFolderRecord});
    for (int f = 0; f < kFolders; ++f) {
      char folder[32];
      std::snprintf(folder, sizeof folder, "folder%03d/", f);
      const uint32_t index = result.store.addFolder(top + folder);
      result.records.push_back({index, RecordRef::kFolderRecord});
      for (int i = 0; i < kFilesPerFolder; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "photo%04d.jpg", i);
        FileEntry facts;
        facts.size = uint64_t(i);
        facts.mtime = 1700000000;
        result.records.push_back({index, result.store.addFile(index, name, facts)});
      }
    }
    NewScan scan;
    scan.label = label;
    scan.time = 1700000000;
    ScanLocation location;
    location.folder = root / "disk";
    scan.locations.push_back(StoredLocation{location, {}});
    CatalogueSession session(path());
    ASSERT_TRUE(session.isOpen()) << session.error().message;
    ASSERT_TRUE(session.add(scan, result, nullptr)) << session.error().message;
  }
  std::string path() const { return root / "catalogue.sqlite"; }
  static SearchQuery queryOf(const std::string& pattern) {
    SearchQuery query;
    query.pattern = pattern;
    return query;
  }
};

TEST_F(CatalogueSearcherTest, MatchesComeInPathOrderInBatchesTheFirstSmall) {
  addScan("one");
  CatalogueSearcher searcher(path(), 1000000);
  std::vector<size_t> sizes;
  std::vector<std::string> paths;
  QObject::connect(&searcher, &CatalogueSearcher::hitsFound,
                   [&](const std::vector<CatalogueHit>& batch) {
                     sizes.push_back(batch.size());
                     for (const CatalogueHit& hit : batch) paths.push_back(hit.path);
                   });
  QSignalSpy ended(&searcher, &CatalogueSearcher::searchEnded);
  searcher.search(queryOf("PHOTO"));
  ASSERT_TRUE(waitUntil([&] { return ended.count() == 1; }));
  EXPECT_EQ(ended.at(0).at(0).toULongLong(), uint64_t(kFolders * kFilesPerFolder));
  ASSERT_EQ(paths.size(), size_t(kFolders * kFilesPerFolder));
  EXPECT_TRUE(std::is_sorted(paths.begin(), paths.end()));
  EXPECT_EQ(paths.front(), root / "disk/folder000/photo0000.jpg");
  ASSERT_GE(sizes.size(), 2u);
  EXPECT_LE(sizes.front(), CatalogueSession::kFirstBatch);
}

TEST_F(CatalogueSearcherTest, ANewSearchAbandonsTheRunningOneAndOnlyItsMatchesArrive) {
  addScan("one");
  addScan("two");
  CatalogueSearcher searcher(path(), 1000000);
  std::vector<std::string> paths;
  QObject::connect(&searcher, &CatalogueSearcher::hitsFound,
                   [&](const std::vector<CatalogueHit>& batch) {
                     for (const CatalogueHit& hit : batch) paths.push_back(hit.path);
                   });
  QSignalSpy ended(&searcher, &CatalogueSearcher::searchEnded);
  // Typed one key after the other, faster than any search ends.
  for (const char* typed : {"p", "ph", "pho", "photo", "photo0", "photo00", "photo007"})
    searcher.search(queryOf(typed));
  ASSERT_TRUE(waitUntil([&] { return ended.count() >= 1; }));
  // The abandoned searches neither end nor deliver.
  QTest::qWait(100);
  ASSERT_EQ(ended.count(), 1);
  EXPECT_EQ(ended.at(0).at(0).toULongLong(), uint64_t(2 * kFolders * 10));
  ASSERT_EQ(paths.size(), size_t(2 * kFolders * 10));
  for (const std::string& path : paths) EXPECT_NE(path.find("photo007"), std::string::npos) << path;

  // Cancelled, nothing more comes; the next search still runs.
  searcher.search(queryOf("photo"));
  searcher.cancel();
  QTest::qWait(100);
  EXPECT_EQ(ended.count(), 1);
  searcher.search(queryOf("photo0119"));
  ASSERT_TRUE(waitUntil([&] { return ended.count() == 2; }));
  EXPECT_EQ(ended.at(1).at(0).toULongLong(), uint64_t(2 * kFolders));
}

TEST_F(CatalogueSearcherTest, PastTheMostKeptMatchesAreCountedNotHandedOver) {
  addScan("one");
  CatalogueSearcher searcher(path(), 500);
  size_t handed = 0;
  QObject::connect(&searcher, &CatalogueSearcher::hitsFound,
                   [&](const std::vector<CatalogueHit>& batch) { handed += batch.size(); });
  QSignalSpy ended(&searcher, &CatalogueSearcher::searchEnded);
  searcher.search(queryOf("*.JPG"));
  ASSERT_TRUE(waitUntil([&] { return ended.count() == 1; }));
  EXPECT_EQ(handed, 500u);
  EXPECT_EQ(ended.at(0).at(0).toULongLong(), uint64_t(kFolders * kFilesPerFolder));
}

}  // namespace
}  // namespace tallyfold::test
