// tallyfold-cli --compare on real trees: two scans of a tree changed between
// them (added, removed, grown and touched files), listing against listing,
// listing against a folder or its own locations, checksums, and the exit
// statuses diff has (0 the same, 1 differences, 2 trouble).

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/temp_dir.h"
#include "tests/cli/cli_fixture.h"

namespace tallyfold::test {
namespace {

constexpr int64_t kTime = 1700000000;

class CliCompareTest : public CliFixture {
 protected:
  void file(const std::string& relative, std::string_view bytes, int64_t mtime = kTime) const {
    TempDir::setMtime(tree.writeFile(relative, bytes), mtime);
  }
  std::string listing(const std::string& name, std::vector<std::string> extra = {}) const {
    const std::string out = home / name;
    std::vector<std::string> args = {"-q", "-o", out};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(tree.path());
    auto result = run(args);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return out;
  }
  void makeTree() const {
    file("keep.txt", "same");
    file("grow.txt", "small");
    file("touch.txt", "time");
    file("gone.txt", "bye");
    file("sub/deep/stay.txt", "deep");
    file("odd\nname\xFF.txt", "odd");
  }
  void changeTree() const {
    file("grow.txt", "small and then some");
    file("touch.txt", "time", kTime + 60);
    std::filesystem::remove(tree / "gone.txt");
    file("sub/deep/new.txt", "new");
    file("renamed.txt", "same");
  }
};

constexpr const char* kChanges =
    "- gone.txt\n"
    "~ grow.txt\n"
    "+ renamed.txt\n"
    "+ sub/deep/new.txt\n"
    "~ touch.txt\n"
    "2 added, 1 removed, 2 changed\n";

TEST_F(CliCompareTest, TwoListingsOfAChangedTree) {
  makeTree();
  const std::string before = listing("before.json");
  changeTree();
  const std::string after = listing("after.json");
  auto result = run({"--compare", before, after});
  EXPECT_EQ(result.exitCode, 1) << result.err;
  EXPECT_EQ(result.out, kChanges);
  auto reverse = run({"--compare", after, before});
  EXPECT_EQ(reverse.exitCode, 1) << reverse.err;
  EXPECT_EQ(reverse.out,
            "+ gone.txt\n~ grow.txt\n- renamed.txt\n- sub/deep/new.txt\n~ touch.txt\n"
            "1 added, 2 removed, 2 changed\n");
}

TEST_F(CliCompareTest, ListingAgainstTheFolderOrItsOwnLocations) {
  makeTree();
  const std::string before = listing("before.json");
  changeTree();
  auto named = run({"-q", "--compare", before, tree.path()});
  EXPECT_EQ(named.exitCode, 1) << named.err;
  EXPECT_EQ(named.out, kChanges);
  auto own = run({"-q", "--compare", before});
  EXPECT_EQ(own.exitCode, 1) << own.err;
  EXPECT_EQ(own.out, kChanges);
}

TEST_F(CliCompareTest, SameTreeExitsZero) {
  makeTree();
  const std::string before = listing("before.json");
  const std::string again = listing("again.json");
  for (const auto& args : {std::vector<std::string>{"--compare", before, again},
                           {"-q", "--compare", before, tree.path()},
                           {"-q", "--compare", before}}) {
    auto result = run(args);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "0 added, 0 removed, 0 changed\n");
  }
}

TEST_F(CliCompareTest, ACopyElsewhereComparesByPathsBelowItsFolder) {
  makeTree();
  const std::string before = listing("before.json");
  TempDir copy;
  std::filesystem::copy(
      tree.path(), copy.path(),
      std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
  for (const char* name : {"keep.txt", "grow.txt", "touch.txt", "gone.txt", "sub/deep/stay.txt",
                           "odd\nname\xFF.txt"}) {
    TempDir::setMtime(copy / name, kTime);
  }
  auto result = run({"-q", "--compare", before, copy.path()});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "0 added, 0 removed, 0 changed\n");
}

TEST_F(CliCompareTest, ChecksumCountsWhenTheListingHasOne) {
  file("same-size.txt", "abcd");
  const std::string withCrc = listing("crc.json", {"--set", "Fields.CRC32=1"});
  const std::string withoutCrc = listing("plain.json");
  file("same-size.txt", "wxyz");  // same size, same time, other bytes
  auto checked = run({"-q", "--compare", withCrc, tree.path()});
  EXPECT_EQ(checked.exitCode, 1) << checked.err;
  EXPECT_EQ(checked.out, "~ same-size.txt\n0 added, 0 removed, 1 changed\n");
  auto unchecked = run({"-q", "--compare", withoutCrc, tree.path()});
  EXPECT_EQ(unchecked.exitCode, 0) << unchecked.err;
  const std::string newCrc = listing("crc2.json", {"--set", "Fields.CRC32=1"});
  auto listings = run({"--compare", withCrc, newCrc});
  EXPECT_EQ(listings.exitCode, 1) << listings.err;
  EXPECT_EQ(listings.out, "~ same-size.txt\n0 added, 0 removed, 1 changed\n");
}

TEST_F(CliCompareTest, BrokenOrMissingListingExitsTwo) {
  file("a.txt", "a");
  const std::string good = listing("good.json");
  const std::string cut = home.writeFile("cut.json", readFile(good).substr(0, 120));
  const std::string other = home.writeFile("other.json", "[1, 2, 3]");
  const std::string badTime = home.writeFile(
      "time.json", R"({"files": [{"folder": "/x", "name": "y", "size": 1, "modified": "May"}]})");
  const std::vector<std::pair<std::string, std::string>> cases = {
      {cut, "cut.json' is no listing"},
      {other, "other.json' is no listing: the document is not an object"},
      {badTime, "the time \"May\" is not ISO 8601"},
      {home / "missing.json", "cannot read"},
  };
  for (const auto& [path, message] : cases) {
    auto asOld = run({"-q", "--compare", path, tree.path()});
    EXPECT_EQ(asOld.exitCode, 2) << path;
    EXPECT_NE(asOld.err.find(message), std::string::npos) << asOld.err;
    EXPECT_TRUE(asOld.out.empty());
    auto asNew = run({"-q", "--compare", good, path});
    EXPECT_EQ(asNew.exitCode, 2) << path;
    EXPECT_NE(asNew.err.find(message), std::string::npos) << asNew.err;
  }
  auto tooMany = run({"--compare", good, tree.path(), tree.path()});
  EXPECT_EQ(tooMany.exitCode, 2);
}

// Hostile listings end the comparison with a message, never with a crash:
// nesting far deeper than any listing, bytes after the document (behind a NUL
// byte the parser would take for the end), and a file of nothing but NULs.
TEST_F(CliCompareTest, DeepOrTrailingOrNulListingsAreNoListings) {
  file("a.txt", "a");
  const std::string good = listing("good.json");
  const std::string goodBytes = readFile(good);
  const std::string nul(1, '\0');
  const std::vector<std::pair<std::string, std::string>> cases = {
      {home.writeFile("deep.json", "{\"x\":" + std::string(60000, '[')),
       "it nests deeper than 64 levels"},
      {home.writeFile("deepObjects.json",
                      [] {
                        std::string text;
                        for (int i = 0; i < 60000; ++i) text += "{\"files\":";
                        return text;
                      }()),
       "it nests deeper than 64 levels"},
      {home.writeFile("trailing.json", goodBytes + nul + "garbage"), "bytes follow the document"},
      {home.writeFile("second.json", goodBytes + goodBytes), "bytes follow the document"},
      {home.writeFile("nul.json", std::string(4096, '\0')), "it holds a NUL byte (at byte 0)"},
      {home.writeFile("inner.json", goodBytes.substr(0, 40) + nul + goodBytes.substr(40)),
       "it holds a NUL byte"},
  };
  for (const auto& [path, message] : cases) {
    auto result = run({"-q", "--compare", path, tree.path()});
    EXPECT_EQ(result.exitCode, 2) << path << ": " << result.err;
    EXPECT_NE(result.err.find(" is no listing: " + message), std::string::npos) << result.err;
    EXPECT_TRUE(result.out.empty()) << result.out;
  }
  // Blanks after the document are allowed, as JSON allows them.
  const std::string blanks = home.writeFile("blanks.json", goodBytes + " \n\t\r\n");
  auto same = run({"-q", "--compare", blanks, tree.path()});
  EXPECT_EQ(same.exitCode, 0) << same.err;
  EXPECT_EQ(same.out, "0 added, 0 removed, 0 changed\n");
}

TEST_F(CliCompareTest, FolderTheNewScanCannotReadIsTrouble) {
  file("open/ok.txt", "1");
  file("closed/secret.txt", "2");
  const std::string before = listing("before.json");
  ASSERT_EQ(chmod(tree.path().c_str(), 0755), 0);
  ASSERT_EQ(chmod((tree / "closed").c_str(), 0), 0);
  ASSERT_EQ(chmod(home.path().c_str(), 0777), 0);
  // As root every folder is readable: run the program as nobody instead.
  const int asUser = geteuid() == 0 ? 65534 : -1;
  auto result = runProgram(cliPath(), {"-q", "--compare", before}, env(), {}, asUser);
  EXPECT_EQ(result.exitCode, 2) << result.err;
  EXPECT_NE(result.err.find(tree / "closed"), std::string::npos) << result.err;
  // What it could not read looks removed; the exit status says not to trust it.
  EXPECT_EQ(result.out, "- closed/secret.txt\n0 added, 1 removed, 0 changed\n");
}

}  // namespace
}  // namespace tallyfold::test
