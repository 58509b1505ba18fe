// The SHA-256 column, the tag columns of audio files and --skip-hidden
// through the real tallyfold-cli.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/temp_dir.h"
#include "tests/cli/cli_fixture.h"

namespace tallyfold::test {
namespace {

class CliNewColumnsTest : public CliFixture {
 protected:
  // The listing's file rows as name -> last field, names without blanks.
  static std::map<std::string, std::string> lastFields(const std::string& out) {
    std::map<std::string, std::string> rows;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
      std::istringstream words(line);
      std::vector<std::string> fields;
      for (std::string word; words >> word;) fields.push_back(word);
      if (fields.size() >= 2 && fields.back().size() == 64) rows[fields.front()] = fields.back();
      if (fields.size() == 1 && line.find("  ") != std::string::npos) rows[fields.front()] = "";
    }
    return rows;
  }
};

std::string randomBytes(size_t size, unsigned seed) {
  std::mt19937 generator(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(generator());
  return bytes;
}

std::string sha256sumOf(const std::string& path) {
  ProcessResult result = runProgram("/usr/bin/sha256sum", {path});
  return result.out.substr(0, 64);
}

const std::vector<std::string> kOnlyNames = {"-q", "--set", "Fields.Size=0", "--set",
                                             "Fields.Date=0"};

std::vector<std::string> with(std::vector<std::string> args, const std::vector<std::string>& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

TEST_F(CliNewColumnsTest, Sha256ColumnAgreesWithSha256sumInRowOrder) {
  // Many files in one folder, large and small mixed, so the helpers that
  // hash ahead of the rows finish out of order.
  std::vector<std::string> names;
  for (int i = 0; i < 40; ++i) {
    const std::string name = "f" + std::to_string(100 + i);
    const size_t size = i % 7 == 0 ? 3 * 1024 * 1024 + static_cast<size_t>(i) : (i * 37) % 5;
    tree.writeFile("d/" + name, randomBytes(size, static_cast<unsigned>(i)));
    names.push_back(name);
  }
  tree.writeFile("d/one", "x");
  tree.writeFile("d/empty");
  names.push_back("one");
  names.push_back("empty");
  auto result = run(with(kOnlyNames, {"--set", "Fields.SHA256=1", tree / "d"}));
  ASSERT_EQ(result.exitCode, 0) << result.err;
  std::map<std::string, std::string> rows = lastFields(result.out);
  ASSERT_EQ(rows.size(), names.size()) << result.out;
  for (const std::string& name : names) {
    EXPECT_EQ(rows[name], sha256sumOf(tree / ("d/" + name))) << name;
  }
  // Rows in name order, each as wide as the heading's separator: the
  // column is "  " and 64 digits.
  EXPECT_LT(result.out.find("empty "), result.out.find("f100 "));
  EXPECT_LT(result.out.find("f100 "), result.out.find("f139 "));
  EXPECT_NE(result.out.find(std::string(42 + 66, '-')), std::string::npos);
  EXPECT_EQ(result.out.find(std::string(42 + 67, '-')), std::string::npos);
}

TEST_F(CliNewColumnsTest, Sha256OffLeavesTheReportAsItWas) {
  tree.writeFile("d/a.txt", "abc");
  tree.writeFile("d/b.mp3", "not audio");
  auto plain = run({"-q", tree / "d"});
  auto off = run({"-q", "--set", "Fields.SHA256=0", tree / "d"});
  ASSERT_EQ(plain.exitCode, 0);
  EXPECT_EQ(plain.out, off.out);
  EXPECT_EQ(plain.out.find("ba7816bf"), std::string::npos);
  auto on = run({"-q", "--set", "Fields.SHA256=1", tree / "d"});
  EXPECT_NE(on.out.find("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"),
            std::string::npos);
}

TEST_F(CliNewColumnsTest, UnreadableFilesGetAnEmptyDigestAndExitOne) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to run as nobody";
  const std::string locked = tree.writeFile("d/locked.bin", "secret");
  tree.writeFile("d/open.bin", "abc");
  ASSERT_EQ(chmod(locked.c_str(), 0), 0);
  ASSERT_EQ(chmod(tree.path().c_str(), 0755), 0);
  ASSERT_EQ(chmod(home.path().c_str(), 0777), 0);
  auto result = run(with(kOnlyNames, {"--set", "Fields.SHA256=1", tree / "d"}), 65534);
  EXPECT_EQ(result.exitCode, 1) << result.err;
  EXPECT_NE(result.err.find("cannot read '" + locked + "': Permission denied"), std::string::npos)
      << result.err;
  std::map<std::string, std::string> rows = lastFields(result.out);
  EXPECT_EQ(rows["open.bin"], "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(rows["locked.bin"], "") << result.out;
  // Named once, though both checksum columns failed on it.
  auto both = run(
      with(kOnlyNames, {"--set", "Fields.SHA256=1", "--set", "Fields.CRC32=1", tree / "d"}), 65534);
  EXPECT_EQ(both.exitCode, 1);
  EXPECT_EQ(both.err.find("locked.bin"), both.err.rfind("locked.bin")) << both.err;
}

TEST_F(CliNewColumnsTest, ListingsCarryTheSha256) {
  tree.writeFile("d/a.txt", "abc");
  const std::string out = tree / "list.csv";
  auto result = run({"-q", "--set", "Fields.SHA256=1", "-o", out, tree / "d"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const std::string csv = readFile(out);
  EXPECT_NE(csv.find(",sha256"), std::string::npos) << csv;
  EXPECT_NE(csv.find(",ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"),
            std::string::npos)
      << csv;
}

TEST_F(CliNewColumnsTest, TagColumnsReadOnlyFilesNamedAsAudio) {
  const std::string tag = "TAG" + std::string("Song") + std::string(26, '\0') + "Band" +
                          std::string(26, '\0') + std::string(30, '\0') + "1999" +
                          std::string(30, '\0') + "\x11";
  tree.writeFile("m/song.mp3", "audio" + tag);
  tree.writeFile("m/song.dat", "audio" + tag);
  auto result = run(with(kOnlyNames, {"--set", "Fields.Title=1", "--set", "Settings.ColSize=10",
                                      "--set", "Fields.RemoveBlankSpaces=1", tree / "m"}));
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("song.mp3     Song"), std::string::npos) << result.out;
  EXPECT_EQ(result.out.find("song.dat     Song"), std::string::npos) << result.out;
}

TEST_F(CliNewColumnsTest, SkipHiddenNeitherEntersNorListsDotFolders) {
  tree.writeFile("repo/.git/config", "x");
  tree.writeFile("repo/.git/objects/ab/cdef", "x");
  tree.writeFile("repo/.cache/blob", "x");
  tree.writeFile("repo/src/main.c", "x");
  tree.writeFile("repo/src/.hidden-inside/deep.c", "x");
  tree.writeFile("repo/README", "x");
  auto records = [&](std::vector<std::string> extra) {
    std::vector<std::string> args = {"-q", "--records", "-r", "tree"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(tree / "repo");
    return run(args);
  };
  auto all = records({});
  ASSERT_EQ(all.exitCode, 0) << all.err;
  EXPECT_NE(all.out.find("/.git/objects/ab/"), std::string::npos) << all.out;
  EXPECT_NE(all.out.find("/repo/.cache/"), std::string::npos);

  auto skipped = records({"--skip-hidden"});
  ASSERT_EQ(skipped.exitCode, 0) << skipped.err;
  EXPECT_EQ(skipped.out.find(".git"), std::string::npos) << skipped.out;
  EXPECT_EQ(skipped.out.find(".cache"), std::string::npos) << skipped.out;
  EXPECT_EQ(skipped.out.find(".hidden-inside"), std::string::npos) << skipped.out;
  EXPECT_NE(skipped.out.find("/repo/src/|main.c|"), std::string::npos) << skipped.out;
  // As find would list them: every path without a "/." below the location.
  ProcessResult found = runProgram(
      "/bin/sh",
      {"-c", "cd '" + tree / "repo" + "' && find . -mindepth 1 -not -path '*/.*' | wc -l"});
  size_t lines = 0;
  for (char c : skipped.out) lines += c == '\n';
  // Records: the location's own folder record, then one per folder and file.
  EXPECT_EQ(std::to_string(lines - 1) + "\n", found.out) << skipped.out;

  // A location that is itself a dot folder is still walked.
  auto named = run({"-q", "--records", "--skip-hidden", tree / "repo/.git"});
  EXPECT_NE(named.out.find("|config|"), std::string::npos) << named.out;
}

}  // namespace
}  // namespace tallyfold::test
