// The messages between the program and its tag readers: what one side
// writes the other reads back, and anything else is refused whole.

#include "platform/reader_protocol.h"

#include <gtest/gtest.h>

namespace tallyfold {
namespace {

TEST(ReaderProtocolTest, RequestsNameOneKnownContainerPerDescriptor) {
  const std::vector<AudioContainer> containers = {AudioContainer::Mpeg, AudioContainer::Asf,
                                                  AudioContainer::Ogg};
  const std::string request = encodeTagRequest(containers);
  EXPECT_EQ(parseTagRequest(request, 3), containers);
  // The count must match the descriptors that came with it.
  EXPECT_FALSE(parseTagRequest(request, 2));
  EXPECT_FALSE(parseTagRequest(request, 4));
  EXPECT_FALSE(parseTagRequest(request + "x", 3));
  EXPECT_FALSE(parseTagRequest(request.substr(0, request.size() - 1), 3));
  std::string unknown = request;
  unknown.back() = static_cast<char>(kAudioContainerCount);
  EXPECT_FALSE(parseTagRequest(unknown, 3));
  EXPECT_FALSE(parseTagRequest(encodeTagRequest({}), 0));
  const std::vector<AudioContainer> tooMany(kMaxFilesPerRequest + 1, AudioContainer::Flac);
  EXPECT_FALSE(parseTagRequest(encodeTagRequest(tooMany), tooMany.size()));
  EXPECT_FALSE(parseTagRequest("", 0));
}

TEST(ReaderProtocolTest, AnswersCarryTheFieldsWithinTheirLimits) {
  TagAnswer answer;
  answer.found = true;
  answer.text = {"T\xc3\xa9tle", "Artist",      "Album", "A comment\nwith a break",
                 12345,          {"17", "Jazz"}};
  std::optional<TagAnswer> back = parseTagAnswer(encodeTagAnswer(answer));
  ASSERT_TRUE(back);
  EXPECT_TRUE(back->found);
  EXPECT_EQ(back->text.title, "T\xc3\xa9tle");
  EXPECT_EQ(back->text.comment, "A comment\nwith a break");
  EXPECT_EQ(back->text.year, 12345u);
  EXPECT_EQ(back->text.genres, (std::vector<std::string>{"17", "Jazz"}));

  // Long texts are cut at a character boundary, extra genres dropped.
  answer.text.title = std::string(kMaxAnswerTextBytes - 1, 'x') + "\xc3\xa9" + "tail";
  answer.text.genres.assign(20, "Rock");
  back = parseTagAnswer(encodeTagAnswer(answer));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->text.title, std::string(kMaxAnswerTextBytes - 1, 'x'));
  EXPECT_EQ(back->text.genres.size(), kMaxAnswerGenres);
  EXPECT_LE(encodeTagAnswer(answer).size(), kMaxAnswerBytes);

  const std::optional<TagAnswer> none = parseTagAnswer(encodeTagAnswer(TagAnswer{}));
  ASSERT_TRUE(none);
  EXPECT_FALSE(none->found);
}

TEST(ReaderProtocolTest, MalformedAnswersAreRefusedWhole) {
  TagAnswer answer;
  answer.found = true;
  answer.text.title = "Title";
  const std::string good = encodeTagAnswer(answer);
  ASSERT_TRUE(parseTagAnswer(good));
  for (size_t cut = 0; cut < good.size(); ++cut) {
    EXPECT_FALSE(parseTagAnswer(good.substr(0, cut))) << cut;
  }
  EXPECT_FALSE(parseTagAnswer(good + '\0'));
  std::string badMagic = good;
  badMagic[0] = 'X';
  EXPECT_FALSE(parseTagAnswer(badMagic));
  std::string badFlag = good;
  badFlag[4] = '\2';
  EXPECT_FALSE(parseTagAnswer(badFlag));
  // A length past the message, a text that is not UTF-8.
  std::string longLength = good;
  longLength[9] = '\x7f';
  EXPECT_FALSE(parseTagAnswer(longLength));
  std::string notUtf8 = good;
  notUtf8[11] = '\xff';
  EXPECT_FALSE(parseTagAnswer(notUtf8));
  // "Nothing found" with fields is no answer either.
  std::string foundless = good;
  foundless[4] = '\0';
  EXPECT_FALSE(parseTagAnswer(foundless));
  EXPECT_FALSE(parseTagAnswer(std::string(kMaxAnswerBytes + 1, 'x')));
}

TEST(ReaderProtocolTest, MediaRequestsAndAnswersAreTheirOwnMessages) {
  const std::vector<MediaFormat> formats = {MediaFormat::Image, MediaFormat::Video,
                                            MediaFormat::Aiff};
  const std::string request = encodeMediaRequest(formats);
  EXPECT_TRUE(isMediaRequest(request));
  EXPECT_EQ(parseMediaRequest(request, 3), formats);
  EXPECT_FALSE(parseMediaRequest(request, 2));
  // Neither kind of request reads as the other.
  EXPECT_FALSE(parseTagRequest(request, 3));
  EXPECT_FALSE(isMediaRequest(encodeTagRequest({AudioContainer::Mpeg})));
  EXPECT_FALSE(parseMediaRequest(encodeTagRequest({AudioContainer::Mpeg}), 1));
  std::string unknown = request;
  unknown.back() = static_cast<char>(kMediaFormatCount);
  EXPECT_FALSE(parseMediaRequest(unknown, 3));

  MediaAnswer answer;
  answer.found = true;
  answer.facts = {185002,         320,          44100, 2, 6000, 4000, "2024-03-05T14:07:09+01:00",
                  "Canon EOS R5", "H.264 / AAC"};
  const std::string bytes = encodeMediaAnswer(answer);
  const std::optional<MediaAnswer> back = parseMediaAnswer(bytes);
  ASSERT_TRUE(back);
  EXPECT_EQ(encodeMediaAnswer(*back), bytes);
  EXPECT_EQ(back->facts.durationMs, 185002u);
  EXPECT_EQ(back->facts.height, 4000u);
  EXPECT_EQ(back->facts.camera, "Canon EOS R5");
  EXPECT_FALSE(parseTagAnswer(bytes));
  EXPECT_FALSE(parseMediaAnswer(encodeTagAnswer(TagAnswer{})));
  // Cut, lengthened, not UTF-8, or facts beside "not found": refused whole.
  EXPECT_FALSE(parseMediaAnswer(bytes.substr(0, bytes.size() - 1)));
  EXPECT_FALSE(parseMediaAnswer(bytes + "x"));
  std::string latin1 = bytes;
  latin1[latin1.find("Canon")] = static_cast<char>(0xE9);
  EXPECT_FALSE(parseMediaAnswer(latin1));
  std::string notFound = bytes;
  notFound[4] = '\0';
  EXPECT_FALSE(parseMediaAnswer(notFound));
  EXPECT_TRUE(parseMediaAnswer(encodeMediaAnswer(MediaAnswer{})));
  // A long text is cut at a character boundary by the encoder.
  answer.facts.camera = std::string(kMaxAnswerTextBytes - 1, 'a') + "\xc3\xa9";
  const std::optional<MediaAnswer> cut = parseMediaAnswer(encodeMediaAnswer(answer));
  ASSERT_TRUE(cut);
  EXPECT_EQ(cut->facts.camera, std::string(kMaxAnswerTextBytes - 1, 'a'));
}

}  // namespace
}  // namespace tallyfold
