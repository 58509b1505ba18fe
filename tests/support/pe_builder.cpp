#include "support/pe_builder.h"

#include <utility>
#include <vector>

namespace tallyfold::test {

using namespace pe;

void put16(std::string& bytes, size_t at, uint32_t value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
}

void put32(std::string& bytes, size_t at, uint32_t value) {
  put16(bytes, at, value & 0xFFFF);
  put16(bytes, at + 2, value >> 16);
}

namespace {

void putDirectory(std::string& bytes, size_t at, std::vector<std::pair<uint32_t, uint32_t>> ids) {
  put16(bytes, at + 14, static_cast<uint32_t>(ids.size()));
  for (size_t i = 0; i < ids.size(); ++i) {
    put32(bytes, at + 16 + 8 * i, ids[i].first);
    put32(bytes, at + 20 + 8 * i, ids[i].second);
  }
}

size_t dataDirectoriesAt(bool plus) {
  return kOptionalHeaderAt + (plus ? 112 : 96);
}

}  // namespace

std::string buildPeWithVersion(const VersionParts& version, bool plus) {
  std::string bytes(0x400, '\0');
  bytes[0] = 'M', bytes[1] = 'Z';
  put32(bytes, 0x3C, kPeHeaderAt);
  bytes.replace(kPeHeaderAt, 4, std::string("PE\0\0", 4));
  const uint32_t optionalSize = plus ? 240 : 224;
  put16(bytes, kPeHeaderAt + 4, plus ? 0x8664 : 0x14C);
  put16(bytes, kPeHeaderAt + 6, 1);  // one section
  put16(bytes, kPeHeaderAt + 20, optionalSize);
  put16(bytes, kPeHeaderAt + 22, 0x0102);
  put16(bytes, kOptionalHeaderAt, plus ? 0x20B : 0x10B);
  const size_t directories = dataDirectoriesAt(plus);
  put32(bytes, directories - 4, 16);  // number of data directories
  const uint32_t resourceSize = kVersionBlockEnd - kSectionRawAt;
  put32(bytes, directories + 16, kSectionRva);
  put32(bytes, directories + 20, resourceSize);

  const size_t section = kOptionalHeaderAt + optionalSize;
  bytes.replace(section, 5, ".rsrc");
  put32(bytes, section + 8, resourceSize);
  put32(bytes, section + 12, kSectionRva);
  put32(bytes, section + 16, 0x200);
  put32(bytes, section + 20, kSectionRawAt);

  putDirectory(bytes, kRootDirectory, {{3, kSubdirectory | 0x20}, {16, kSubdirectory | 0x20}});
  putDirectory(bytes, kNameDirectory, {{1, kSubdirectory | 0x38}});
  putDirectory(bytes, kSectionRawAt + 0x38, {{0x409, 0x50}});
  put32(bytes, kDataEntry, kSectionRva + 0x60);
  put32(bytes, kDataEntry + 4, kVersionBlockSize);

  put16(bytes, kVersionBlock, kVersionBlockSize);
  put16(bytes, kVersionBlock + 2, 52);
  const std::string key = "VS_VERSION_INFO";
  for (size_t i = 0; i < key.size(); ++i) put16(bytes, kVersionBlock + 6 + 2 * i, key[i]);
  const size_t info = kVersionBlock + 40;
  put32(bytes, info, 0xFEEF04BD);
  put32(bytes, info + 4, 0x00010000);
  put32(bytes, info + 8, (uint32_t{version[0]} << 16) | version[1]);
  put32(bytes, info + 12, (uint32_t{version[2]} << 16) | version[3]);
  put32(bytes, info + 16, 0x00090008);  // product version, not the one read
  put32(bytes, info + 20, 0x00070006);
  return bytes;
}

std::string buildPeWithoutVersion() {
  std::string bytes = buildPeWithVersion({1, 2, 3, 4});
  put16(bytes, kPeHeaderAt + 6, 0);
  put32(bytes, dataDirectoriesAt(false) + 16, 0);
  put32(bytes, dataDirectoriesAt(false) + 20, 0);
  bytes.resize(kSectionRawAt);
  return bytes;
}

}  // namespace tallyfold::test
