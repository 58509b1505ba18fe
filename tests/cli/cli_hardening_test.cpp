// The real tallyfold-cli against what a careless or hostile user can hand it:
// devices, FIFOs and links as output, job files from pipes and devices,
// signals, closed pipes, control characters in names, and odd option values.

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

class CliHardeningTest : public CliFixture {
 protected:
  TempDir scratch;  // $TMPDIR of the runs

  std::map<std::string, std::string> env() const override {
    std::map<std::string, std::string> values = CliFixture::env();
    values["TMPDIR"] = scratch.path();
    values["CLI"] = cliPath();
    return values;
  }
  // A bash script with $CLI the program, run in the tree's folder.
  ProcessResult shell(const std::string& script) const {
    return runProgram("/bin/bash", {"-c", script}, env(), tree.path());
  }
  size_t scratchEntries() const {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(scratch.path())) {
      ++count;
    }
    return count;
  }
};

TEST_F(CliHardeningTest, OutputToDevicesFifosAndLinksKeepsThoseNodes) {
  tree.writeFile("in/a.txt", "a");
  // A link to /dev/null: the device is written, never replaced.
  auto result = shell("ln -s /dev/null out.rtf && \"$CLI\" -q -o out.rtf in");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_TRUE(std::filesystem::is_symlink(tree / "out.rtf"));
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));

  // A FIFO gets the text and stays a FIFO.
  result = shell("mkfifo p.txt && (cat p.txt > got.txt &) && \"$CLI\" -q -o p.txt in && wait");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_TRUE(std::filesystem::is_fifo(tree / "p.txt"));
  for (int i = 0; i < 100 && readFile(tree / "got.txt").empty(); ++i) usleep(20000);
  EXPECT_NE(readFile(tree / "got.txt").find("a.txt"), std::string::npos);

  // A link to a file is followed; the link stays and its target is replaced.
  result = shell("echo old > real.txt && ln -s real.txt list.txt && \"$CLI\" -q -o list.txt in");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_TRUE(std::filesystem::is_symlink(tree / "list.txt"));
  EXPECT_NE(readFile(tree / "real.txt").find("a.txt"), std::string::npos);

  // --records honours -o too, and standard output stays empty.
  result = run({"-q", "--records", "-o", tree / "records.txt", tree / "in"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_NE(readFile(tree / "records.txt").find("|a.txt|"), std::string::npos);
}

TEST_F(CliHardeningTest, NothingIsLeftBehindByClosedPipesKillsAndSignals) {
  for (int i = 0; i < 3000; ++i) tree.writeFile("big/f" + std::to_string(i) + ".txt", "x");
  // A reader that stops early ends the run quietly.
  auto result = shell("\"$CLI\" -q big | head -1 > /dev/null; echo \"${PIPESTATUS[0]}\"");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(scratchEntries(), 0u);

  // A killed run leaves neither a temporary report nor a half-written file.
  result = shell("timeout -s KILL 0.05 \"$CLI\" -q -o out.html big; ls -A");
  EXPECT_EQ(scratchEntries(), 0u);
  EXPECT_EQ(result.out.find(".out.html"), std::string::npos) << result.out;

  // SIGTERM during a CRC of a huge file ends the run at once, with 130, and
  // no output file. The sparse file would take minutes to read whole.
  result = shell(
      "truncate -s 200G huge/file.bin 2>/dev/null || { mkdir huge && truncate -s 200G "
      "huge/file.bin; }; timeout --preserve-status -k 20 -s TERM 1 \"$CLI\" -q --set "
      "Fields.CRC32=1 -o crc.txt huge; echo $?");
  EXPECT_EQ(result.out.substr(result.out.rfind('\n', result.out.size() - 2) + 1), "130\n")
      << result.out << result.err;
  EXPECT_FALSE(std::filesystem::exists(tree / "crc.txt"));
}

TEST_F(CliHardeningTest, SpecialFilesGetNoChecksumAndTheRunEnds) {
  tree.writeFile("d/plain.txt", "abc");
  ASSERT_EQ(symlink("/dev/zero", (tree / "d/zero").c_str()), 0);
  auto result = shell("mkfifo d/pipe && timeout -k 5 30 \"$CLI\" -q --set Fields.CRC32=1 d");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("352441C2"), std::string::npos) << result.out;  // CRC-32 of "abc"
}

TEST_F(CliHardeningTest, FilesWhoseColumnsCannotBeReadAreNamedWithExitOne) {
  const std::string locked = tree.writeFile("d/locked.txt", "secret");
  tree.writeFile("d/open.txt", "abc");
  ASSERT_EQ(chmod(locked.c_str(), 0), 0);
  ASSERT_EQ(chmod(tree.path().c_str(), 0755), 0);
  ASSERT_EQ(chmod(home.path().c_str(), 0777), 0);
  ASSERT_EQ(chmod(scratch.path().c_str(), 0777), 0);
  auto result = run({"-q", "--set", "Fields.CRC32=1", tree / "d"}, geteuid() == 0 ? 65534 : -1);
  EXPECT_EQ(result.exitCode, 1) << result.err;
  EXPECT_NE(result.err.find("cannot read '" + locked + "': Permission denied"), std::string::npos)
      << result.err;
  EXPECT_NE(result.out.find("352441C2"), std::string::npos) << result.out;
}

TEST_F(CliHardeningTest, JobFilesFromPipesDevicesAndEmptyFiles) {
  tree.writeFile("music/song.mp3", "x");
  const std::string job = home.writeFile(
      "job.dif", "Option1\r\nName\r\nAsc\r\nmono\r\n10\r\n" + tree / "music" + ",Yes,*.*,,3\r\n");
  auto result = shell("cat '" + job + "' | \"$CLI\" -q --records -j /dev/stdin");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("|song.mp3|"), std::string::npos);
  result = shell("\"$CLI\" -q --records -j <(sleep 0.2; cat '" + job + "')");
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.out.find("|song.mp3|"), std::string::npos);

  result = run({"-q", "-j", home.writeFile("empty.dif", "")});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("the job names no folders"), std::string::npos) << result.err;

  result = run({"-q", "-j", "/dev/zero"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("longer than 16 MiB"), std::string::npos) << result.err;
  result = run({"-q", "-j", home.writeFile("long.dif", "Option1\r\n" + std::string(70000, 'x'))});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("longer than 64 KiB"), std::string::npos) << result.err;
}

TEST_F(CliHardeningTest, MessagesShowControlCharactersAsEscapes) {
  tree.writeFile("dir\x1b[2Jclear/secret.txt", "s");
  ASSERT_EQ(chmod((tree / "dir\x1b[2Jclear").c_str(), 0), 0);
  ASSERT_EQ(chmod(tree.path().c_str(), 0755), 0);
  ASSERT_EQ(chmod(home.path().c_str(), 0777), 0);
  // As root every folder is readable: the program runs as nobody.
  auto result = run({"-q", "--records", tree.path()}, geteuid() == 0 ? 65534 : -1);
  ASSERT_EQ(chmod((tree / "dir\x1b[2Jclear").c_str(), 0755), 0);
  EXPECT_EQ(result.exitCode, 1) << result.err;
  EXPECT_EQ(result.err.find('\x1b'), std::string::npos);
  EXPECT_NE(result.err.find("dir\\e[2Jclear"), std::string::npos) << result.err;

  result = run({"-j", "/nonexistent/\x07\xff.dif"});
  EXPECT_EQ(result.err.find('\x07'), std::string::npos);
  EXPECT_NE(result.err.find("\\x07\\xFF.dif"), std::string::npos) << result.err;
}

TEST_F(CliHardeningTest, OddOptionValues) {
  auto result = run({"--help=foo"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("option '--help' takes no value"), std::string::npos) << result.err;
  result = run({"--nosuch=3"});
  EXPECT_NE(result.err.find("unknown option '--nosuch'"), std::string::npos) << result.err;

  // Help and version into a full disk are output failures.
  EXPECT_EQ(shell("\"$CLI\" --help > /dev/full").exitCode, 3);
  EXPECT_EQ(shell("\"$CLI\" --version > /dev/full").exitCode, 3);

  result = run({"-o", "", tree.path()});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("output file name is empty"), std::string::npos) << result.err;

  tree.writeFile("t/a.txt", "a");
  tree.writeFile("t/b.TXT", "b");
  tree.writeFile("t/c.jpg", "c");
  auto listed = [&](const std::string& filter) {
    const std::string out = run({"-q", "--records", "--filter", filter, tree / "t"}).out;
    std::string names;
    for (const char* name : {"a.txt", "b.TXT", "c.jpg"}) {
      if (out.find(std::string("|") + name + "|") != std::string::npos) names += name[0];
    }
    return names;
  };
  EXPECT_EQ(listed("txt"), "ab");
  EXPECT_EQ(listed("*.jpg"), "c");
  EXPECT_EQ(listed(""), "abc");
  EXPECT_EQ(listed("*"), "abc");
  EXPECT_EQ(listed("txt;jpg"), "abc");
}

}  // namespace
}  // namespace tallyfold::test
