// The media columns of the real program over media the test makes with the
// usual tools (ImageMagick, exiv2, sox, lame, flac, ffmpeg): the detailed
// list's texts, the CSV and JSON values, and damaged copies that leave their
// own columns blank, name the file on standard error and keep exit status 0.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_fixture.h"
#include "cli/test_media.h"

namespace tallyfold::test {
namespace {

class CliMediaColumnsTest : public CliFixture {
 protected:
  void SetUp() override {
    const std::string missing = missingMediaTools();
    if (!missing.empty()) GTEST_SKIP() << "missing tools to make media: " << missing;
    const ProcessResult made = makeTestMedia(tree.path());
    ASSERT_EQ(made.exitCode, 0) << made.err;
  }
  // The one line of the output that holds the name.
  static std::string lineOf(const std::string& text, const std::string& name) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
      if (line.find(name) != std::string::npos) return line;
    }
    return {};
  }

  ProcessResult listMedia(std::vector<std::string> extra) const {
    std::vector<std::string> args = kMediaColumns;
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back(tree / "media");
    return run(args);
  }
};

// Splits one CSV row without quoted commas (none of these values has one).
std::vector<std::string> csvFields(std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::vector<std::string> fields;
  std::string field;
  std::istringstream in(line);
  while (std::getline(in, field, ',')) fields.push_back(field);
  if (!line.empty() && line.back() == ',') fields.emplace_back();
  return fields;
}

TEST_F(CliMediaColumnsTest, DetailedListShowsEachKindsFactsAndBlanksForDamagedFiles) {
  const ProcessResult result = listMedia({"--set", "Settings.ColSize=14"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  const std::string& out = result.out;

  const std::string photo = lineOf(out, "photo.jpg");
  EXPECT_NE(photo.find("  600 x 400  05/03/2024 14:07:09  Canon EOS R5"), std::string::npos)
      << photo;
  EXPECT_NE(photo.find("JPEG"), std::string::npos) << photo;
  EXPECT_NE(lineOf(out, "plain.png").find("   64 x 48"), std::string::npos);
  EXPECT_NE(lineOf(out, "plain.gif").find("   30 x 20"), std::string::npos);

  const std::string mp3 = lineOf(out, "tone.mp3");
  EXPECT_NE(mp3.find("  0:00:03    12"), std::string::npos) << mp3;
  EXPECT_NE(mp3.find(" kbps  44.1 kHz stereo"), std::string::npos) << mp3;
  EXPECT_NE(mp3.find("MP3"), std::string::npos) << mp3;
  const std::string flac = lineOf(out, "mono.flac");
  EXPECT_NE(flac.find("  0:00:02"), std::string::npos) << flac;
  EXPECT_NE(flac.find("48 kHz mono"), std::string::npos) << flac;
  EXPECT_NE(flac.find("FLAC"), std::string::npos) << flac;
  EXPECT_NE(lineOf(out, "tone.wav").find("1411 kbps  44.1 kHz stereo"), std::string::npos);

  const std::string clip = lineOf(out, "clip.mp4");
  EXPECT_NE(clip.find("  0:00:02"), std::string::npos) << clip;
  EXPECT_NE(clip.find("  48 kHz stereo        320 x 240  05/03/2024 14:07:09"), std::string::npos)
      << clip;
  EXPECT_NE(clip.find("H.264 / AAC"), std::string::npos) << clip;

  // Every media column of a damaged file is blank: the row ends in blanks
  // after the date column (dd/mm/yyyy).
  for (const char* damaged :
       {"broken.jpg", "noise.mp4", "damaged.flac", "zeros.jpg", "words.ogg", "cut.mp4"}) {
    const std::string row = lineOf(out, damaged);
    ASSERT_FALSE(row.empty()) << damaged;
    EXPECT_EQ(row.find_first_not_of(' ', row.find('/') + 8), std::string::npos) << row;
    EXPECT_NE(result.err.find(std::string(damaged) + ": no media facts read"), std::string::npos)
        << result.err;
  }
  // Files named as no media format are not opened, and not named.
  EXPECT_EQ(result.err.find("notes.txt"), std::string::npos);
  // All rows keep one width, blank columns included.
  EXPECT_EQ(lineOf(out, "notes.txt").size(), photo.size());
  EXPECT_EQ(lineOf(out, "noise.mp4").size(), clip.size());
  // Files whose first bytes fit no file of their kind never reach a reader.
  EXPECT_NE(result.err.find("zeros.jpg: no media facts read: not an image file"), std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("words.ogg: no media facts read: not an audio file"),
            std::string::npos);
}

TEST_F(CliMediaColumnsTest, CsvAndJsonCarryMachineValues) {
  const std::string csvPath = tree / "list.csv";
  const ProcessResult csv = listMedia({"-o", csvPath});
  ASSERT_EQ(csv.exitCode, 0) << csv.err;
  std::istringstream rows(runProgram("/bin/cat", {csvPath}).out);
  std::string line;
  std::getline(rows, line);
  const std::vector<std::string> header = csvFields(line);
  const std::vector<std::string> wanted = {"duration", "bitrate", "sample_rate",
                                           "channels", "width",   "height",
                                           "taken",    "camera",  "codec"};
  // The media fields follow the tag fields, in this order.
  const auto first = std::find(header.begin(), header.end(), "duration");
  ASSERT_LE(wanted.size(), static_cast<size_t>(header.end() - first));
  EXPECT_EQ(std::vector<std::string>(first, first + wanted.size()), wanted);
  const size_t at = static_cast<size_t>(first - header.begin());
  std::map<std::string, std::vector<std::string>> byName;
  while (std::getline(rows, line)) {
    std::vector<std::string> fields = csvFields(line);
    ASSERT_EQ(fields.size(), header.size()) << line;
    byName[fields[1]] =
        std::vector<std::string>(fields.begin() + at, fields.begin() + at + wanted.size());
  }
  using Row = std::vector<std::string>;
  EXPECT_EQ(byName["photo.jpg"], (Row{"", "", "", "", "600", "400", "2024-03-05T14:07:09+01:00",
                                      "Canon EOS R5", "JPEG"}));
  EXPECT_EQ(byName["mono.flac"][0], "2.000");
  EXPECT_EQ(Row(byName["mono.flac"].begin() + 2, byName["mono.flac"].begin() + 4),
            (Row{"48000", "1"}));
  EXPECT_EQ(byName["tone.wav"], (Row{"3.000", "1411", "44100", "2", "", "", "", "", "PCM"}));
  // An MP3's length and bitrate come from its frames: the encoder's padding
  // makes them a little more than the sound's.
  const Row& mp3 = byName["tone.mp3"];
  EXPECT_NEAR(std::stod(mp3[0]), 3.0, 0.1);
  EXPECT_NEAR(std::stoi(mp3[1]), 128, 2);
  EXPECT_EQ(mp3[8], "MP3");
  const Row& clip = byName["clip.mp4"];
  EXPECT_NEAR(std::stod(clip[0]), 2.0, 0.05);
  EXPECT_EQ(Row(clip.begin() + 2, clip.end()),
            (Row{"48000", "2", "320", "240", "2024-03-05T14:07:09+00:00", "", "H.264 / AAC"}));
  EXPECT_EQ(byName["noise.mp4"], Row(wanted.size()));
  EXPECT_EQ(byName["notes.txt"], Row(wanted.size()));

  const std::string jsonPath = tree / "list.json";
  const ProcessResult json = listMedia({"-o", jsonPath});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  const std::string document = runProgram("/bin/cat", {jsonPath}).out;
  EXPECT_NE(document.find("\"name\":\"mono.flac\""), std::string::npos);
  EXPECT_NE(document.find("\"duration\":2.000,"), std::string::npos) << document;
  EXPECT_NE(document.find("\"sample_rate\":48000,\"channels\":1,\"width\":null"),
            std::string::npos);
  EXPECT_NE(document.find("\"width\":600,\"height\":400,\"taken\":\"2024-03-05T14:07:09+01:00\","
                          "\"camera\":\"Canon EOS R5\",\"codec\":\"JPEG\""),
            std::string::npos);
  // The listing reads back as a listing (numbers and nulls among the values).
  const ProcessResult compared = run({"--compare", jsonPath, jsonPath});
  EXPECT_EQ(compared.exitCode, 0) << compared.err << compared.out;
}

TEST_F(CliMediaColumnsTest, ColumnsAreOffByDefaultAndNoMediaFileIsOpened) {
  const std::string csvPath = tree / "plain.csv";
  const ProcessResult plain = run({"-o", csvPath, tree / "media"});
  ASSERT_EQ(plain.exitCode, 0) << plain.err;
  const std::string csv = runProgram("/bin/cat", {csvPath}).out;
  EXPECT_EQ(csv.substr(0, csv.find('\n')).find("duration"), std::string::npos) << csv;
  // Damaged media draw no complaint when no media column is on.
  EXPECT_EQ(plain.err.find("no media facts read"), std::string::npos) << plain.err;
  const ProcessResult listed = run({tree / "media"});
  EXPECT_EQ(listed.err.find("no media facts read"), std::string::npos) << listed.err;
  EXPECT_EQ(lineOf(listed.out, "photo.jpg").find("600 x 400"), std::string::npos);
}

}  // namespace
}  // namespace tallyfold::test
