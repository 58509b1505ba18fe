#include "reader/image_metadata.h"

#include <exiv2/exiv2.hpp>

#include <memory>
#include <string>

#include "platform/budgeted_file.h"
#include "reader/descriptor_io.h"
#include "reader/image_header.h"

namespace tallyfold {

namespace {

// Metadata lies in the first megabytes of an image; a file that asks for
// more reads of it than this is not read further.
constexpr uint64_t kImageReadBudgetBytes = 8ULL << 20;

std::string exifText(const Exiv2::ExifData& exif, const char* key) {
  const auto found = exif.findKey(Exiv2::ExifKey(key));
  if (found == exif.end()) return {};
  std::string text = found->toString();
  // ASCII values keep their NUL padding and trailing blanks in many cameras.
  while (!text.empty() && (text.back() == '\0' || text.back() == ' ')) text.pop_back();
  const size_t nul = text.find('\0');
  if (nul != std::string::npos) text.resize(nul);
  return text;
}

bool isDigits(std::string_view text, size_t at, size_t count) {
  if (at + count > text.size()) return false;
  for (size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return true;
}

// "2024:03:05 14:07:09" and an offset "+01:00" as ISO 8601; empty for a
// date that is not of that form (cameras without a clock write blanks or
// zeros).
std::string isoTaken(std::string_view date, std::string_view offset) {
  if (date.size() < 19 || !isDigits(date, 0, 4) || !isDigits(date, 5, 2) || !isDigits(date, 8, 2) ||
      !isDigits(date, 11, 2) || !isDigits(date, 14, 2) || !isDigits(date, 17, 2) ||
      date.substr(0, 4) == "0000") {
    return {};
  }
  std::string iso(date.substr(0, 19));
  iso[4] = '-';
  iso[7] = '-';
  iso[10] = 'T';
  iso[13] = ':';
  iso[16] = ':';
  if (offset.size() == 6 && (offset[0] == '+' || offset[0] == '-') && isDigits(offset, 1, 2) &&
      offset[3] == ':' && isDigits(offset, 4, 2)) {
    iso += offset;
  }
  return iso;
}

// The model alone when it already names the make ("Canon" and "Canon EOS R5").
std::string cameraOf(const std::string& make, const std::string& model) {
  if (model.empty()) return make;
  if (make.empty() || model.compare(0, make.size(), make) == 0) return model;
  const size_t firstWord = make.find(' ');
  if (firstWord != std::string::npos && model.compare(0, firstWord, make, 0, firstWord) == 0) {
    return model;
  }
  return make + " " + model;
}

// "image/jpeg" -> "JPEG", "image/x-canon-cr2" -> "CR2".
std::string formatOfMimeType(const std::string& mime) {
  const size_t cut = mime.find_last_of("/-");
  std::string format = cut == std::string::npos ? mime : mime.substr(cut + 1);
  for (char& c : format) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return format;
}

void takeExif(const Exiv2::ExifData& exif, MediaFacts& facts) {
  std::string date = exifText(exif, "Exif.Photo.DateTimeOriginal");
  std::string offset = exifText(exif, "Exif.Photo.OffsetTimeOriginal");
  if (date.empty()) {
    date = exifText(exif, "Exif.Image.DateTimeOriginal");
  }
  facts.taken = isoTaken(date, offset);
  facts.camera = cameraOf(exifText(exif, "Exif.Image.Make"), exifText(exif, "Exif.Image.Model"));
}

bool readWithExiv2(int fd, MediaFacts& facts) {
  Exiv2::BasicIo::AutoPtr io(new DescriptorIo(fd, kImageReadBudgetBytes));
  Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(io);
  if (image.get() == nullptr) return false;
  image->readMetadata();
  takeExif(image->exifData(), facts);
  facts.width = static_cast<uint32_t>(std::max(0, image->pixelWidth()));
  facts.height = static_cast<uint32_t>(std::max(0, image->pixelHeight()));
  facts.codec = formatOfMimeType(image->mimeType());
  return true;
}

bool readHeader(int fd, MediaFacts& facts) {
  BudgetedFile file(fd, 1ULL << 20);
  const std::optional<ImageHeader> header =
      readImageHeader([&file](uint64_t offset, unsigned char* into, size_t count) {
        return file.readAt(offset, reinterpret_cast<char*>(into), count);
      });
  if (!header) return false;
  facts.width = header->width;
  facts.height = header->height;
  if (facts.codec.empty()) facts.codec = header->format;
  return true;
}

}  // namespace

void prepareImageMetadata() {
  Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
  // Exiv2 finds its message catalogue by the program's path on its first
  // error: a damaged image must not be the first.
  try {
    throw Exiv2::Error(Exiv2::kerInvalidMalloc);
  } catch (const Exiv2::AnyError& error) {
    (void)error.what();
  }
  Exiv2::XmpParser::initialize();
#ifdef EXV_ENABLE_BMFF
  Exiv2::enableBMFF(true);
#endif
}

bool readImageMetadata(int fd, MediaFacts& facts) {
  bool read = false;
  try {
    read = readWithExiv2(fd, facts);
  } catch (const Exiv2::AnyError&) {
    // A damaged image may still tell its size in its header.
    facts = MediaFacts{};
  }
  if (facts.width == 0 || facts.height == 0) {
    facts.width = facts.height = 0;
    read = readHeader(fd, facts) || read;
  }
  return read;
}

}  // namespace tallyfold
