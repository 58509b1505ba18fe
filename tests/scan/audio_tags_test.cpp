// Tags of every audio format, written by TagLib itself into small files the
// test builds: only the container's own header bytes are made by hand (no
// audio), then TagLib adds the tag as it would to a real recording.

#include "scan/audio_tags.h"

#include <asffile.h>
#include <fcntl.h>
#include <flacfile.h>
#include <gtest/gtest.h>
#include <id3v1tag.h>
#include <id3v2tag.h>
#include <mp4file.h>
#include <mpegfile.h>
#include <opusfile.h>
#include <textidentificationframe.h>
#include <unistd.h>
#include <vorbisfile.h>

#include <string>

#include "platform/file_descriptor.h"
#include "support/temp_dir.h"

namespace tallyfold {
namespace {

using test::TempDir;

std::string le32(uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
          static_cast<char>(v >> 24)};
}
std::string le16(uint16_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8)};
}
std::string le64(uint64_t v) {
  return le32(static_cast<uint32_t>(v)) + le32(static_cast<uint32_t>(v >> 32));
}
std::string be32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
          static_cast<char>(v)};
}

// One Ogg page holding one whole packet (below 255 * 255 bytes).
std::string oggPage(const std::string& packet, uint32_t sequence, uint8_t type) {
  std::string segments;
  size_t left = packet.size();
  while (left >= 255) {
    segments += '\xff';
    left -= 255;
  }
  segments += static_cast<char>(left);
  return "OggS" + std::string(1, '\0') + std::string(1, static_cast<char>(type)) + le64(0) +
         le32(0x1234) + le32(sequence) + le32(0) +
         std::string(1, static_cast<char>(segments.size())) + segments + packet;
}

std::string vorbisFile() {
  const std::string identification =
      "\x01vorbis" + le32(0) + "\x02" + le32(44100) + le32(0) + le32(128000) + le32(0) + "\xb8\x01";
  const std::string comments = "\x03vorbis" + le32(4) + "test" + le32(0) + "\x01";
  const std::string setup = "\x05vorbis" + std::string(16, '\0');
  return oggPage(identification, 0, 2) + oggPage(comments, 1, 0) + oggPage(setup, 2, 0);
}

std::string opusFile() {
  const std::string head = "OpusHead\x01\x02" + le16(312) + le32(48000) + le16(0) + "\x00";
  const std::string tags = "OpusTags" + le32(4) + "test" + le32(0);
  return oggPage(std::string(head.data(), 19), 0, 2) + oggPage(tags, 1, 0);
}

std::string flacFile() {
  // STREAMINFO, the last metadata block: 4096-sample blocks, 44.1 kHz,
  // stereo, 16 bits, length unknown.
  std::string info = std::string("\x10\x00\x10\x00", 4) + std::string(6, '\0') +
                     std::string("\x0a\xc4\x42\xf0", 4) + std::string(4, '\0') +
                     std::string(16, '\0');
  return "fLaC" + std::string("\x80\x00\x00\x22", 4) + info + std::string(64, '\xff');
}

std::string atom(const std::string& type, const std::string& body) {
  return be32(static_cast<uint32_t>(8 + body.size())) + type + body;
}

std::string mp4File() {
  const std::string mvhd = atom("mvhd", std::string(100, '\0'));
  return atom("ftyp", "M4A " + be32(0) + "M4A isom") + atom("moov", mvhd) +
         atom("mdat", std::string(16, '\0'));
}

// An ASF GUID in its byte order from its usual text form.
std::string guid(uint32_t a, uint16_t b, uint16_t c, uint64_t d) {
  std::string tail;
  for (int shift = 56; shift >= 0; shift -= 8) tail += static_cast<char>(d >> shift);
  return le32(a) + le16(b) + le16(c) + tail;
}

std::string asfObject(const std::string& id, const std::string& body) {
  return id + le64(24 + body.size()) + body;
}

std::string wmaFile() {
  const std::string fileProperties =
      asfObject(guid(0x8CABDCA1, 0xA947, 0x11CF, 0x8EE400C00C205365), std::string(80, '\0'));
  const std::string streamProperties =
      asfObject(guid(0xB7DC0791, 0xA9B7, 0x11CF, 0x8EE600C00C205365), std::string(80, '\0'));
  const std::string body = le32(2) + "\x01\x02" + fileProperties + streamProperties;
  return asfObject(guid(0x75B22630, 0x668E, 0x11CF, 0xA6D900AA0062CE6C), body);
}

void fill(TagLib::Tag* tag, const std::string& prefix) {
  ASSERT_NE(tag, nullptr);
  tag->setTitle(TagLib::String(prefix + " Title \xc3\xa9t\xc3\xa9", TagLib::String::UTF8));
  tag->setArtist(prefix + " Artist");
  tag->setAlbum(prefix + " Album");
  tag->setYear(2021);
  tag->setGenre("Jazz");
  tag->setComment("line one\nline two");
}

// The fields as the columns take them.
std::string columnsOf(int fd, const std::string& name) {
  AudioTags tags;
  readAudioTags(fd, name, tags);
  return tags.title + "|" + tags.artist + "|" + tags.album + "|" + tags.year + "|" + tags.genre +
         "|" + tags.comment;
}

std::string columnsOf(const std::string& path) {
  FileDescriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  const size_t slash = path.rfind('/');
  return columnsOf(fd.get(), path.substr(slash + 1));
}

std::string expected(const std::string& prefix) {
  return prefix + " Title \xc3\xa9t\xc3\xa9|" + prefix + " Artist|" + prefix +
         " Album|2021|Jazz|line one line two";
}

class AudioTagsTest : public ::testing::Test {
 protected:
  TempDir dir;
};

TEST_F(AudioTagsTest, Mp3WithId3v2) {
  const std::string path = dir.writeFile("song.MP3", std::string(2000, '\0'));
  {
    TagLib::MPEG::File file(path.c_str(), false);
    fill(file.ID3v2Tag(true), "Mp3");
    ASSERT_TRUE(file.save(TagLib::MPEG::File::ID3v2));
  }
  EXPECT_EQ(columnsOf(path), expected("Mp3"));
}

TEST_F(AudioTagsTest, Id3v2GenreNumbersAreNamedByTheProgramsTable) {
  const std::string path = dir.writeFile("g.mp3", std::string(500, '\0'));
  {
    TagLib::MPEG::File file(path.c_str(), false);
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
    tag->setTitle("T");
    auto* genre = new TagLib::ID3v2::TextIdentificationFrame("TCON", TagLib::String::Latin1);
    genre->setText("27");  // TagLib's own table spells it "Trip-Hop"
    tag->addFrame(genre);
    ASSERT_TRUE(file.save(TagLib::MPEG::File::ID3v2));
  }
  AudioTags tags;
  FileDescriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  ASSERT_TRUE(readAudioTags(fd.get(), "g.mp3", tags));
  EXPECT_EQ(tags.genre, "Trip Hop");
}

TEST_F(AudioTagsTest, Mp3WithOnlyId3v1KeepsWindows1252AndTheGenreTable) {
  const std::string path = dir.writeFile("old.mp3", std::string(2000, '\0'));
  {
    TagLib::MPEG::File file(path.c_str(), false);
    TagLib::Tag* tag = file.ID3v1Tag(true);
    tag->setTitle("Old");
    tag->setGenre("Trip-Hop");  // number 27
    ASSERT_TRUE(file.save(TagLib::MPEG::File::ID3v1));
  }
  // A Windows-1252 byte written into the tag's artist field by hand: the
  // program's own reader gives the euro sign.
  std::string bytes = test::readFile(path);
  ASSERT_EQ(bytes.substr(bytes.size() - 128, 3), "TAG");
  bytes[bytes.size() - 128 + 33] = '\x80';
  dir.writeFile("old.mp3", bytes);
  AudioTags tags;
  FileDescriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  ASSERT_TRUE(readAudioTags(fd.get(), "old.mp3", tags));
  EXPECT_EQ(tags.title, "Old");
  EXPECT_EQ(tags.artist, "\xe2\x82\xac");
  EXPECT_EQ(tags.genre, "Trip Hop");
}

TEST_F(AudioTagsTest, Flac) {
  const std::string path = dir.writeFile("a.flac", flacFile());
  {
    TagLib::FLAC::File file(path.c_str(), false);
    ASSERT_TRUE(file.isValid());
    fill(file.xiphComment(true), "Flac");
    ASSERT_TRUE(file.save());
  }
  EXPECT_EQ(columnsOf(path), expected("Flac"));
}

TEST_F(AudioTagsTest, OggVorbis) {
  const std::string path = dir.writeFile("a.ogg", vorbisFile());
  {
    TagLib::Ogg::Vorbis::File file(path.c_str(), false);
    ASSERT_TRUE(file.isValid());
    fill(file.tag(), "Vorbis");
    ASSERT_TRUE(file.save());
  }
  EXPECT_EQ(columnsOf(path), expected("Vorbis"));
}

TEST_F(AudioTagsTest, OpusAlsoUnderTheOggExtension) {
  const std::string path = dir.writeFile("a.opus", opusFile());
  {
    TagLib::Ogg::Opus::File file(path.c_str(), false);
    ASSERT_TRUE(file.isValid());
    fill(file.tag(), "Opus");
    ASSERT_TRUE(file.save());
  }
  EXPECT_EQ(columnsOf(path), expected("Opus"));
  dir.writeFile("b.ogg", test::readFile(path));
  EXPECT_EQ(columnsOf(dir / "b.ogg"), expected("Opus"));
}

TEST_F(AudioTagsTest, M4a) {
  const std::string path = dir.writeFile("a.m4a", mp4File());
  {
    TagLib::MP4::File file(path.c_str(), false);
    ASSERT_TRUE(file.isValid());
    fill(file.tag(), "M4a");
    ASSERT_TRUE(file.save());
  }
  EXPECT_EQ(columnsOf(path), expected("M4a"));
}

TEST_F(AudioTagsTest, Wma) {
  const std::string path = dir.writeFile("a.wma", wmaFile());
  {
    TagLib::ASF::File file(path.c_str(), false);
    ASSERT_TRUE(file.isValid());
    fill(file.tag(), "Wma");
    ASSERT_TRUE(file.save());
  }
  EXPECT_EQ(columnsOf(path), expected("Wma"));
}

TEST_F(AudioTagsTest, LongTextsAreReadWhole) {
  const std::string path = dir.writeFile("long.flac", flacFile());
  {
    TagLib::FLAC::File file(path.c_str(), false);
    file.xiphComment(true)->setTitle(std::string(45, 'x'));
    file.xiphComment(true)->setYear(12345);
    ASSERT_TRUE(file.save());
  }
  AudioTags tags;
  FileDescriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  ASSERT_TRUE(readAudioTags(fd.get(), "long.flac", tags));
  EXPECT_EQ(tags.title, std::string(45, 'x'));
  EXPECT_EQ(tags.year, "12345");
}

TEST_F(AudioTagsTest, DamagedAndForeignFilesGiveBlankFields) {
  const std::string blank = "|||||";
  // Garbage under every audio name, a truncated tag and an ID3v2 header
  // that claims more than the file holds.
  for (const char* name : {"x.mp3", "x.flac", "x.ogg", "x.opus", "x.m4a", "x.wma"}) {
    dir.writeFile(name, std::string(300, '\x07'));
    EXPECT_EQ(columnsOf(dir / name), blank) << name;
  }
  std::string flac = flacFile();
  dir.writeFile("cut.flac", flac.substr(0, 20));
  EXPECT_EQ(columnsOf(dir / "cut.flac"), blank);
  dir.writeFile("big.mp3", std::string("ID3\x04\x00\x00\x7f\x7f\x7f\x7f", 10) + "TIT2");
  EXPECT_EQ(columnsOf(dir / "big.mp3"), blank);
  dir.writeFile("empty.m4a", "");
  EXPECT_EQ(columnsOf(dir / "empty.m4a"), blank);
}

TEST_F(AudioTagsTest, FilesNamedAsNoAudioFormatAreNotRead) {
  // An ID3v1 tag at the end of a text file is not looked for.
  const std::string path = dir.writeFile("song.mp3", std::string(200, '\0'));
  {
    TagLib::MPEG::File file(path.c_str(), false);
    file.ID3v1Tag(true)->setTitle("Hidden");
    ASSERT_TRUE(file.save(TagLib::MPEG::File::ID3v1));
  }
  dir.writeFile("song.txt", test::readFile(path));
  AudioTags tags;
  FileDescriptor fd(open((dir / "song.txt").c_str(), O_RDONLY | O_CLOEXEC));
  EXPECT_FALSE(readAudioTags(fd.get(), "song.txt", tags));
  EXPECT_EQ(tags.title, "");
  EXPECT_TRUE(isAudioFileName("A.FLAC"));
  EXPECT_TRUE(isAudioFileName("x.Opus"));
  EXPECT_FALSE(isAudioFileName("mp3"));
  EXPECT_FALSE(isAudioFileName("x.mp3.txt"));
  EXPECT_FALSE(isAudioFileName("x.wav"));
}

}  // namespace
}  // namespace tallyfold
