// The CSV and JSON listings of the real tallyfold-cli, read back with
// Python's csv and json modules: names with commas, quotes, line breaks and
// bytes that are not UTF-8 lead back to the very files, the columns are in
// machine form, and the files come in report order.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/pe_builder.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "tests/cli/cli_fixture.h"

namespace tallyfold::test {
namespace {

constexpr const char* kPython = "/usr/bin/python3";

// 2024-03-05 13:07:09 UTC: 14:07:09 in a zone one hour east of UTC.
constexpr int64_t kMarch5 = 1709644029;

// One line per file: the name's bytes in hex, whether folder and name lead to
// a file of the listed size and CRC-32, then the other fields as listed.
constexpr const char* kReadJson = R"(
import json, os, sys, zlib
doc = json.load(open(sys.argv[1], encoding='utf-8'))
h = doc['header']
print(h['program'], h['format'], [l['folder'] for l in h['locations']], h['columns'])
for f in doc['files']:
    path = os.path.join(os.fsencode(f['folder']), os.fsencode(f['name']))
    data = open(path, 'rb').read()
    same = len(data) == f['size'] and f.get('crc32', '%08X' % zlib.crc32(data)) == '%08X' % zlib.crc32(data)
    rest = [str(f[c]) for c in ['modified'] + h['columns'] if c != 'crc32']
    print('|'.join([os.fsencode(f['name']).hex(), 'found' if same else 'MISSING'] + rest))
)";

// The same from the CSV listing, whose raw columns give back names that are
// not UTF-8; the file must be UTF-8 with CR LF line ends.
constexpr const char* kReadCsv = R"(
import csv, os, sys, urllib.parse, zlib
raw = open(sys.argv[1], 'rb').read()
raw.decode('utf-8')
lines = raw.split(b'\r\n')
rows = list(csv.reader(open(sys.argv[1], newline='', encoding='utf-8')))
print(','.join(rows[0]))
def original(text, escaped):
    return urllib.parse.unquote_to_bytes(escaped) if escaped else text.encode()
for r in rows[1:]:
    f = dict(zip(rows[0], r))
    path = os.path.join(original(f['folder'], f['folder_raw']), original(f['name'], f['name_raw']))
    data = open(path, 'rb').read()
    same = len(data) == int(f['size']) and f['crc32'] == '%08X' % zlib.crc32(data)
    print('|'.join([original(f['name'], f['name_raw']).hex(), 'found' if same else 'MISSING', f['modified']]))
print(len(lines) - 1, 'line ends')
)";

std::string hex(std::string_view bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out.push_back(digits[c >> 4]);
    out.push_back(digits[c & 15]);
  }
  return out;
}

std::vector<std::string> sortedLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0, end;
  while ((end = text.find('\n', start)) != std::string::npos) {
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  std::sort(lines.begin() + 1, lines.end());  // the header line stays first
  return lines;
}

class CliListingTest : public CliFixture {
 protected:
  CliListingTest() { timeZone = "XXX-1"; }

  std::string python(const char* script, const std::string& file) const {
    ProcessResult result = runProgram(kPython, {"-c", script, file}, env());
    EXPECT_EQ(result.exitCode, 0) << result.err;
    return result.out;
  }
  std::string file(const std::string& relative, std::string_view bytes) const {
    std::string path = tree.writeFile(relative, bytes);
    TempDir::setMtime(path, kMarch5);
    return path;
  }
  // Names a shell, a CSV and a JSON writer each find awkward.
  void makeAwkwardNames() const {
    file("a,b \"q\".txt", "comma");
    file("new\nline.txt", "x");
    file("bad\xFF\xFE.txt", "yy");
    file("cr\rand %41.txt", "percent");
  }
};

TEST_F(CliListingTest, JsonKeepsEveryNameWithItsMachineFormColumns) {
  makeAwkwardNames();
  const std::string tag = "TAG" + std::string("Song") + std::string(26, ' ') + "Band" +
                          std::string(26, '\0') + std::string(30, ' ') + "1999" +
                          std::string(30, ' ') + "\x11";
  file("song.mp3", "audio" + tag);
  file("tool.exe", buildPeWithVersion({5, 1, 2600, 0}));
  chmod((tree / "tool.exe").c_str(), 0444);
  const std::string out = home / "list.json";
  auto result =
      run({"-q", "-o", out, "--set", "Fields.CRC32=1", "--set", "Fields.Version=1", "--set",
           "Fields.Attribute=1", "--set", "Fields.Title=1", "--set", "Fields.Artist=1", "--set",
           "Fields.Year=1", "--set", "Fields.Genre=1", tree.path()});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const std::string time = "|found|2024-03-05T14:07:09+01:00|";
  EXPECT_EQ(sortedLines(python(kReadJson, out)),
            sortedLines("tallyfold 1 ['" + tree.path() +
                        "'] ['attributes', 'version', 'crc32', 'title', 'artist', 'year', "
                        "'genre']\n" +
                        hex("a,b \"q\".txt") + time + "|||||\n" +             //
                        hex("new\nline.txt") + time + "|||||\n" +             //
                        hex("bad\xFF\xFE.txt") + time + "|||||\n" +           //
                        hex("cr\rand %41.txt") + time + "|||||\n" +           //
                        hex("song.mp3") + time + "||Song|Band|1999|Rock\n" +  //
                        hex("tool.exe") + time + "R|5.1.2600.0||||\n"));
}

TEST_F(CliListingTest, CsvIsUtf8WithRawColumnsForOtherNames) {
  makeAwkwardNames();
  tree.makeDir("sub");
  file("sub/inner.txt", "inner");
  const std::string out = home / "list.csv";
  auto result = run({"-q", "-o", out, "--set", "Fields.CRC32=1", tree.path()});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const std::string time = "|found|2024-03-05T14:07:09+01:00";
  // Six lines: the header and five files (the line break inside a quoted
  // name is a bare LF, the row ends CR LF; the CR inside a name stays bare).
  EXPECT_EQ(sortedLines(python(kReadCsv, out)),
            sortedLines("folder,name,size,modified,crc32,folder_raw,name_raw\n" +
                        hex("a,b \"q\".txt") + time + "\n" + hex("new\nline.txt") + time + "\n" +
                        hex("bad\xFF\xFE.txt") + time + "\n" + hex("cr\rand %41.txt") + time +
                        "\n" + hex("inner.txt") + time + "\n6 line ends\n"));
  // The readable name column shows the bytes that are not UTF-8 as U+FFFD.
  EXPECT_NE(readFile(out).find("bad\xEF\xBF\xBD\xEF\xBF\xBD.txt"), std::string::npos);
}

TEST_F(CliListingTest, FilesComeInReportOrder) {
  file("b/small.txt", "1");
  file("b/large.txt", "1234567");
  file("b/middle.txt", "1234");
  file("a/z.txt", "12");
  file("a/deeper/y.txt", "");
  file("c.txt", "123");
  const std::string out = home / "order.json";
  auto result = run({"-q", "-s", "size", "--desc", "-o", out, tree.path()});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  auto names = runProgram(kPython,
                          {"-c",
                           "import json,sys\n"
                           "for f in json.load(open(sys.argv[1]))['files']:\n"
                           "  print(f['folder'][len(sys.argv[2]):] + '/' + f['name'])",
                           out, tree.path()},
                          env());
  ASSERT_EQ(names.exitCode, 0) << names.err;
  EXPECT_EQ(names.out,
            "/c.txt\n/a/z.txt\n/a/deeper/y.txt\n/b/large.txt\n/b/middle.txt\n"
            "/b/small.txt\n");
}

TEST_F(CliListingTest, UnwritableListingExitsThreeAndKeepsTheEarlierFile) {
  file("a.txt", "a");
  const std::string out = home / "keep.json";
  home.writeFile("keep.json", "earlier");
  auto missingFolder = run({"-q", "-o", home / "no/such/folder/list.csv", tree.path()});
  EXPECT_EQ(missingFolder.exitCode, 3);
  EXPECT_FALSE(missingFolder.err.empty());
  EXPECT_EQ(readFile(out), "earlier");
  auto written = run({"-q", "-o", out, tree.path()});
  EXPECT_EQ(written.exitCode, 0) << written.err;
  EXPECT_NE(readFile(out), "earlier");
}

TEST_F(CliListingTest, UnreadableFileKeepsItsRowWithEmptyColumns) {
  file("ok.txt", "fine");
  const std::string secret = file("secret.txt", "hidden bytes");
  ASSERT_EQ(chmod(secret.c_str(), 0), 0);
  ASSERT_EQ(chmod(tree.path().c_str(), 0755), 0);
  ASSERT_EQ(chmod(home.path().c_str(), 0777), 0);
  // As root every file is readable: run the program as nobody instead.
  const int asUser = geteuid() == 0 ? 65534 : -1;
  const std::string out = home / "list.json";
  auto result = runProgram(cliPath(), {"-q", "-o", out, "--set", "Fields.CRC32=1", tree.path()},
                           env(), {}, asUser);
  EXPECT_EQ(result.exitCode, 1) << result.err;
  EXPECT_NE(result.err.find(secret), std::string::npos) << result.err;
  auto rows = runProgram(kPython,
                         {"-c",
                          "import json,sys\n"
                          "for f in json.load(open(sys.argv[1]))['files']:\n"
                          "  print(f['name'], f['size'], repr(f['crc32']))",
                          out},
                         env());
  EXPECT_EQ(rows.out, "ok.txt 4 'BEA95492'\nsecret.txt 12 ''\n") << rows.err;
}

}  // namespace
}  // namespace tallyfold::test
