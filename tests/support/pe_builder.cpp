#include "support/pe_builder.h"

#include <string_view>

namespace tallyfold::test {

namespace {

constexpr uint32_t kPeOffset = 0x40;
constexpr uint32_t kSectionFileOffset = 0x200;
constexpr uint32_t kSectionRva = 0x1000;
constexpr uint32_t kOptionalHeaderSize = 224;  // PE32 with 16 data directories
constexpr uint32_t kResourceDirectoryIndex = 2;
constexpr uint32_t kRtVersion = 16;
constexpr uint32_t kSubdirectoryFlag = 0x80000000u;

class Bytes {
 public:
  void u8(uint8_t v) { data_ += static_cast<char>(v); }
  void u16(uint16_t v) {
    u8(static_cast<uint8_t>(v));
    u8(static_cast<uint8_t>(v >> 8));
  }
  void u32(uint32_t v) {
    u16(static_cast<uint16_t>(v));
    u16(static_cast<uint16_t>(v >> 16));
  }
  void text(std::string_view s) { data_ += s; }
  void utf16z(std::string_view ascii) {
    for (const char c : ascii) u16(static_cast<uint8_t>(c));
    u16(0);
  }
  void zeros(size_t n) { data_.append(n, '\0'); }
  void padTo(size_t size) {
    if (data_.size() < size) zeros(size - data_.size());
  }
  void alignTo(size_t alignment) { padTo((data_.size() + alignment - 1) / alignment * alignment); }
  size_t size() const { return data_.size(); }
  void patch16(size_t at, uint16_t v) {
    data_[at] = static_cast<char>(v & 0xFF);
    data_[at + 1] = static_cast<char>(v >> 8);
  }
  void append(const Bytes& other) { data_ += other.data_; }
  const std::string& str() const { return data_; }

 private:
  std::string data_;
};

uint32_t high(const VersionParts& v) {
  return uint32_t{v[0]} << 16 | v[1];
}
uint32_t low(const VersionParts& v) {
  return uint32_t{v[2]} << 16 | v[3];
}

// VS_VERSIONINFO without children: header, key, padding, VS_FIXEDFILEINFO.
Bytes versionInfo(const VersionParts& fileVersion, const VersionParts& productVersion) {
  constexpr uint16_t kFixedInfoSize = 52;
  Bytes info;
  info.u16(0);  // wLength, patched below
  info.u16(kFixedInfoSize);
  info.u16(0);  // binary value
  info.utf16z("VS_VERSION_INFO");
  info.alignTo(4);
  info.u32(0xFEEF04BDu);
  info.u32(0x00010000u);
  info.u32(high(fileVersion));
  info.u32(low(fileVersion));
  info.u32(high(productVersion));
  info.u32(low(productVersion));
  info.u32(0x3F);        // flags mask
  info.u32(0);           // flags
  info.u32(0x00040004);  // VOS_NT_WINDOWS32
  info.u32(1);           // VFT_APP
  info.u32(0);
  info.u32(0);
  info.u32(0);
  info.patch16(0, static_cast<uint16_t>(info.size()));
  return info;
}

void directory(Bytes& out, uint32_t id, uint32_t target) {
  out.u32(0);  // characteristics
  out.u32(0);  // time stamp
  out.u16(0);  // major version
  out.u16(0);  // minor version
  out.u16(0);  // named entries
  out.u16(1);  // id entries
  out.u32(id);
  out.u32(target);
}

// The resource tree type 16 / id 1 / language 0x409 and its data.
Bytes resourceSection(const VersionParts& fileVersion, const VersionParts& productVersion) {
  const Bytes data = versionInfo(fileVersion, productVersion);
  Bytes section;
  directory(section, kRtVersion, kSubdirectoryFlag | 24);
  directory(section, 1, kSubdirectoryFlag | 48);
  directory(section, 0x409, 72);
  section.u32(kSectionRva + 88);  // data entry: RVA, size, code page, reserved
  section.u32(static_cast<uint32_t>(data.size()));
  section.u32(0);
  section.u32(0);
  section.append(data);
  section.alignTo(0x200);
  return section;
}

Bytes headers(const Bytes* resources) {
  Bytes image;
  image.text("MZ");
  image.padTo(0x3C);
  image.u32(kPeOffset);
  image.padTo(kPeOffset);
  image.text(std::string_view("PE\0\0", 4));
  image.u16(0x14C);  // i386
  image.u16(resources ? 1 : 0);
  image.u32(0);
  image.u32(0);
  image.u32(0);
  image.u16(kOptionalHeaderSize);
  image.u16(0x0102);  // executable, 32-bit
  const size_t optional = image.size();
  image.u16(0x10B);  // PE32
  image.zeros(26);
  image.u32(0x400000);  // image base
  image.u32(0x1000);    // section alignment
  image.u32(0x200);     // file alignment
  image.zeros(16);
  image.u32(kSectionRva + 0x1000);  // size of image
  image.u32(kSectionFileOffset);    // size of headers
  image.u32(0);
  image.u16(2);  // GUI subsystem
  image.u16(0);
  image.zeros(20);
  image.u32(16);  // data directories
  for (uint32_t i = 0; i < 16; ++i) {
    const bool isResource = resources && i == kResourceDirectoryIndex;
    image.u32(isResource ? kSectionRva : 0);
    image.u32(isResource ? static_cast<uint32_t>(resources->size()) : 0);
  }
  image.padTo(optional + kOptionalHeaderSize);
  if (resources) {
    image.text(std::string_view(".rsrc\0\0\0", 8));
    image.u32(static_cast<uint32_t>(resources->size()));
    image.u32(kSectionRva);
    image.u32(static_cast<uint32_t>(resources->size()));
    image.u32(kSectionFileOffset);
    image.zeros(12);
    image.u32(0x40000040u);  // initialised data, readable
  }
  image.padTo(kSectionFileOffset);
  return image;
}

}  // namespace

std::string buildPeWithVersion(const VersionParts& fileVersion,
                               const VersionParts& productVersion) {
  const Bytes resources = resourceSection(fileVersion, productVersion);
  Bytes image = headers(&resources);
  image.append(resources);
  return image.str();
}

std::string buildPeWithoutVersion() {
  return headers(nullptr).str();
}

}  // namespace tallyfold::test
