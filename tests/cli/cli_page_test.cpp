// tallyfold-cli --page: the browsable page of a scan, with the detail columns
// the settings switch on, replaced atomically, and its usage rules.

#include <gtest/gtest.h>

#include <filesystem>

#include "cli_fixture.h"

namespace tallyfold::test {
namespace {

class CliPageTest : public CliFixture {};

std::string block(const std::string& page, const std::string& id) {
  const std::string opening = "<script type=\"text/plain\" id=\"" + id + "\">";
  const size_t start = page.find(opening);
  if (start == std::string::npos) return "<missing>";
  const size_t from = start + opening.size();
  return page.substr(from, page.find("</script>", from) - from);
}

TEST_F(CliPageTest, ThePageHoldsTheScanWithTheColumnsTheSettingsSwitchOn) {
  tree.writeFile("top/b.txt", "hello");
  tree.writeFile("top/sub/a\xFF.bin", "");
  const std::string page = tree / "out.html";
  ProcessResult result = run({"-q", "--page", "--set", "Fields.CRC32=1", "-o", page, tree / "top"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const std::string text = readFile(page);
  EXPECT_EQ(text.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(text.find("\"columns\":[\"crc32\"]"), std::string::npos);
  EXPECT_EQ(block(text, "tf-folders"), "0\t1\t" + tree / "top" + "\n1\t1\tsub\n");
  EXPECT_EQ(block(text, "tf-names"), "b.txt\na\\FF.bin\n");
  EXPECT_EQ(block(text, "tf-sizes"), "5,0,");
  // CRC-32 of "hello", then of no bytes.
  EXPECT_EQ(block(text, "tf-column-0"), "3610A686\n00000000\n");
  // Nothing but the page's own script and style may run or load.
  EXPECT_NE(text.find("content=\"default-src 'none'; script-src 'sha256-"), std::string::npos);
  EXPECT_EQ(text.find("src=\""), std::string::npos);
  EXPECT_EQ(text.find("href=\""), std::string::npos);
}

TEST_F(CliPageTest, AnEarlierPageIsReplacedWholeAndUsageIsChecked) {
  tree.writeFile("top/a.txt", "x");
  const std::string kept = tree.writeFile("kept.html", std::string(100000, 'x'));
  ProcessResult written = run({"-q", "--page", "-o", kept, tree / "top"});
  EXPECT_EQ(written.exitCode, 0) << written.err;
  const std::string page = readFile(kept);
  EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_EQ(page.substr(page.size() - 8), "</html>\n");
  EXPECT_EQ(page.find("xxxx"), std::string::npos);

  ProcessResult failed = run({"-q", "--page", "-o", tree / "missing/page.html", tree / "top"});
  EXPECT_EQ(failed.exitCode, 3) << failed.err;
  EXPECT_FALSE(std::filesystem::exists(tree / "missing"));

  ProcessResult noOutput = run({"-q", "--page", tree / "top"});
  EXPECT_EQ(noOutput.exitCode, 2);
  EXPECT_NE(noOutput.err.find("--page writes a file"), std::string::npos) << noOutput.err;
  ProcessResult withRecords = run({"-q", "--page", "--records", "-o", kept, tree / "top"});
  EXPECT_EQ(withRecords.exitCode, 2);
  ProcessResult help = run({"--help"});
  EXPECT_NE(help.out.find("--page"), std::string::npos);
}

}  // namespace
}  // namespace tallyfold::test
