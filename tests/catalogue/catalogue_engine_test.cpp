// The catalogue engine on real SQLite files: name patterns, the lazy tree with
// folder totals, stored records rebuilt in walk order, a search cancelled from
// another thread, the migration of a file made by the first schema, a file of
// the second read as it is and migrated for writing, files of a
// newer version or of another program refused untouched, an add killed with
// SIGKILL, and a reader searching while another process adds.

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "app/run_pipeline.h"
#include "catalogue/catalogue.h"
#include "catalogue/name_pattern.h"
#include "catalogue/schema.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace tallyfold::test {
namespace {

TEST(NamePattern, SubstringsGlobsClassesAndCaseAsTheUserMeansThem) {
  EXPECT_TRUE(NamePattern("holiday").matches("My HOLIDAY.jpg"));
  EXPECT_FALSE(NamePattern("holiday").isGlob());
  EXPECT_TRUE(NamePattern("*.flac").matches("Track 01.FLAC"));
  EXPECT_FALSE(NamePattern("*.flac").matches("Track 01.flac.part"));
  EXPECT_TRUE(NamePattern("IMG_20??*").matches("img_2023-01.jpg"));
  EXPECT_FALSE(NamePattern("IMG_20??*").matches("IMG_2.jpg"));
  EXPECT_TRUE(NamePattern("[ab]*").matches("Beta"));
  EXPECT_FALSE(NamePattern("[!ab]*").matches("beta"));
  EXPECT_TRUE(NamePattern("[0-9][0-9].txt").matches("42.txt"));
  EXPECT_TRUE(NamePattern("*[[]1]*").matches("a[1]b"));
  EXPECT_TRUE(NamePattern("a[").matches("xa[y"));  // an open class is plain text
  EXPECT_TRUE(NamePattern("*a*b*c").matches("xxaxxbxxbc"));
  EXPECT_TRUE(NamePattern("ÜBER").matches("Übersicht"));
  EXPECT_TRUE(NamePattern("?bc").matches("ébc"));
  // A byte that is not UTF-8 matches only itself, or a wildcard.
  EXPECT_TRUE(NamePattern("f\xE9").matches("caf\xE9.txt"));
  EXPECT_FALSE(NamePattern("f\xE8").matches("caf\xE9.txt"));
  EXPECT_TRUE(NamePattern("caf?.txt").matches("caf\xE9.txt"));
  // The index query holds the trigrams of the plain runs only.
  EXPECT_EQ(NamePattern("ab").indexQuery(), "");
  EXPECT_EQ(NamePattern("*.mp3").indexQuery(), "\".mp\" AND \"mp3\"");
  EXPECT_EQ(NamePattern("a\"bc").indexQuery(), "\"\"\"bc\" AND \"a\"\"b\"");
}

class CatalogueEngineTest : public ::testing::Test {
 protected:
  TempDir dir;
  TempDir tree;
  std::string path() const { return dir / "cat.sqlite"; }

  std::unique_ptr<Catalogue> open(CatalogueAccess access = CatalogueAccess::ReadWrite) {
    CatalogueError error;
    auto catalogue = Catalogue::open(path(), access, error);
    EXPECT_TRUE(catalogue) << error.message;
    return catalogue;
  }

  ScanResult scan(const std::string& folder) {
    RunSettings run;
    ScanLocation location;
    location.folder = folder;
    run.job.locations.push_back(location);
    run.job.reportType = ReportType::Tree;
    RunControl control;
    return scanJob(run, control);
  }

  int64_t add(Catalogue& catalogue, const std::string& label) {
    ScanResult result = scan(tree.path());
    NewScan added;
    added.label = label;
    ScanLocation location;
    location.folder = tree.path();
    added.locations.push_back(StoredLocation{location, {}});
    CatalogueError error;
    auto id = catalogue.addScan(added, result, nullptr, error);
    EXPECT_TRUE(id) << error.message;
    return id.value_or(0);
  }

  std::vector<std::string> find(Catalogue& catalogue, const std::string& pattern) {
    std::vector<std::string> paths;
    SearchQuery query;
    query.pattern = pattern;
    CatalogueError error;
    catalogue.search(
        query,
        [&](const SearchHit& hit) {
          paths.emplace_back(hit.path);
          return true;
        },
        nullptr, error);
    EXPECT_FALSE(error) << error.message;
    return paths;
  }

  void makeTree() {
    tree.writeFile("b.txt", "bb");
    tree.writeFile("a/one.txt", "1");
    tree.writeFile("a/two.txt", "22");
    tree.writeFile("a/deep/three.txt", "333");
    tree.makeDir("empty");
  }
};

TEST_F(CatalogueEngineTest, TreeChildrenCarrySubtreeTotalsAndRecordsComeBackInWalkOrder) {
  makeTree();
  auto catalogue = open();
  const int64_t id = add(*catalogue, "t");
  FolderChildren top;
  CatalogueError error;
  ASSERT_TRUE(catalogue->children(id, 0, top, error)) << error.message;
  ASSERT_EQ(top.folders.size(), 1u);
  EXPECT_EQ(top.folders[0].name, tree.path());
  EXPECT_EQ(top.folders[0].files, 4u);
  EXPECT_EQ(top.folders[0].bytes, 8u);
  FolderChildren below;
  ASSERT_TRUE(catalogue->children(id, top.folders[0].id, below, error));
  ASSERT_EQ(below.folders.size(), 2u);
  EXPECT_EQ(below.folders[0].name, "a");
  EXPECT_EQ(below.folders[0].files, 3u);
  EXPECT_EQ(below.folders[0].bytes, 6u);
  EXPECT_TRUE(below.folders[0].hasSubFolders);
  EXPECT_EQ(below.folders[1].name, "empty");
  EXPECT_FALSE(below.folders[1].hasSubFolders);
  ASSERT_EQ(below.files.size(), 1u);
  EXPECT_EQ(below.files[0].name, "b.txt");

  // The rebuilt records are the walk's, record for record.
  ScanResult live = scan(tree.path());
  StoredScan stored;
  ASSERT_TRUE(catalogue->loadScan(id, 0, stored, nullptr, error)) << error.message;
  ASSERT_EQ(stored.scan.records.size(), live.records.size());
  for (size_t i = 0; i < live.records.size(); ++i) {
    EXPECT_EQ(stored.scan.store.recordText(stored.scan.records[i]),
              live.store.recordText(live.records[i]))
        << i;
  }
  // One folder's subtree, with that folder as its location.
  StoredScan part;
  ASSERT_TRUE(catalogue->loadScan(id, below.folders[0].id, part, nullptr, error));
  EXPECT_EQ(part.info.locations.at(0).location.folder, tree / "a");
  EXPECT_EQ(part.scan.records.size(), 5u);  // a/, a/deep/ and three files
}

TEST_F(CatalogueEngineTest, SearchStopsWhenCancelledFromAnotherThread) {
  for (int i = 0; i < 2000; ++i) tree.writeFile("f/name " + std::to_string(i) + ".txt", "x");
  auto catalogue = open();
  add(*catalogue, "t");
  CancelFlag cancel{false};
  SearchQuery query;
  query.pattern = "name";
  uint64_t seen = 0;
  CatalogueError error;
  auto found = catalogue->search(
      query,
      [&](const SearchHit&) {
        if (++seen == 10) {
          std::thread([&cancel] { cancel.store(true); }).join();
        }
        return true;
      },
      &cancel, error);
  EXPECT_FALSE(found);
  EXPECT_EQ(error.fault, CatalogueFault::Cancelled);
  EXPECT_LT(seen, 2000u);
}

TEST_F(CatalogueEngineTest, FileOfTheFirstSchemaIsMigratedWithItsScans) {
  {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path().c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, kFirstSchema, nullptr, nullptr, nullptr), SQLITE_OK);
    const std::string header =
        "PRAGMA application_id = " + std::to_string(kCatalogueApplicationId) +
        "; PRAGMA user_version = 1;"
        "INSERT INTO scan VALUES(1, 'old', 1, 'h', 0, 0, 0, 0, 1, 0);";
    ASSERT_EQ(sqlite3_exec(db, header.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
  }
  makeTree();
  auto catalogue = open();
  std::vector<ScanSummary> scans;
  CatalogueError error;
  ASSERT_TRUE(catalogue->listScans(scans, error)) << error.message;
  ASSERT_EQ(scans.size(), 1u);
  EXPECT_EQ(scans[0].label, "old");
  // The second version's column takes an import's source.
  const std::string listing = dir / "l.json";
  EXPECT_EQ(runProgram(cliPath(), {"-q", "-o", listing, tree.path()},
                       {{"TALLYFOLD_HOME", dir / "home"}, {"XDG_CONFIG_HOME", dir / "config"}})
                .exitCode,
            0);
  ASSERT_TRUE(catalogue->importListing(listing, "imported", nullptr, error)) << error.message;
  catalogue.reset();
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path().c_str(), &db), SQLITE_OK);
  sqlite3_stmt* query = nullptr;
  sqlite3_prepare_v2(db,
                     "SELECT (SELECT user_version FROM pragma_user_version), source FROM scan"
                     " ORDER BY id DESC",
                     -1, &query, nullptr);
  ASSERT_EQ(sqlite3_step(query), SQLITE_ROW);
  EXPECT_EQ(sqlite3_column_int(query, 0), kCatalogueSchemaVersion);
  EXPECT_EQ(reinterpret_cast<const char*>(sqlite3_column_text(query, 1)), listing);
  sqlite3_finalize(query);
  sqlite3_close(db);
}

// A file of the second version with one scan of one file and its CRC-32.
void writeSecondVersionFile(const std::string& path) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, kFirstSchema, nullptr, nullptr, nullptr), SQLITE_OK);
  const std::string rows =
      "PRAGMA application_id = " + std::to_string(kCatalogueApplicationId) +
      "; PRAGMA user_version = 2;"
      "ALTER TABLE scan ADD COLUMN source TEXT NOT NULL DEFAULT '';"
      "INSERT INTO scan VALUES(1, 'old', 1, 'h', 4, 1, 1, 3, 1, 1, '');"
      "INSERT INTO location VALUES(1, 0, '/x', 1, '', 0, 1, '', '', '/', 'ext4');"
      "INSERT INTO folder VALUES(1, 1, NULL, '/x/', 0, 0, 1, 1, 1, 3);"
      "INSERT INTO file VALUES(1, 1, 'a.mp3', 3, 1, 0, 0);"
      "INSERT INTO file_detail(file, crc32) VALUES(1, 'ABCDEF01');";
  ASSERT_EQ(sqlite3_exec(db, rows.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
}

int64_t userVersionOf(const std::string& path) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_stmt* query = nullptr;
  sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &query, nullptr);
  const int64_t version = sqlite3_step(query) == SQLITE_ROW ? sqlite3_column_int64(query, 0) : -1;
  sqlite3_finalize(query);
  sqlite3_close(db);
  return version;
}

// The second version's file is read as it is by a reader, media facts
// empty, and taken up to the third version, rows kept, by a writer; after
// that its scans store media facts like any other's. A first version file
// still needs the update before it can be read.
TEST_F(CatalogueEngineTest, FileOfTheSecondVersionIsReadAsItIsAndMigratedForWriting) {
  writeSecondVersionFile(path());
  const std::string before = readFile(path());
  auto storedFile = [](Catalogue& catalogue, FileDetails& details) {
    StoredScan stored;
    CatalogueError error;
    ASSERT_TRUE(catalogue.loadScan(1, 0, stored, nullptr, error)) << error.message;
    ASSERT_EQ(stored.scan.store.folderCount(), 1u);
    ASSERT_EQ(stored.scan.store.folder(0).fileCount(), 1u);
    EXPECT_EQ(stored.scan.store.name({0, 0}), "a.mp3");
    EXPECT_TRUE(stored.info.summary.columns.crc32);
    EXPECT_FALSE(stored.info.summary.columns.media);
    stored.details.details({0, 0}, details);
  };
  auto reader = open(CatalogueAccess::ReadOnly);
  ASSERT_TRUE(reader);
  FileDetails details;
  storedFile(*reader, details);
  EXPECT_EQ(details.crc32, "ABCDEF01");
  EXPECT_EQ(details.media.durationMs, 0u);
  EXPECT_EQ(details.media.codec, "");
  EXPECT_EQ(readFile(path()), before);
  EXPECT_EQ(userVersionOf(path()), 2);

  {
    auto writer = open();
    ASSERT_TRUE(writer);
    storedFile(*writer, details);
    EXPECT_EQ(details.crc32, "ABCDEF01");
    tree.writeFile("b.txt", "bb");
    ScanResult result = scan(tree.path());
    NewScan added;
    added.locations.push_back(StoredLocation{ScanLocation{}, {}});
    added.locations.back().location.folder = tree.path();
    added.columns.media = true;
    CatalogueError error;
    const auto id = writer->addScan(added, result, nullptr, error);
    ASSERT_TRUE(id) << error.message;
    std::vector<ScanSummary> scans;
    ASSERT_TRUE(writer->listScans(scans, error));
    ASSERT_EQ(scans.size(), 2u);
    EXPECT_TRUE(scans[1].columns.media);
    EXPECT_FALSE(scans[1].columns.crc32);
  }
  EXPECT_EQ(userVersionOf(path()), kCatalogueSchemaVersion);
  // The reader opened before the update reads the facts stored since.
  {
    sqlite3* db = nullptr;
    sqlite3_open(path().c_str(), &db);
    sqlite3_exec(db, "UPDATE file_detail SET width = 640, codec = 'MP3' WHERE file = 1", nullptr,
                 nullptr, nullptr);
    sqlite3_close(db);
  }
  storedFile(*reader, details);
  EXPECT_EQ(details.media.width, 640u);
  EXPECT_EQ(details.media.codec, "MP3");

  const std::string first = dir / "first.sqlite";
  {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(first.c_str(), &db), SQLITE_OK);
    const std::string header = std::string(kFirstSchema) + "PRAGMA application_id = " +
                               std::to_string(kCatalogueApplicationId) +
                               "; PRAGMA user_version = 1;";
    ASSERT_EQ(sqlite3_exec(db, header.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
  }
  CatalogueError error;
  EXPECT_FALSE(Catalogue::open(first, CatalogueAccess::ReadOnly, error));
  EXPECT_EQ(error.fault, CatalogueFault::ReadOnly);
}

TEST_F(CatalogueEngineTest, NewerOrForeignFilesAreRefusedUntouched) {
  makeTree();
  add(*open(), "t");
  {
    sqlite3* db = nullptr;
    sqlite3_open(path().c_str(), &db);
    sqlite3_exec(db, "PRAGMA user_version = 99", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
  const std::string before = readFile(path());
  for (auto access : {CatalogueAccess::ReadWrite, CatalogueAccess::ReadOnly}) {
    CatalogueError error;
    EXPECT_FALSE(Catalogue::open(path(), access, error));
    EXPECT_EQ(error.fault, CatalogueFault::NewerSchema);
  }
  EXPECT_EQ(readFile(path()), before);

  const std::string other = dir / "other.sqlite";
  sqlite3* db = nullptr;
  sqlite3_open(other.c_str(), &db);
  sqlite3_exec(db, "CREATE TABLE notes(text)", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  const std::string otherBefore = readFile(other);
  CatalogueError error;
  EXPECT_FALSE(Catalogue::open(other, CatalogueAccess::ReadWrite, error));
  EXPECT_EQ(error.fault, CatalogueFault::NotCatalogue);
  EXPECT_EQ(readFile(other), otherBefore);

  // A catalogue whose pages were overwritten after the first.
  {
    sqlite3* fix = nullptr;
    sqlite3_open(path().c_str(), &fix);
    const std::string current = "PRAGMA user_version = " + std::to_string(kCatalogueSchemaVersion);
    sqlite3_exec(fix, current.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(fix);
  }
  std::string bytes = readFile(path());
  for (size_t at = 4096; at < bytes.size(); ++at) bytes[at] = static_cast<char>(at * 7);
  const std::string broken = dir.writeFile("broken.sqlite", bytes);
  auto damaged = Catalogue::open(broken, CatalogueAccess::ReadWrite, error);
  if (damaged) {
    std::vector<ScanSummary> scans;
    SearchQuery query;
    query.pattern = "one";
    if (damaged->listScans(scans, error)) {
      damaged->search(
          query, [](const SearchHit&) { return true; }, nullptr, error);
    }
  }
  EXPECT_EQ(error.fault, CatalogueFault::NotCatalogue) << error.message;
  damaged.reset();
  EXPECT_EQ(readFile(broken), bytes);
}

// The child adds a scan of many files; it is killed in the middle.
TEST_F(CatalogueEngineTest, AddKilledHalfwayLeavesTheEarlierScansIntact) {
  tree.writeFile("first.txt", "1");
  add(*open(), "first");
  for (int i = 0; i < 20000; ++i) {
    tree.writeFile("bulk/" + std::to_string(i % 50) + "/file number " + std::to_string(i), "");
  }
  const std::string wal = path() + "-wal";
  const std::string catalogueArg = path(), treeArg = tree.path(), home = dir / "home";
  // Killed once the add has begun to write its transaction into the log;
  // an add that finished first is taken out again and the kill retried.
  bool killed = false;
  for (int attempt = 0; attempt < 8 && !killed; ++attempt) {
    const pid_t child = fork();
    if (child == 0) {
      const char* args[] = {
          TALLYFOLD_CLI_PATH, "-q",   "--catalogue", catalogueArg.c_str(), "--add",
          treeArg.c_str(),    nullptr};
      setenv("TALLYFOLD_HOME", home.c_str(), 1);
      execv(args[0], const_cast<char* const*>(args));
      _exit(127);
    }
    std::error_code ignored;
    int status = 0;
    pid_t ended = 0;
    while ((ended = waitpid(child, &status, WNOHANG)) == 0 &&
           std::filesystem::file_size(wal, ignored) + 1 <
               static_cast<uintmax_t>(4096 + attempt * 32768) + 1) {
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    if (ended == 0) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
    }
    // A kill that landed after the commit leaves the whole scan, never part
    // of one; that scan is taken out again and the kill retried.
    auto catalogue = open();
    std::vector<ScanSummary> scans;
    CatalogueError error;
    ASSERT_TRUE(catalogue->listScans(scans, error));
    killed = WIFSIGNALED(status) && scans.size() == 1;
    if (scans.size() == 2) {
      EXPECT_EQ(scans.back().files, 20001u);
      ASSERT_TRUE(catalogue->removeScan(scans.back().id, error));
    }
  }
  ASSERT_TRUE(killed) << "every add ended before it was killed";

  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path().c_str(), &db), SQLITE_OK);
  sqlite3_stmt* check = nullptr;
  sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr);
  ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok");
  sqlite3_finalize(check);
  sqlite3_close(db);
  auto catalogue = open();
  std::vector<ScanSummary> scans;
  CatalogueError error;
  ASSERT_TRUE(catalogue->listScans(scans, error));
  ASSERT_EQ(scans.size(), 1u);
  EXPECT_EQ(scans[0].label, "first");
  EXPECT_EQ(find(*catalogue, "file number").size(), 0u);
  EXPECT_EQ(find(*catalogue, "first").size(), 1u);
  // The next add goes in whole.
  add(*catalogue, "second");
  EXPECT_EQ(find(*catalogue, "file number").size(), 20000u);
}

TEST_F(CatalogueEngineTest, ReaderSearchesWhileAnotherProcessAdds) {
  tree.writeFile("first.txt", "1");
  add(*open(), "first");
  for (int i = 0; i < 10000; ++i) tree.writeFile("bulk/n" + std::to_string(i), "");
  std::atomic<bool> done{false};
  ProcessResult adder;
  std::thread writer([&] {
    adder = runProgram(cliPath(), {"-q", "--catalogue", path(), "--add", tree.path()},
                       {{"TALLYFOLD_HOME", dir / "home"}});
    done = true;
  });
  auto reader = open(CatalogueAccess::ReadOnly);
  int searches = 0;
  while (!done) {
    const size_t seen = find(*reader, "first").size();
    EXPECT_TRUE(seen == 1 || seen == 2) << seen;  // the add's scan whole or not at all
    ++searches;
  }
  writer.join();
  EXPECT_EQ(adder.exitCode, 0) << adder.err;
  EXPECT_GT(searches, 0);
  EXPECT_EQ(find(*reader, "first").size(), 2u);
}

}  // namespace
}  // namespace tallyfold::test
