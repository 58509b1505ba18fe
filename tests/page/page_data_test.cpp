// The browsable page's data texts: escapes, numbers, the folder tree in
// pre-order, the file columns in that order, and the page around them.

#include "page/page_data.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "page/browsable_page.h"
#include "page/page_assets.h"

namespace tallyfold {
namespace {

std::string pageText(std::string_view text) {
  std::string out;
  appendPageText(out, text);
  return out;
}

std::string base36(uint64_t value) {
  std::string out;
  appendBase36(out, value);
  return out;
}

FileEntry facts(uint64_t size, int64_t mtime) {
  FileEntry entry;
  entry.size = size;
  entry.mtime = mtime;
  return entry;
}

TEST(PageDataTest, TextsEscapeOnlyWhatCouldEndABlockOrAValue) {
  EXPECT_EQ(pageText("plain name.txt"), "plain name.txt");
  EXPECT_EQ(pageText("caf\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x98\x80"),
            "caf\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x98\x80");
  EXPECT_EQ(pageText("a\nb\tc\x01\x1F"), "a\\0Ab\\09c\\01\\1F");
  EXPECT_EQ(pageText("</script><script>"), "\\3C/script>\\3Cscript>");
  EXPECT_EQ(pageText("back\\slash"), "back\\5Cslash");
  // Bytes that are not UTF-8 come out as escapes of 0x80 and more, each on
  // its own, so the page tells them from characters.
  EXPECT_EQ(pageText("bad\xFF\xC3"), "bad\\FF\\C3");
  EXPECT_EQ(pageText("\xED\xB2\x80"), "\\ED\\B2\\80");
  EXPECT_EQ(pageText("\xC3\xA9\xE9"), "\xC3\xA9\\E9");
  // DEL and "&" need no escape inside a data block.
  EXPECT_EQ(pageText("a&b\x7F"), "a&b\x7F");
  std::string every;
  for (int byte = 1; byte < 256; ++byte) every.push_back(static_cast<char>(byte));
  const std::string escaped = pageText(every);
  EXPECT_EQ(escaped.find('<'), std::string::npos);
  EXPECT_EQ(escaped.find('\n'), std::string::npos);
  EXPECT_EQ(escaped.find('\r'), std::string::npos);
}

TEST(PageDataTest, NumbersAreBase36) {
  EXPECT_EQ(base36(0), "0");
  EXPECT_EQ(base36(35), "z");
  EXPECT_EQ(base36(36), "10");
  EXPECT_EQ(base36(1295), "zz");
  EXPECT_EQ(base36(UINT64_MAX), "3w5e11264sgsf");
}

TEST(PageDataTest, FoldersComeAsATreeInPreOrderWithTheirFilesInThatOrder) {
  RecordStore store;
  // Walk order is not tree order: children before a sibling's, out of name
  // order, and a second location that is no child of the first.
  const uint32_t top = store.addFolder("/data/top/");
  const uint32_t zed = store.addFolder("/data/top/zed/");
  const uint32_t other = store.addFolder("/other/");
  const uint32_t alpha = store.addFolder("/data/top/alpha/");
  const uint32_t deep = store.addFolder("/data/top/alpha/deep/");
  store.addFile(top, "top.txt", facts(10, 1000));
  store.addFile(zed, "z1", facts(36, 1036));
  store.addFile(zed, "z2", facts(0, 1001));
  store.addFile(other, "o\nline", facts(5, 999));
  store.addFile(alpha, "a.bin", facts(1, 2000));
  (void)deep;

  PageColumnTexts columns;
  columns.columns = {ListingColumn::Crc32};
  // Store order: top.txt, z1, z2, o\nline, a.bin.
  columns.texts = {"00000001", "00000002", "00000003", "0000000<", "00000005"};

  const PageData data = makePageData(store, columns);
  EXPECT_EQ(data.fileCount, 5u);
  EXPECT_EQ(data.folderCount, 5u);
  EXPECT_EQ(data.totalBytes, 52u);
  EXPECT_EQ(data.timeBase, 999);
  EXPECT_EQ(data.folders,
            "0\t1\t/data/top\n"
            "1\t1\talpha\n"
            "2\t0\tdeep\n"
            "1\t2\tzed\n"
            "0\t1\t/other\n");
  EXPECT_EQ(data.names, "top.txt\na.bin\nz1\nz2\no\\0Aline\n");
  EXPECT_EQ(data.sizes, "a,1,10,0,5,");
  EXPECT_EQ(data.times, "1,rt,11,2,0,");
  ASSERT_EQ(data.columns.size(), 1u);
  EXPECT_EQ(data.columns[0], "00000001\n00000005\n00000002\n00000003\n0000000\\3C\n");
}

TEST(PageDataTest, TheRootFolderIsNamedSlashAndAnEmptyScanHasNoData) {
  RecordStore store;
  store.addFolder("/");
  const uint32_t etc = store.addFolder("/etc/");
  store.addFile(etc, "hosts", facts(3, -5));
  const PageData data = makePageData(store, {});
  EXPECT_EQ(data.folders, "0\t0\t/\n1\t1\tetc\n");
  EXPECT_EQ(data.timeBase, -5);
  EXPECT_EQ(data.times, "0,");

  // The widest span of times there is.
  RecordStore extremes;
  const uint32_t folder = extremes.addFolder("/x/");
  extremes.addFile(folder, "first", facts(0, INT64_MIN));
  extremes.addFile(folder, "last", facts(0, INT64_MAX));
  EXPECT_EQ(makePageData(extremes, {}).times, "0," + base36(UINT64_MAX) + ",");

  const PageData empty = makePageData(RecordStore{}, {});
  EXPECT_EQ(empty.fileCount, 0u);
  EXPECT_EQ(empty.timeBase, 0);
  EXPECT_TRUE(empty.folders.empty());
}

std::string sourceFile(const std::string& relative) {
  std::ifstream in(std::string(TALLYFOLD_SOURCE_DIR) + "/" + relative, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(BrowsablePageTest, ThePageCarriesItsOwnScriptAndStyleUnderAPolicyOfTheirDigests) {
  EXPECT_EQ(browsablePageScript(), sourceFile("page/assets/browsable_page.js"));
  EXPECT_EQ(browsablePageStyle(), sourceFile("page/assets/browsable_page.css"));

  RecordStore store;
  const uint32_t top = store.addFolder("/t/</script><script>alert(1)</script>/");
  store.addFile(top, "</script><script>alert(2)</script>", facts(1, 1));
  store.addFile(top, "<!--", facts(1, 1));
  PageHeader header;
  header.version = "9.9";
  header.scanTime = 0;
  ScanLocation location;
  location.folder = "/t/</script><x>";
  header.locations.push_back(location);
  std::string page;
  writeBrowsablePage(header, makePageData(store, {}),
                     [&page](std::string_view bytes) { page.append(bytes); });

  // Six data blocks and the script: nothing a name holds opens or ends one.
  size_t scripts = 0;
  for (size_t at = page.find("<script"); at != std::string::npos; at = page.find("<script", at + 1))
    ++scripts;
  EXPECT_EQ(scripts, 6u);
  size_t ends = 0;
  for (size_t at = page.find("</script"); at != std::string::npos;
       at = page.find("</script", at + 1))
    ++ends;
  EXPECT_EQ(ends, 6u);
  EXPECT_EQ(page.find("<!--"), std::string::npos);
  EXPECT_NE(page.find("\\u003c/script>\\u003cx>"), std::string::npos);

  const std::string policy = pagePolicy(browsablePageScript(), browsablePageStyle());
  EXPECT_NE(page.find("content=\"" + policy + "\""), std::string::npos);
  EXPECT_EQ(policy.rfind("default-src 'none'; script-src 'sha256-", 0), 0u);
  EXPECT_EQ(pagePolicy("", ""),
            "default-src 'none'; script-src 'sha256-47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU='; "
            "style-src 'sha256-47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU='; img-src 'none'; "
            "base-uri 'none'; form-action 'none'");
}

TEST(BrowsablePageTest, TheHeaderGivesEachColumnItsListingNameItsHeadingAndWhetherItIsANumber) {
  PageHeader header;
  header.columns = {ListingColumn::Crc32, ListingColumn::Duration, ListingColumn::SampleRate,
                    ListingColumn::Taken, ListingColumn::Width};
  const std::string json = pageHeaderJson(header, makePageData(RecordStore(), {}));
  EXPECT_NE(json.find("\"columns\":[\"crc32\",\"duration\",\"sample_rate\",\"taken\",\"width\"],"
                      "\"titles\":[\"CRC-32\",\"Duration\",\"Sample rate\",\"Taken\",\"Width\"],"
                      "\"numbers\":[1,2,4],"),
            std::string::npos)
      << json;
  header.columns = {ListingColumn::Owner};
  EXPECT_NE(pageHeaderJson(header, makePageData(RecordStore(), {})).find("\"numbers\":[],"),
            std::string::npos);

  // Every column has a heading of its own.
  std::set<std::string_view> titles;
  for (int c = 0; c <= static_cast<int>(ListingColumn::Codec); ++c) {
    const std::string_view title = listingColumnTitle(static_cast<ListingColumn>(c));
    EXPECT_FALSE(title.empty()) << listingColumnName(static_cast<ListingColumn>(c));
    titles.insert(title);
  }
  EXPECT_EQ(titles.size(), static_cast<size_t>(ListingColumn::Codec) + 1);
}

}  // namespace
}  // namespace tallyfold
