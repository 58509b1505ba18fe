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
  return std::string(marker) + field(title, 30) + field(artist, 30) + field(album, 30) +
         field(year, 4) + field(comment, 30) + static_cast<char>(genre);
}

// The text padded with blanks to a width in characters.
std::string padded(std::string_view text, size_t width) {
  size_t characters = 0;
  for (unsigned char c : text) characters += (c & 0xC0) != 0x80;
  return std::string(text) + std::string(width - characters, ' ');
}

// All fields of a tag in one text, to compare them at once.
std::string fieldsOf(const Mp3Tag& t) {
  return t.marker + "|" + t.title + "|" + t.artist + "|" + t.album + "|" + t.year + "|" +
         t.comment + "|" + std::to_string(t.genre) + "|" + t.genreName;
}

std::string readFields(std::string_view title, std::string_view artist, std::string_view album,
                       std::string_view year, std::string_view comment, int genre,
                       std::string_view genreName, std::string_view marker = "TAG") {
  return std::string(marker) + "|" + padded(title, 30) + "|" + padded(artist, 30) + "|" +
         padded(album, 30) + "|" + padded(year, 4) + "|" + padded(comment, 30) + "|" +
         std::to_string(genre) + "|" + std::string(genreName);
}

const std::string kBlank = readFields("", "", "", "", "", 0, "", "   ");

TEST(Mp3Tag, ReadsTheTagThatEndsTheFile) {
  TempDir dir;
  Mp3Tag tag;
  const std::string record = tagRecord("Song", "Artist", "Album", "1999", "Nice one", 17);
  const std::string expected =
      readFields("Song", "Artist", "Album", "1999", "Nice one", 17, "Rock");
  ASSERT_TRUE(readMp3Tag(dir.writeFile("song.mp3", std::string(5000, '\xff') + record), tag));
  EXPECT_EQ(fieldsOf(tag), expected);
  // A file of exactly one tag is read (a hidden one too); one byte less is not.
  ASSERT_TRUE(readMp3Tag(dir.writeFile(".exact.mp3", record), tag));
  EXPECT_EQ(fieldsOf(tag), expected);
  EXPECT_FALSE(readMp3Tag(dir.writeFile("short.mp3", record.substr(0, 127)), tag));
  EXPECT_EQ(fieldsOf(tag), kBlank);
}

TEST(Mp3Tag, FieldsEndAtTheirFirstNul) {
  TempDir dir;
  const std::string fullTitle = "abcdefghijklmnopqrstuvwxyz0123";
  std::string comment = field("Track note", 30);
  comment[29] = 7;  // an ID3v1.1 track number after the NUL is dropped
  std::string record = tagRecord(fullTitle, "", std::string_view("Al\0bum", 6), "99", "", 1);
  record.replace(97, 30, comment);
  Mp3Tag tag;
  ASSERT_TRUE(readMp3Tag(dir.writeFile("a.mp3", record), tag));
  EXPECT_EQ(fieldsOf(tag), readFields(fullTitle, "", "Al", "99", "Track note", 1, "Classic Rock"));
}

TEST(Mp3Tag, TextIsWindows1252UnlessItIsUtf8) {
  TempDir dir;
  Mp3Tag tag;
  ASSERT_TRUE(readMp3Tag(
      dir.writeFile("a.mp3", tagRecord("Caf\xe9", "Bj\xc3\xb6rk", "", "", "\xe9\xc3", 200)), tag));
  EXPECT_EQ(fieldsOf(tag),
            readFields("Caf\xc3\xa9", "Bj\xc3\xb6rk", "", "", "\xc3\xa9\xc3\x83", 200, ""));
  // 0x80 to 0x9F are the code page's letters and marks, one character each,
  // so the fields keep their widths; its five unassigned bytes show U+FFFD.
  ASSERT_TRUE(readMp3Tag(
      dir.writeFile("b.mp3", tagRecord("\x80 5\x85", "\x8a\x9a\x9f\x8c", "\x93q\x94 \x96", "\x99",
                                       "\x81\x8d\x8f\x90\x9d.", 17)),
      tag));
  const std::string replacement = "\xef\xbf\xbd";
  EXPECT_EQ(fieldsOf(tag),
            readFields("\xe2\x82\xac 5\xe2\x80\xa6", "\xc5\xa0\xc5\xa1\xc5\xb8\xc5\x92",
                       "\xe2\x80\x9cq\xe2\x80\x9d \xe2\x80\x93", "\xe2\x84\xa2",
                       replacement + replacement + replacement + replacement + replacement + ".",
                       17, "Rock"));
}

TEST(Mp3Tag, GenreNames) {
  // A few anchors of the table, its odd spellings kept as they are shown.
  const std::pair<int, std::string_view> anchors[] = {
      {0, "Blues"},        {40, "Alt. Rock"},  {67, "Phychedelic"}, {90, "Avantegarde"},
      {107, "Booty Bass"}, {147, "Synth Pop"}, {148, ""},           {255, ""}};
  for (const auto& [genre, name] : anchors) EXPECT_EQ(genreNameOf(genre), name) << genre;
  for (int genre = 0; genre <= 255; ++genre) {
    EXPECT_EQ(genreNameOf(genre).empty(), genre > 147) << genre;
  }
}

TEST(Mp3Tag, EveryReadStartsFromBlankFields) {
  TempDir dir;
  Mp3Tag tag;
  const std::string song =
      dir.writeFile("song.mp3", tagRecord("Song", "Artist", "Album", "1999", "Note", 107));
  const std::string noTag[] = {
      dir.writeFile("empty.mp3"),
      dir.writeFile("lower.mp3", tagRecord("Song", "", "", "", "", 3, "tag")),
      dir.writeFile("notes.txt", std::string(300, 'x')), dir / "missing.mp3",
      dir.makeDir("folder.mp3")};
  for (const std::string& path : noTag) {
    ASSERT_TRUE(readMp3Tag(song, tag));
    EXPECT_FALSE(readMp3Tag(path, tag)) << path;
    EXPECT_EQ(fieldsOf(tag), kBlank) << path;
  }
}

}  // namespace
}  // namespace tallyfold
