// The real tallyfold-cli under an address-space limit: running out of memory
// anywhere, on any of its threads, ends the run with "out of memory" and exit
// status 3, never with a signal, and leaves no output behind.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/sanitized_build.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "tests/cli/cli_fixture.h"

namespace tallyfold::test {
namespace {

constexpr bool kSanitized = kSanitizedBuild;

constexpr long kMebibyte = 1024 * 1024;

class CliMemoryLimitTest : public CliFixture {
 protected:
  TempDir out;

  ProcessResult runLimited(long bytes, const std::vector<std::string>& args) const {
    std::vector<std::string> limited = {"--as=" + std::to_string(bytes), cliPath()};
    limited.insert(limited.end(), args.begin(), args.end());
    return runProgram("/usr/bin/prlimit", limited, env());
  }
  // The smallest limit (in steps of 2 MiB) under which a run over one file
  // succeeds: what the program and its libraries need to start at all.
  long startingLimit(const std::string& small) const {
    for (long limit = 16 * kMebibyte; limit <= 1024 * kMebibyte; limit += 2 * kMebibyte) {
      if (runLimited(limit, {"-q", "-o", out / "small.txt", small}).exitCode == 0) return limit;
    }
    return 0;
  }
  bool outputFolderIsEmpty() const { return std::filesystem::is_empty(out.path()); }
};

TEST_F(CliMemoryLimitTest, RunningOutOfMemorySaysSoAndWritesNothing) {
  if (kSanitized) GTEST_SKIP() << "a sanitizer reserves more address space than any limit here";
  if (!std::filesystem::exists("/usr/bin/prlimit")) GTEST_SKIP() << "no prlimit";
  const std::string small = tree.writeFile("small/one.txt", "1");
  // Some 30,000 entries need some tens of MiB more than starting does.
  for (int folder = 0; folder < 100; ++folder) {
    tree.makeDir("big/d" + std::to_string(folder));
    for (int file = 0; file < 300; ++file) {
      tree.writeFile("big/d" + std::to_string(folder) + "/a_file_with_a_longish_name_" +
                     std::to_string(file) + ".txt");
    }
  }
  const long start = startingLimit(tree / "small");
  ASSERT_GT(start, 0) << "the program does not start under any limit tried";
  std::filesystem::remove(out / "small.txt");

  for (const std::string form : {"report.txt", "listing.json"}) {
    auto result = runLimited(start + 2 * kMebibyte, {"-q", "-o", out / form, tree / "big"});
    EXPECT_EQ(result.exitCode, 3) << form << ": " << result.err;
    EXPECT_EQ(result.err, "tallyfold-cli: out of memory\n");
    EXPECT_TRUE(outputFolderIsEmpty()) << form;
  }
  // Between failing and succeeding, every run ends in one of the two ways.
  for (long limit = start; limit <= start + 48 * kMebibyte; limit += 4 * kMebibyte) {
    const std::string report = out / "sweep.txt";
    auto result = runLimited(limit, {"-q", "-o", report, tree / "big"});
    ASSERT_TRUE(result.exitCode == 0 || result.exitCode == 3)
        << "limit " << limit / kMebibyte << " MiB: exit " << result.exitCode << " " << result.err;
    if (result.exitCode == 3) {
      EXPECT_TRUE(outputFolderIsEmpty());
    } else {
      EXPECT_GT(std::filesystem::file_size(report), 30000u * 30);
      std::filesystem::remove(report);
    }
  }
}

}  // namespace
}  // namespace tallyfold::test
