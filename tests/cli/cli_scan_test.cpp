// The real tallyfold-cli on real folders: records, usage errors, exit statuses,
// and that it leaves the user's settings and application folder untouched.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/temp_dir.h"
#include "tests/cli/cli_fixture.h"

namespace tallyfold::test {
namespace {

class CliTest : public CliFixture {
 protected:
};

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0, end;
  while ((end = text.find(separator, start)) != std::string::npos) {
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  if (start < text.size()) parts.push_back(text.substr(start));
  return parts;
}

std::vector<std::string> sorted(std::vector<std::string> lines) {
  std::sort(lines.begin(), lines.end());
  return lines;
}

TEST_F(CliTest, RecordsListFilesAndFoldersByReportType) {
  tree.makeSizedFile("a.txt", 1234);
  tree.makeSizedFile("Sub/b.mp3", 5);
  tree.makeSizedFile("Sub/.hidden.txt", 1);
  tree.writeFile("README");
  std::string root = tree.path();

  auto details = run({"--records", "-q", root + "/"});
  ASSERT_EQ(details.exitCode, 0) << details.err;
  EXPECT_EQ(sorted(split(details.out, '\n')),
            sorted({root + "/|README|000000000000000", root + "/|a.txt|000000000001234",
                    root + "/Sub/|b.mp3|000000000000005"}));

  auto treeRecords = run({"--records", "-r", "tree", "--filter", ".MP3", root});
  ASSERT_EQ(treeRecords.exitCode, 0) << treeRecords.err;
  std::string dollars(39, '$'), zeros(17, '0');
  std::vector<std::string> lines = split(treeRecords.out, '\n');
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], root + "/|" + dollars + "|" + zeros);  // the location comes first
  EXPECT_EQ(sorted({lines[1], lines[2]}), sorted({root + "/Sub/|" + dollars + "|" + zeros,
                                                  root + "/Sub/|b.mp3|000000000000005"}));

  auto shallow = run({"--records", "--no-subfolders", root});
  EXPECT_EQ(sorted(split(shallow.out, '\n')),
            sorted({root + "/|README|000000000000000", root + "/|a.txt|000000000001234"}));
}

TEST_F(CliTest, NulTerminatedRecordsKeepNamesWithNewlines) {
  tree.writeFile("two\nlines.txt", "x");
  tree.writeFile("pipe|and\\back.txt", "yy");
  auto result = run({"--records", "-0", tree.path()});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(sorted(split(result.out, '\0')),
            sorted({tree.path() + "/|pipe|and\\back.txt|000000000000002",
                    tree.path() + "/|two\nlines.txt|000000000000001"}));
}

TEST_F(CliTest, JobFileRowsComeBeforeFolderArguments) {
  tree.writeFile("first/one.txt");
  tree.writeFile("second/two.txt");
  std::string job = home.writeFile("job.dif", "Option1\r\nName\r\nAsc\r\ncourier new\r\n10\r\n" +
                                                  tree / "first" + ",Yes,*.*,All Levels,3\r\n");
  auto result = run({"--records", "-j", job, tree / "second"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out,
            tree / "first/|one.txt|000000000000000\n" + tree / "second/|two.txt|000000000000000\n");
}

TEST_F(CliTest, BadUsageExitsTwoAndWritesNothing) {
  std::string out = home / "out.txt";
  for (std::vector<std::string> args : {
           std::vector<std::string>{"--report", "pie", tree.path()},
           {"--sort", "colour", tree.path()},
           {"--level", "deep", tree.path()},
           {"--set", "Fields.Nothing=1", tree.path()},
           {"--set", "Fields.CRC32=maybe", tree.path()},
           {"--set", "no-equals", tree.path()},
           {"--frobnicate"},
           {"-o", home / "out.doc", tree.path()},
           {"-j", home / "missing.dif", "-o", out},
       }) {
    auto result = run(args);
    EXPECT_EQ(result.exitCode, 2) << args[0] << " " << args[1];
    EXPECT_FALSE(result.err.empty());
    EXPECT_TRUE(result.out.empty());
  }
  EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(CliTest, LevelTextFromJobThatIsNoNumberNamesTheRowAndTheOthersAreListed) {
  tree.writeFile("listed/a.txt", "a");
  std::string job =
      home.writeFile("job.dif", "Option1\r\nName\r\nAsc\r\nx\r\n10\r\n" + tree.path() +
                                    ",Yes,*.*,two,3\r\n" + tree.path() + "/listed,Yes,*.*,,3\r\n");
  auto result = run({"--records", "-j", job});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("level \"two\" is not a whole number"), std::string::npos)
      << result.err;
  EXPECT_NE(result.out.find("a.txt"), std::string::npos);
}

TEST_F(CliTest, UnreadableFolderIsNamedAndExitsOne) {
  tree.writeFile("open/ok.txt", "1");
  std::string closed = tree.makeDir("closed");
  tree.writeFile("closed/secret.txt", "2");
  ASSERT_EQ(chmod(tree.path().c_str(), 0755), 0);
  ASSERT_EQ(chmod(closed.c_str(), 0), 0);
  // As root every folder is readable: run the program as nobody instead.
  int asUser = geteuid() == 0 ? 65534 : -1;
  ASSERT_EQ(chmod(home.path().c_str(), 0777), 0);
  auto result = run({"--records", "-r", "folders", tree.path()}, asUser);
  EXPECT_EQ(result.exitCode, 1) << result.err;
  EXPECT_NE(result.err.find(closed), std::string::npos) << result.err;
  EXPECT_NE(result.out.find(closed + "/|"), std::string::npos);  // its folder record stays
  EXPECT_NE(result.out.find("ok.txt"), std::string::npos);
  EXPECT_EQ(result.out.find("secret.txt"), std::string::npos);
}

TEST_F(CliTest, SymlinkLoopIsListedOnceAndIsNoFailure) {
  tree.writeFile("a/file.txt");
  ASSERT_EQ(symlink(tree.path().c_str(), (tree / "a/loop").c_str()), 0);
  auto result = run({"--records", "-r", "tree", tree.path()});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  auto lines = split(result.out, '\n');
  EXPECT_EQ(lines.size(), 4u) << result.out;  // root, a, a/file.txt, a/loop
  EXPECT_NE(result.out.find(tree / "a/loop/|"), std::string::npos);
  EXPECT_EQ(result.out.find(tree / "a/loop/a/"), std::string::npos);
}

TEST_F(CliTest, LeavesSettingsAndApplicationFolderUntouched) {
  std::string store =
      home.writeFile("config/tallyfold/Corvane - Tallyfold.ini", "[Fields]\nCRC32=1\n");
  tree.writeFile("x.txt", "abc");
  auto result = run({"-q", "--set", "Settings.ColSize=60", tree.path()});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(readFile(store), "[Fields]\nCRC32=1\n");
  EXPECT_FALSE(std::filesystem::exists(home / "app"));
  // The stored CRC32 column is in effect: CRC-32 of "abc" is 352441C2.
  EXPECT_NE(result.out.find("352441C2"), std::string::npos) << result.out;
}

TEST_F(CliTest, HelpAndVersion) {
  auto help = run({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("Usage: tallyfold-cli"), std::string::npos);
  auto version = run({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out.rfind("tallyfold-cli ", 0), 0u);
}

}  // namespace
}  // namespace tallyfold::test
