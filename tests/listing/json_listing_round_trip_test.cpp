// A JSON listing written by the writer and read by the streaming reader gives
// back every name byte for byte, its sizes, times and checksums.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "listing/json_listing_reader.h"
#include "listing/json_listing_writer.h"
#include "support/temp_dir.h"

namespace tallyfold {
namespace {

std::string writeListing(const ListingHeader& header, const std::vector<ListedFile>& files) {
  std::string text;
  JsonListingWriter writer([&text](std::string_view bytes) { text.append(bytes); }, header);
  for (const ListedFile& file : files) writer.writeFile(file);
  writer.finish();
  return text;
}

TEST(JsonListingRoundTripTest, EveryByteOfANameComesBack) {
  ListingHeader header;
  header.locations.push_back(ScanLocation{"/srv/\xFFroot", false, ".mp3", 3, true, {}});
  header.columns = {ListingColumn::Crc32};
  std::vector<std::string> names;
  for (int byte = 1; byte < 256; ++byte) {
    if (byte == '/') continue;
    names.push_back("n" + std::string(1, static_cast<char>(byte)) + "\xED\xB2\x80");
  }
  const std::vector<std::string> crc = {"0A1B2C3D"};
  const std::vector<std::string> noCrc = {""};
  std::vector<ListedFile> files;
  for (size_t i = 0; i < names.size(); ++i) {
    files.push_back(ListedFile{"/srv/\xFFroot", names[i], i * 1000, static_cast<int64_t>(i) - 5,
                               i % 2 ? crc : noCrc});
  }
  test::TempDir dir;
  const std::string path = dir.writeFile("list.json", writeListing(header, files));

  Catalog catalog;
  JsonListingContents contents;
  std::string error;
  ASSERT_TRUE(readJsonListing(path, catalog, contents, error)) << error;
  ASSERT_EQ(contents.locations.size(), 1u);
  EXPECT_EQ(contents.locations[0].folder, "/srv/\xFFroot");
  EXPECT_FALSE(contents.locations[0].subFolders);
  EXPECT_EQ(contents.locations[0].fileTypes, ".mp3");
  EXPECT_EQ(contents.locations[0].level, 3);
  EXPECT_EQ(catalog.roots(), std::vector<std::string>{"/srv/\xFFroot/"});
  ASSERT_EQ(catalog.entries().size(), names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    const CatalogEntry& entry = catalog.entries()[i];
    EXPECT_EQ(entry.fullPath(), "/srv/\xFFroot/" + names[i]) << i;
    EXPECT_EQ(entry.size, i * 1000);
    EXPECT_EQ(entry.mtime, static_cast<int64_t>(i) - 5);
    EXPECT_EQ(entry.hasCrc, i % 2 == 1);
    EXPECT_EQ(entry.crc, entry.hasCrc ? 0x0A1B2C3Du : 0u);
  }
}

}  // namespace
}  // namespace tallyfold
