#include "platform/pe_version.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace tallyfold {

namespace {

// Limits that no sound file comes near; they keep a hostile header from
// making the reader allocate or search without bound.
constexpr uint32_t kMaxSections = 96 * 16;
constexpr uint32_t kMaxDirectoryEntries = 4096;
constexpr uint32_t kMaxVersionBlock = 0xFFFF;  // its length field is 16 bits
constexpr uint32_t kResourceDirectoryIndex = 2;
constexpr uint32_t kVersionResourceType = 16;
constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr uint32_t kSubdirectoryBit = 0x80000000u;

uint16_t le16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t le32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Reads exact byte ranges of one file; a range that does not lie wholly
// inside the file is refused.
class RangeReader {
 public:
  // fd: an open file, left open.
  explicit RangeReader(int fd) : fd_(fd) {
    struct stat info {};
    if (fd_ >= 0 && fstat(fd_, &info) == 0 && S_ISREG(info.st_mode)) {
      size_ = static_cast<uint64_t>(info.st_size);
    }
  }
  RangeReader(const RangeReader&) = delete;
  RangeReader& operator=(const RangeReader&) = delete;

  bool read(uint64_t offset, uint32_t length, std::vector<unsigned char>& out) const {
    if (fd_ < 0 || offset > size_ || length > size_ - offset) return false;
    out.resize(length);
    size_t done = 0;
    while (done < length) {
      ssize_t got = pread(fd_, out.data() + done, length - done, static_cast<off_t>(offset + done));
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return false;
      done += static_cast<size_t>(got);
    }
    return true;
  }

 private:
  int fd_;
  uint64_t size_ = 0;
};

struct Section {
  uint32_t virtualAddress = 0;
  uint32_t span = 0;  // bytes of the section that the file holds
  uint32_t fileOffset = 0;
};

// Where a relative virtual address lies in the file, and how many bytes of
// its section follow it there.
struct Mapped {
  uint64_t offset = 0;
  uint32_t available = 0;
};

class PeImage {
 public:
  explicit PeImage(const RangeReader& file) : file_(file) {}

  bool readHeaders();
  std::optional<Mapped> map(uint32_t rva) const;
  uint32_t resourceRva() const { return resourceRva_; }

 private:
  bool readSectionTable(uint64_t offset, uint32_t count);

  const RangeReader& file_;
  uint32_t resourceRva_ = 0;
  std::vector<Section> sections_;
};

bool PeImage::readHeaders() {
  std::vector<unsigned char> bytes;
  if (!file_.read(0, 64, bytes) || bytes[0] != 'M' || bytes[1] != 'Z') return false;
  const uint64_t peOffset = le32(&bytes[0x3C]);
  // Signature and COFF file header.
  if (!file_.read(peOffset, 24, bytes)) return false;
  if (bytes[0] != 'P' || bytes[1] != 'E' || bytes[2] != 0 || bytes[3] != 0) return false;
  const uint32_t sectionCount = le16(&bytes[6]);
  const uint32_t optionalSize = le16(&bytes[20]);
  const uint64_t optionalOffset = peOffset + 24;
  if (!file_.read(optionalOffset, optionalSize, bytes) || optionalSize < 2) return false;
  uint32_t countField = 0;
  uint32_t directoriesAt = 0;
  switch (le16(&bytes[0])) {
    case 0x10B:
      countField = 92, directoriesAt = 96;
      break;  // PE32
    case 0x20B:
      countField = 108, directoriesAt = 112;
      break;  // PE32+
    default:
      return false;
  }
  const uint32_t entryAt = directoriesAt + 8 * kResourceDirectoryIndex;
  if (optionalSize < entryAt + 8 || le32(&bytes[countField]) <= kResourceDirectoryIndex) {
    return false;
  }
  resourceRva_ = le32(&bytes[entryAt]);
  if (resourceRva_ == 0 || le32(&bytes[entryAt + 4]) == 0) return false;
  return readSectionTable(optionalOffset + optionalSize, sectionCount);
}

bool PeImage::readSectionTable(uint64_t offset, uint32_t count) {
  if (count == 0 || count > kMaxSections) return false;
  std::vector<unsigned char> table;
  if (!file_.read(offset, 40 * count, table)) return false;
  for (uint32_t i = 0; i < count; ++i) {
    const unsigned char* header = &table[40 * i];
    const uint32_t virtualSize = le32(header + 8);
    const uint32_t rawSize = le32(header + 16);
    Section section;
    section.virtualAddress = le32(header + 12);
    section.span = (virtualSize != 0 && virtualSize < rawSize) ? virtualSize : rawSize;
    section.fileOffset = le32(header + 20);
    sections_.push_back(section);
  }
  return true;
}

std::optional<Mapped> PeImage::map(uint32_t rva) const {
  auto holder = std::find_if(sections_.begin(), sections_.end(), [rva](const Section& section) {
    return rva >= section.virtualAddress && rva - section.virtualAddress < section.span;
  });
  if (holder == sections_.end()) return std::nullopt;
  const uint32_t into = rva - holder->virtualAddress;
  return Mapped{uint64_t{holder->fileOffset} + into, holder->span - into};
}

// Walks the three levels of the resource tree (type, name, language) to the
// data entry of the first version resource.
class ResourceTree {
 public:
  ResourceTree(const RangeReader& file, const PeImage& image) : file_(file), image_(image) {}

  std::optional<Mapped> firstVersionResource() const;

 private:
  // The OffsetToData of the entry chosen in the directory at a tree offset:
  // the one with the given id, or the first one when id is empty.
  std::optional<uint32_t> entry(uint32_t directoryOffset, std::optional<uint32_t> id) const;
  bool readAt(uint32_t treeOffset, uint32_t length, std::vector<unsigned char>& out) const;

  const RangeReader& file_;
  const PeImage& image_;
};

bool ResourceTree::readAt(uint32_t treeOffset, uint32_t length,
                          std::vector<unsigned char>& out) const {
  const uint64_t rva = uint64_t{image_.resourceRva()} + treeOffset;
  if (rva > UINT32_MAX) return false;
  std::optional<Mapped> where = image_.map(static_cast<uint32_t>(rva));
  return where && length <= where->available && file_.read(where->offset, length, out);
}

std::optional<uint32_t> ResourceTree::entry(uint32_t directoryOffset,
                                            std::optional<uint32_t> id) const {
  std::vector<unsigned char> header;
  if (!readAt(directoryOffset, 16, header)) return std::nullopt;
  const uint32_t count = uint32_t{le16(&header[12])} + le16(&header[14]);
  if (count == 0 || count > kMaxDirectoryEntries) return std::nullopt;
  std::vector<unsigned char> entries;
  if (uint64_t{directoryOffset} + 16 > UINT32_MAX ||
      !readAt(directoryOffset + 16, 8 * count, entries)) {
    return std::nullopt;
  }
  if (!id) return le32(&entries[4]);
  // Named entries should come first, but a file may mix them; an id entry is
  // one whose name has the high bit clear.
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t name = le32(&entries[8 * i]);
    if ((name & kSubdirectoryBit) == 0 && name == *id) return le32(&entries[8 * i + 4]);
  }
  return std::nullopt;
}

std::optional<Mapped> ResourceTree::firstVersionResource() const {
  std::optional<uint32_t> next = entry(0, kVersionResourceType);
  // Type and name entries lead to subdirectories, the language entry to data.
  for (int level = 0; level < 2; ++level) {
    if (!next || (*next & kSubdirectoryBit) == 0) return std::nullopt;
    next = entry(*next & ~kSubdirectoryBit, std::nullopt);
  }
  if (!next || (*next & kSubdirectoryBit) != 0) return std::nullopt;
  std::vector<unsigned char> dataEntry;
  if (!readAt(*next, 16, dataEntry)) return std::nullopt;
  const uint32_t size = le32(&dataEntry[4]);
  std::optional<Mapped> where = image_.map(le32(&dataEntry[0]));
  if (!where || size == 0) return std::nullopt;
  where->available = std::min({where->available, size, kMaxVersionBlock});
  return where;
}

// The VS_VERSIONINFO block: length, value length, type, the key
// "VS_VERSION_INFO" in UTF-16 with its terminator, padding to 4 bytes, then
// the fixed file information.
std::optional<std::array<uint16_t, 4>> fixedFileVersion(const std::vector<unsigned char>& block) {
  static const char kKey[] = "VS_VERSION_INFO";
  constexpr uint32_t kKeyAt = 6;
  constexpr uint32_t kKeyBytes = 2 * sizeof kKey;  // terminator included
  constexpr uint32_t kValueAt = (kKeyAt + kKeyBytes + 3) & ~3u;
  constexpr uint32_t kFixedInfoSize = 52;
  if (block.size() < kValueAt + kFixedInfoSize) return std::nullopt;
  if (le16(&block[0]) < kValueAt + kFixedInfoSize || le16(&block[2]) < kFixedInfoSize) {
    return std::nullopt;
  }
  for (uint32_t i = 0; i < sizeof kKey; ++i) {
    if (le16(&block[kKeyAt + 2 * i]) != static_cast<unsigned char>(kKey[i])) return std::nullopt;
  }
  const unsigned char* info = &block[kValueAt];
  if (le32(info) != kFixedInfoSignature) return std::nullopt;
  const uint32_t most = le32(info + 8);
  const uint32_t least = le32(info + 12);
  return std::array<uint16_t, 4>{static_cast<uint16_t>(most >> 16), static_cast<uint16_t>(most),
                                 static_cast<uint16_t>(least >> 16), static_cast<uint16_t>(least)};
}

}  // namespace

std::optional<std::array<uint16_t, 4>> readPeFileVersion(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  std::optional<std::array<uint16_t, 4>> version = readPeFileVersion(fd);
  close(fd);
  return version;
}

std::optional<std::array<uint16_t, 4>> readPeFileVersion(int fd) {
  RangeReader file(fd);
  PeImage image(file);
  if (!image.readHeaders()) return std::nullopt;
  std::optional<Mapped> resource = ResourceTree(file, image).firstVersionResource();
  std::vector<unsigned char> block;
  if (!resource || !file.read(resource->offset, resource->available, block)) return std::nullopt;
  return fixedFileVersion(block);
}

}  // namespace tallyfold
