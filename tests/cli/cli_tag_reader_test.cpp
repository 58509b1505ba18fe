// The tag columns of the real program over files made to break a tag parser:
// each sits beside good tagged files, and the run must list the good ones
// with their tags, name the bad one, and end in seconds under a memory limit.

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>

#include "cli/cli_fixture.h"
#include "platform/sanitized_build.h"
#include "support/hostile_media.h"

namespace tallyfold::test {
namespace {

constexpr bool kSanitized = kSanitizedBuild;

const std::string kTagColumns =
    "--set Fields.Title=1 --set Fields.Artist=1 --set Fields.Album=1 --set Fields.Year=1 "
    "--set Fields.Genre=1 --set Fields.Comment=1";

class CliTagReaderTest : public CliFixture {
 protected:
  std::map<std::string, std::string> env() const override {
    auto values = CliFixture::env();
    values["CLI"] = cliPath();
    return values;
  }
  // The program under a 1 GiB address space (the sanitizers' shadow memory
  // cannot live under one), timed.
  ProcessResult listWithTags(const std::string& folder, const std::string& output,
                             double& seconds) const {
    const std::string limit = kSanitized ? "" : "ulimit -v 1048576; ";
    const auto start = std::chrono::steady_clock::now();
    ProcessResult result =
        runProgram("/bin/bash",
                   {"-c", limit + "exec timeout -k 5 60 \"$CLI\" -q " + kTagColumns + " -o '" +
                              output + "' '" + folder + "'"},
                   env(), tree.path());
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return result;
  }
  void writeGoodFiles(const std::string& folder) const {
    tree.writeFile(folder + "/a good.mp3",
                   taggedMp3("First Song", "Some Band", "The Album", "1999", "Jazz", "liked"));
    tree.writeFile(folder + "/z good.mp3",
                   taggedMp3("Last Song", "Other Band", "B Sides", "2004", "Rock", "fine"));
  }
};

TEST_F(CliTagReaderTest, AHostileFileCostsItsOwnTagsOnly) {
  struct Case {
    const char* name;
    std::string bytes;
    bool named;  // whether the reader fails on it (rather than finding nothing)
  };
  const Case cases[] = {
      {"chapters.mp3", nestedChapterMp3(20000), true},
      {"atoms.m4a", nestedAtomM4a(60000), true},
      {"bomb.mp3", compressedPrivMp3(300u << 20), false},
  };
  for (const Case& hostile : cases) {
    const std::string folder = std::string("case-") + hostile.name;
    writeGoodFiles(folder);
    tree.writeFile(folder + "/" + hostile.name, hostile.bytes);
    for (const char* output : {"list.txt", "list.csv", "list.json"}) {
      double seconds = 0;
      const std::string path = home / (folder + output);
      ProcessResult result = listWithTags(tree / folder, path, seconds);
      SCOPED_TRACE(std::string(hostile.name) + " " + output);
      EXPECT_TRUE(result.exitCode == 0 || result.exitCode == 1) << result.exitCode << result.err;
      EXPECT_LT(seconds, 10.0);
      const std::string listed = readFile(path);
      for (const char* text : {"First Song", "Some Band", "The Album", "1999", "Last Song",
                               "Other Band", "B Sides", "2004", "Rock"}) {
        EXPECT_NE(listed.find(text), std::string::npos) << text << "\n" << listed;
      }
      EXPECT_NE(listed.find(hostile.name), std::string::npos);
      if (hostile.named) {
        EXPECT_NE(result.err.find(std::string(hostile.name) + ": no tags read"), std::string::npos)
            << result.err;
      }
      EXPECT_EQ(result.err.find("good.mp3"), std::string::npos) << result.err;
    }
  }
}

TEST_F(CliTagReaderTest, HugeSparseFilesAreNotReadToTheirEnd) {
  writeGoodFiles("sparse");
  writeSparseFile(tree / "sparse/huge.ogg", 4ULL << 30);
  writeSparseFile(tree / "sparse/huge.flac", 4ULL << 30);
  double seconds = 0;
  ProcessResult result = listWithTags(tree / "sparse", home / "sparse.txt", seconds);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_LT(seconds, 5.0);
  const std::string listed = readFile(home / "sparse.txt");
  EXPECT_NE(listed.find("First Song"), std::string::npos) << listed;
  EXPECT_NE(listed.find("huge.ogg"), std::string::npos) << listed;
}

TEST_F(CliTagReaderTest, SigtermEndsARunBusyWithTagReadsWithinASecond) {
  tree.makeDir("many");
  for (int i = 0; i < 400; ++i) {
    writeSparseFile(tree / ("many/f" + std::to_string(i) + ".flac"), 4ULL << 30);
  }
  // The run is stopped 0.5 s in; the shell reports how long it took in all.
  const auto start = std::chrono::steady_clock::now();
  ProcessResult result =
      runProgram("/bin/bash",
                 {"-c", "timeout --preserve-status -k 10 -s TERM 0.5 \"$CLI\" -q " + kTagColumns +
                            " -o out.txt many; echo $?"},
                 env(), tree.path());
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, 1.5) << result.out << result.err;
  EXPECT_EQ(result.out, "130\n") << result.err;
  // No reader of this run outlives it (readers keep the run's folder as
  // theirs; others may run beside this test).
  usleep(100000);
  ProcessResult readers = runProgram(
      "/bin/bash", {"-c", "for p in $(pgrep -x tallyfold-reade); do readlink /proc/$p/cwd; done"});
  EXPECT_EQ(readers.out.find(tree.path()), std::string::npos) << readers.out;
}

}  // namespace
}  // namespace tallyfold::test

namespace tallyfold::test {
namespace {

TEST_F(CliTagReaderTest, RowsKeepTheirOwnTagsAcrossBatchesAndACrash) {
  for (int i = 0; i < 70; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "s%02d", i);
    tree.writeFile(
        std::string("album/") + name + ".mp3",
        i == 33 ? nestedChapterMp3(20000)
                : taggedMp3(std::string("Song ") + name, "Band", "Album", "2000", "Jazz", ""));
  }
  tree.writeFile("album/notes.txt", "not audio");
  for (const std::string output : {"album.txt", "album.csv"}) {
    SCOPED_TRACE(output);
    double seconds = 0;
    ProcessResult result = listWithTags(tree / "album", home / output, seconds);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    const std::string listed = readFile(home / output);
    size_t at = 0;
    for (int i = 0; i < 70; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "s%02d", i);
      const size_t row = listed.find(std::string(name) + ".mp3", at);
      ASSERT_NE(row, std::string::npos) << name;
      const std::string line = listed.substr(row, listed.find('\n', row) - row);
      EXPECT_EQ(line.find(std::string("Song ") + name) != std::string::npos, i != 33) << line;
      at = row + 1;
    }
    EXPECT_NE(result.err.find("s33.mp3: no tags read"), std::string::npos) << result.err;
  }
}

}  // namespace
}  // namespace tallyfold::test
