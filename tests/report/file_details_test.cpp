#include "report/file_details.h"
#include "platform/user_names.h"
#include "report/file_detail_reader.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <limits>

#include "support/pe_builder.h"
#include "support/temp_dir.h"

namespace tallyfold {
namespace {

using test::buildPeWithoutVersion;
using test::buildPeWithVersion;
using test::TempDir;

LocaleFormat commaGrouping() {
  LocaleFormat format;
  format.thousandsSeparator = ",";
  format.grouping = "\3";
  return format;
}

TEST(AttributeText, EveryCombinationOfReadOnlyHiddenSystemAndArchive) {
  const std::pair<uint32_t, std::string_view> table[] = {
      {1, "R   "},  {2, "H   "},  {3, "RH  "},  {4, "S   "},  {5, "RS  "},
      {6, "HS  "},  {7, "RHS "},  {32, "A   "}, {33, "RA  "}, {34, "AH  "},
      {35, "ARH "}, {36, "AS  "}, {37, "RAS "}, {38, "AHS "}, {39, "RAHS"}};
  for (const auto& [word, text] : table) EXPECT_EQ(attributeText(word), text) << word;
  // Nothing set, or a further bit such as compressed (2048) or directory (16).
  for (const uint32_t word : {0u, 8u, 16u, 31u, 40u, 48u, 32u | 2048u, 0xFFFFFFFFu}) {
    EXPECT_EQ(attributeText(word), "    ") << word;
  }
}

TEST(SizeText, AutomaticUnitAtItsBoundaries) {
  const LocaleFormat plain = LocaleFormat::plain();
  EXPECT_EQ(sizeTextAuto(0, plain), "0 bytes");
  EXPECT_EQ(sizeTextAuto(1023, plain), "1023 bytes");
  EXPECT_EQ(sizeTextAuto(1023.99, plain), "1023 bytes");
  EXPECT_EQ(sizeTextAuto(1024, plain), "1.00 KB");
  EXPECT_EQ(sizeTextAuto(1152, plain), "1.13 KB");  // 1.125: half away from zero
  EXPECT_EQ(sizeTextAuto(1048575, plain), "1024.00 KB");
  EXPECT_EQ(sizeTextAuto(1048576, plain), "1.00 MB");
  EXPECT_EQ(sizeTextAuto(1073741823, plain), "1024.00 MB");
  EXPECT_EQ(sizeTextAuto(1073741824, plain), "1.00 GB");
  EXPECT_EQ(sizeTextAuto(1610612736, plain), "1.50 GB");
  EXPECT_EQ(sizeTextAuto(1099511627776.0 * 1024, plain), "1048576.00 GB");
  // No grouping in "#0.00", whatever the locale, but its decimal point.
  LocaleFormat german = commaGrouping();
  german.decimalPoint = ",";
  german.thousandsSeparator = ".";
  EXPECT_EQ(sizeTextAuto(1099511627776.0 * 2, german), "2048,00 GB");
  EXPECT_EQ(sizeTextAuto(1536, german), "1,50 KB");
}

TEST(SizeText, ValuesThatCannotBeShownGiveZeroBytes) {
  const LocaleFormat plain = LocaleFormat::plain();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (const double bad : {nan, inf, -inf}) {
    EXPECT_EQ(sizeTextAuto(bad, plain), "0 Bytes");
    for (const char* unit : {"Bytes", "KB", "MB", "GB"}) {
      EXPECT_EQ(sizeTextByUnit(bad, unit, plain), "0 Bytes") << unit;
    }
  }
}

TEST(SizeText, ChosenUnit) {
  const LocaleFormat plain = LocaleFormat::plain();
  const LocaleFormat comma = commaGrouping();
  EXPECT_EQ(sizeTextByUnit(1536, "KB", plain), "2 KB");
  EXPECT_EQ(sizeTextByUnit(512, "KB", plain), "1 KB");
  EXPECT_EQ(sizeTextByUnit(511, "KB", plain), "0 KB");
  EXPECT_EQ(sizeTextByUnit(1073741824.0 * 4, "KB", comma), "4194304 KB");

  EXPECT_EQ(sizeTextByUnit(1234567, "Bytes", comma), "1,234,567");
  EXPECT_EQ(sizeTextByUnit(1234567.9, "Bytes", comma), "1,234,567");
  EXPECT_EQ(sizeTextByUnit(123, "Bytes", comma), "123");
  EXPECT_EQ(sizeTextByUnit(1234567, "Bytes", plain), "1234567");
  LocaleFormat indian = comma;
  indian.grouping = "\3\2";
  EXPECT_EQ(sizeTextByUnit(1234567, "Bytes", indian), "12,34,567");
  LocaleFormat french;
  french.thousandsSeparator = "\u202f";
  french.grouping = "\3";
  EXPECT_EQ(sizeTextByUnit(1234567, "Bytes", french), "1\u202f234\u202f567");

  EXPECT_EQ(sizeTextByUnit(1572864, "MB", plain), "1.50 MB");
  EXPECT_EQ(sizeTextByUnit(512, "MB", plain), "0.00 MB");
  EXPECT_EQ(sizeTextByUnit(1073741824.0 * 1024, "MB", comma), "1048576.00 MB");
  EXPECT_EQ(sizeTextByUnit(1610612736, "GB", plain), "1.50 GB");
  EXPECT_EQ(sizeTextByUnit(1024, "kb", plain), "");
}

// The version and CRC columns as the file-detail reader reads them of files
// on disk.
class ReadDetails {
 public:
  explicit ReadDetails(const TempDir& dir) : reader_(choice(), nullptr) {
    reader_.enterFolder(dir.path());
  }
  std::string version(const std::string& name) { return read(name).version; }
  std::string crc(const std::string& name) { return read(name).crc32; }

 private:
  static FileDetailChoice choice() {
    FileDetailChoice choice;
    choice.version = choice.crc32 = true;
    return choice;
  }
  FileDetails read(const std::string& name) {
    FileDetails details;
    reader_.read(name, FileEntry{}, details);
    return details;
  }
  FileDetailReader reader_;
};

TEST(FileVersionText, ReadsTheFileVersionOfProgramFiles) {
  TempDir dir;
  ReadDetails details(dir);
  const std::string image = buildPeWithVersion({5, 1, 2600, 0});
  for (const char* name : {"tool.exe", "TOOL.EXE", "lib.Dll", "ctl.ocx"}) {
    dir.writeFile(name, image);
    EXPECT_EQ(details.version(name), "5.1.2600.0") << name;
  }
  dir.writeFile("big.exe", buildPeWithVersion({40000, 65535, 32768, 1}));
  EXPECT_EQ(details.version("big.exe"), "40000.65535.32768.1");

  // Other names are not looked into, whatever they hold.
  dir.writeFile("readme.txt", image);
  dir.writeFile("tool.exe.bak", image);
  EXPECT_EQ(details.version("readme.txt"), "");
  EXPECT_EQ(details.version("tool.exe.bak"), "");
  // Program files without a version, or that are no program at all.
  dir.writeFile("bare.exe", buildPeWithoutVersion());
  dir.writeFile("fake.dll", "not a program");
  dir.writeFile("cut.exe", image.substr(0, 0x230));
  for (const char* name : {"bare.exe", "fake.dll", "cut.exe", "missing.exe"}) {
    EXPECT_EQ(details.version(name), "") << name;
  }
}

TEST(FileDetails, OwnerAndCrc) {
  TempDir dir;
  const std::string path = dir.writeFile("check.txt", "123456789");
  const passwd* me = getpwuid(geteuid());
  ASSERT_NE(me, nullptr);
  EXPECT_EQ(fileOwnerName(path), me->pw_name);
  EXPECT_EQ(fileOwnerName(dir / "missing.txt"), "");

  ReadDetails details(dir);
  dir.writeFile("empty.txt");
  EXPECT_EQ(details.crc("check.txt"), "CBF43926");
  EXPECT_EQ(details.crc("empty.txt"), "00000000");
  EXPECT_EQ(details.crc("missing.txt"), "");
}

}  // namespace
}  // namespace tallyfold
