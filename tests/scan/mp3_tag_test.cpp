#include "scan/mp3_tag.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace tallyfold {
namespace {

using test::TempDir;

std::string field(std::string_view text, size_t width) {
  std::string bytes(text.substr(0, width));
  bytes.resize(width, '\0');
  return bytes;
}

std::string tagRecord(std::string_view title, std::string_view artist, std::string_view album,
                      std::string_view year, std::string_view comment, uint8_t genre,
                      std::string_view marker = "TAG") {
  std::string record(marker);
  record += field(title, 30);
  record += field(artist, 30);
  record += field(album, 30);
  record += field(year, 4);
  record += field(comment, 30);
  record += static_cast<char>(genre);
  return record;
}

std::string padded(std::string_view text, size_t width) {
  return std::string(text) + std::string(width - text.size(), ' ');
}

void expectBlank(const Mp3Tag& tag) {
  EXPECT_EQ(tag.marker, "   ");
  EXPECT_EQ(tag.title, std::string(30, ' '));
  EXPECT_EQ(tag.artist, std::string(30, ' '));
  EXPECT_EQ(tag.album, std::string(30, ' '));
  EXPECT_EQ(tag.year, "    ");
  EXPECT_EQ(tag.comment, std::string(30, ' '));
  EXPECT_EQ(tag.genre, 0);
  EXPECT_EQ(tag.genreName, "");
}

TEST(Mp3Tag, ReadsTheTagThatEndsTheFile) {
  TempDir dir;
  const std::string audio(5000, '\xff');
  const std::string path = dir.writeFile(
      "song.mp3", audio + tagRecord("Song", "Artist", "Album", "1999", "Nice one", 17));
  Mp3Tag tag;
  EXPECT_TRUE(ReadMp3Tag(path, tag));
  EXPECT_EQ(tag.marker, "TAG");
  EXPECT_EQ(tag.title, padded("Song", 30));
  EXPECT_EQ(tag.artist, padded("Artist", 30));
  EXPECT_EQ(tag.album, padded("Album", 30));
  EXPECT_EQ(tag.year, "1999");
  EXPECT_EQ(tag.comment, padded("Nice one", 30));
  EXPECT_EQ(tag.genre, 17);
  EXPECT_EQ(tag.genreName, "Rock");
}

TEST(Mp3Tag, FileOfExactlyOneTagIsReadAndOneByteLessIsNot) {
  TempDir dir;
  const std::string record = tagRecord("T", "A", "B", "2001", "C", 0);
  Mp3Tag tag;
  EXPECT_TRUE(ReadMp3Tag(dir.writeFile("exact.mp3", record), tag));
  EXPECT_EQ(tag.title, padded("T", 30));
  EXPECT_EQ(tag.genreName, "Blues");

  EXPECT_FALSE(ReadMp3Tag(dir.writeFile("short.mp3", record.substr(0, 127)), tag));
  expectBlank(tag);
  EXPECT_FALSE(ReadMp3Tag(dir.writeFile("empty.mp3"), tag));
  expectBlank(tag);
}

TEST(Mp3Tag, FieldsEndAtTheirFirstNul) {
  TempDir dir;
  const std::string fullTitle = "abcdefghijklmnopqrstuvwxyz0123";
  std::string comment = field("Track note", 30);
  comment[29] = 7;  // an ID3v1.1 track number after the NUL is dropped
  std::string record = tagRecord(fullTitle, "", std::string_view("Al\0bum", 6), "99", "", 1);
  record.replace(97, 30, comment);
  Mp3Tag tag;
  ASSERT_TRUE(ReadMp3Tag(dir.writeFile("a.mp3", record), tag));
  EXPECT_EQ(tag.title, fullTitle);
  EXPECT_EQ(tag.artist, std::string(30, ' '));
  EXPECT_EQ(tag.album, padded("Al", 30));
  EXPECT_EQ(tag.year, "99  ");
  EXPECT_EQ(tag.comment, padded("Track note", 30));
  EXPECT_EQ(tag.genreName, "Classic Rock");
}

TEST(Mp3Tag, TextIsLatin1UnlessItIsUtf8) {
  TempDir dir;
  Mp3Tag tag;
  ASSERT_TRUE(ReadMp3Tag(
      dir.writeFile("a.mp3", tagRecord("Caf\xe9", "Bj\xc3\xb6rk", "", "", "\xe9\xc3", 80)), tag));
  EXPECT_EQ(tag.title, "Caf\xc3\xa9" + std::string(26, ' '));
  EXPECT_EQ(tag.artist, "Bj\xc3\xb6rk" + std::string(25, ' '));
  EXPECT_EQ(tag.comment, "\xc3\xa9\xc3\x83" + std::string(28, ' '));
  EXPECT_EQ(tag.genreName, "Folk");
}

TEST(Mp3Tag, GenreNames) {
  TempDir dir;
  Mp3Tag tag;
  const std::pair<uint8_t, std::string_view> cases[] = {
      {107, "Booty Bass"}, {147, "Synth Pop"}, {148, ""}, {255, ""}};
  for (const auto& [genre, name] : cases) {
    ASSERT_TRUE(ReadMp3Tag(dir.writeFile("g.mp3", tagRecord("", "", "", "", "", genre)), tag));
    EXPECT_EQ(tag.genre, genre);
    EXPECT_EQ(tag.genreName, name) << int(genre);
  }

  const std::pair<int, std::string_view> table[] = {{0, "Blues"},
                                                    {1, "Classic Rock"},
                                                    {17, "Rock"},
                                                    {27, "Trip Hop"},
                                                    {40, "Alt. Rock"},
                                                    {59, "Gangsta Rap"},
                                                    {62, "Pop/Punk"},
                                                    {64, "Native American"},
                                                    {67, "Phychedelic"},
                                                    {80, "Folk"},
                                                    {81, "Folk/Rock"},
                                                    {84, "Fast-Fusion"},
                                                    {89, "Blue Grass"},
                                                    {90, "Avantegarde"},
                                                    {106, "Symphony"},
                                                    {107, "Booty Bass"},
                                                    {123, "A Capella"},
                                                    {132, "Brit Pop"},
                                                    {140, "Comteporary Christian"},
                                                    {144, "Trash Metal"},
                                                    {146, "JPop"},
                                                    {147, "Synth Pop"}};
  for (const auto& [genre, name] : table) EXPECT_EQ(GenreName(genre), name) << genre;
  for (int genre = 0; genre <= 147; ++genre) EXPECT_FALSE(GenreName(genre).empty()) << genre;
  for (int genre = 148; genre <= 255; ++genre) EXPECT_TRUE(GenreName(genre).empty()) << genre;
}

TEST(Mp3Tag, LowerCaseMarkerIsNoTag) {
  TempDir dir;
  Mp3Tag tag;
  EXPECT_FALSE(
      ReadMp3Tag(dir.writeFile("a.mp3", tagRecord("Song", "", "", "", "", 3, "tag")), tag));
  expectBlank(tag);
}

TEST(Mp3Tag, EveryReadStartsFromBlankFields) {
  TempDir dir;
  Mp3Tag tag;
  ASSERT_TRUE(ReadMp3Tag(
      dir.writeFile("song.mp3", tagRecord("Song", "Artist", "Album", "1999", "Note", 107)), tag));
  EXPECT_FALSE(ReadMp3Tag(dir.writeFile("notes.txt", std::string(300, 'x')), tag));
  expectBlank(tag);

  ASSERT_TRUE(ReadMp3Tag(dir / "song.mp3", tag));
  EXPECT_FALSE(ReadMp3Tag(dir / "missing.mp3", tag));
  expectBlank(tag);

  ASSERT_TRUE(ReadMp3Tag(dir / "song.mp3", tag));
  EXPECT_FALSE(ReadMp3Tag(dir.makeDir("folder.mp3"), tag));
  expectBlank(tag);
}

TEST(Mp3Tag, HiddenFilesAreReadToo) {
  TempDir dir;
  Mp3Tag tag;
  EXPECT_TRUE(ReadMp3Tag(dir.writeFile(".hidden.mp3", tagRecord("Quiet", "", "", "", "", 2)), tag));
  EXPECT_EQ(tag.genreName, "Country");
}

}  // namespace
}  // namespace tallyfold
