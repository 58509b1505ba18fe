// The media facts of files read by the real reader of this build: the
// extensions that choose a reader, images whose header alone gives their
// size, and crafted files that must cost only their own facts, in time.

#include "scan/media_files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_descriptor.h"
#include "support/temp_dir.h"

namespace tallyfold {
namespace {

using test::TempDir;

std::string bigEndian16(unsigned value) {
  return {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}

std::string littleEndian32(uint32_t value) {
  std::string out;
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((value >> shift) & 0xFF);
  return out;
}

// A JPEG of markers only: an application segment of the given bytes, then a
// frame header of that size, and no image data.
std::string jpegOfFrame(unsigned width, unsigned height, const std::string& app1) {
  std::string jpeg = "\xFF\xD8";
  if (!app1.empty())
    jpeg += "\xFF\xE1" + bigEndian16(static_cast<unsigned>(app1.size() + 2)) + app1;
  jpeg += "\xFF\xFF\xC2" + bigEndian16(17) + "\x08" + bigEndian16(height) + bigEndian16(width);
  jpeg += std::string("\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01", 10) + std::string(2, '\0');
  jpeg += "\xFF\xD9";
  return jpeg;
}

std::string bmpOf(uint32_t width, int32_t height) {
  std::string bmp = "BM" + littleEndian32(54) + std::string(4, '\0') + littleEndian32(54);
  bmp += littleEndian32(40) + littleEndian32(width) + littleEndian32(static_cast<uint32_t>(height));
  return bmp + std::string(28, '\0');
}

std::string webpLosslessOf(unsigned width, unsigned height) {
  const uint32_t bits = (width - 1) | (height - 1) << 14;
  std::string chunk = "VP8L" + littleEndian32(5) + "\x2F" + littleEndian32(bits);
  return "RIFF" + littleEndian32(static_cast<uint32_t>(4 + chunk.size())) + "WEBP" + chunk;
}

class MediaFilesTest : public ::testing::Test {
 protected:
  TempDir dir;

  // The facts of the files, all read in one call as a folder block is.
  std::vector<MediaFacts> read(const std::vector<std::string>& names) {
    std::vector<std::unique_ptr<FileDescriptor>> opened;
    std::vector<MediaFile> files;
    for (const std::string& name : names) {
      const int fd = ::open((dir / name).c_str(), O_RDONLY | O_CLOEXEC);
      EXPECT_GE(fd, 0) << name;
      opened.push_back(std::make_unique<FileDescriptor>(fd));
      files.push_back({fd, name, name});
    }
    std::vector<MediaFacts> facts(files.size());
    readMediaFactsOf(files.data(), files.size(), facts.data(), nullptr);
    return facts;
  }
};

TEST_F(MediaFilesTest, ExtensionsChooseTheReaderInAnyCase) {
  EXPECT_EQ(mediaFormatOf("a.MP3"), MediaFormat::Mpeg);
  EXPECT_EQ(mediaFormatOf("a.Flac"), MediaFormat::Flac);
  EXPECT_EQ(mediaFormatOf("a.opus"), MediaFormat::Ogg);
  EXPECT_EQ(mediaFormatOf("a.m4b"), MediaFormat::Mp4Audio);
  EXPECT_EQ(mediaFormatOf("a.aif"), MediaFormat::Aiff);
  EXPECT_EQ(mediaFormatOf("a.JPEG"), MediaFormat::Image);
  EXPECT_EQ(mediaFormatOf("raw.CR3"), MediaFormat::Image);
  EXPECT_EQ(mediaFormatOf("raw.rw2"), MediaFormat::Image);
  // MP4 is read as a video, its tags still as audio.
  EXPECT_EQ(mediaFormatOf("film.mp4"), MediaFormat::Video);
  EXPECT_EQ(mediaFormatOf("film.M2TS"), MediaFormat::Video);
  EXPECT_EQ(mediaFormatOf("film.webm"), MediaFormat::Video);
  for (const char* other : {"notes.txt", "jpg", ".jpg.", "a.jpgx", "a.tar.gz", "mp3", ""}) {
    EXPECT_FALSE(isMediaFileName(other)) << other;
  }
}

TEST_F(MediaFilesTest, HeadersGiveThePixelSizeOfImagesWithoutMetadata) {
  dir.writeFile("frame.jpg", jpegOfFrame(6000, 4000, ""));
  // An EXIF segment that holds no TIFF data, before the frame header.
  dir.writeFile("bad-exif.jpg",
                jpegOfFrame(640, 480, std::string("Exif\0\0MM\0*\xFF\xFF\xFF\xFF", 14)));
  dir.writeFile("top-down.bmp", bmpOf(320, -200));
  dir.writeFile("lossless.webp", webpLosslessOf(300, 150));
  dir.writeFile("wide.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16) +
                                std::string("\0\0\x10\0\0\0\0\x20\x08\x02\0\0\0", 13) +
                                std::string(4, '\0'));
  const std::vector<MediaFacts> facts =
      read({"frame.jpg", "bad-exif.jpg", "top-down.bmp", "lossless.webp", "wide.png"});
  const std::pair<uint32_t, uint32_t> sizes[] = {
      {6000, 4000}, {640, 480}, {320, 200}, {300, 150}, {4096, 32}};
  for (size_t i = 0; i < facts.size(); ++i) {
    EXPECT_EQ(facts[i].width, sizes[i].first) << i;
    EXPECT_EQ(facts[i].height, sizes[i].second) << i;
    EXPECT_TRUE(facts[i].taken.empty() && facts[i].camera.empty()) << i;
  }
  EXPECT_EQ(facts[0].codec, "JPEG");
}

TEST_F(MediaFilesTest, CraftedFilesCostOnlyTheirOwnFactsAndEndInTime) {
  // A TIFF whose first directory names itself as the next, with an EXIF
  // pointer far past the end.
  std::string tiff = std::string("II*\0", 4) + littleEndian32(8);
  tiff += std::string("\x02\x00", 2);
  tiff += std::string("\x69\x87\x04\x00\x01\x00\x00\x00", 8) + littleEndian32(0x7FFFFFF0);
  tiff += std::string("\x00\x01\x04\x00\x01\x00\x00\x00", 8) + littleEndian32(100);
  tiff += littleEndian32(8);
  dir.writeFile("loop.tif", tiff);
  // An MP4 whose first box claims to be larger than any file.
  dir.writeFile("huge-box.mp4", std::string("\xFF\xFF\xFF\xFFmoov", 8) + std::string(64, 'x'));
  // An MP4 box of the 64-bit size form, its size zero.
  dir.writeFile("zero-box.mov", std::string("\0\0\0\x01"
                                            "ftyp",
                                            8) +
                                    std::string(8, '\0') + std::string(32, 'y'));
  // Frame headers without end: markers that are all fill.
  dir.writeFile("fill.jpg", "\xFF\xD8" + std::string(100000, '\xFF'));
  // A FLAC stream header claiming an absurd number of samples.
  dir.writeFile("long.flac", std::string("fLaC\x80\0\0\x22", 8) + std::string(10, '\0') +
                                 std::string("\x0A\xC4\x42\xF0\xFF\xFF\xFF\xFF", 8) +
                                 std::string(16, '\0'));
  dir.writeFile("good.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16) +
                                std::string("\0\0\0\x07\0\0\0\x05\x08\x02\0\0\0", 13) +
                                std::string(4, '\0'));
  const auto start = std::chrono::steady_clock::now();
  const std::vector<MediaFacts> facts =
      read({"loop.tif", "huge-box.mp4", "zero-box.mov", "fill.jpg", "long.flac", "good.png"});
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, 10.0);
  for (size_t i = 0; i + 1 < facts.size(); ++i) {
    EXPECT_EQ(facts[i].width, 0u) << i;
    EXPECT_TRUE(facts[i].taken.empty()) << i;
  }
  // The file after them is read as if they had not been there.
  EXPECT_EQ(facts.back().width, 7u);
  EXPECT_EQ(facts.back().height, 5u);
}

TEST_F(MediaFilesTest, AFileALibraryLoopsOnIsEndedByItsCpuTimer) {
  // A Matroska file, found by fuzzing, on which MediaInfoLib never returns.
  std::ifstream looping(std::string(TALLYFOLD_TEST_DATA) + "/media/looping.mkv", std::ios::binary);
  ASSERT_TRUE(looping);
  dir.writeFile("looping.mkv", std::string(std::istreambuf_iterator<char>(looping), {}));
  dir.writeFile("after.bmp", bmpOf(12, 34));
  testing::internal::CaptureStderr();
  const std::vector<MediaFacts> facts = read({"looping.mkv", "after.bmp"});
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(facts[0].durationMs, 0u);
  EXPECT_TRUE(facts[0].codec.empty());
  EXPECT_EQ(facts[1].width, 12u);
  EXPECT_EQ(facts[1].height, 34u);
  // Ended by the reader's own CPU timer, not by the program's longer wait;
  // a count of CPU time, so a busy machine does not change the outcome.
  EXPECT_NE(said.find("looping.mkv"), std::string::npos) << said;
  EXPECT_NE(said.find("ended by signal " + std::to_string(SIGVTALRM)), std::string::npos) << said;
  EXPECT_EQ(said.find("after.bmp"), std::string::npos) << said;
}

}  // namespace
}  // namespace tallyfold
