// The media facts as the detailed list and the machine listings show them.

#include "report/media_texts.h"

#include <gtest/gtest.h>

namespace tallyfold {
namespace {

TEST(MediaTexts, DetailedListTexts) {
  EXPECT_EQ(durationText(0), "");
  EXPECT_EQ(durationText(999), "0:00:00");
  EXPECT_EQ(durationText(3723999), "1:02:03");
  EXPECT_EQ(durationText(4294967295u), "1193:02:47");
  EXPECT_EQ(bitrateText(0), "");
  EXPECT_EQ(bitrateText(320), "320 kbps");
  EXPECT_EQ(audioFormatText(44100, 2), "44.1 kHz stereo");
  EXPECT_EQ(audioFormatText(48000, 1), "48 kHz mono");
  EXPECT_EQ(audioFormatText(22050, 6), "22.05 kHz 5.1");
  EXPECT_EQ(audioFormatText(8000, 3), "8 kHz 3 ch");
  EXPECT_EQ(audioFormatText(0, 2), "stereo");
  EXPECT_EQ(audioFormatText(0, 0), "");
  EXPECT_EQ(dimensionsText(6000, 4000), "6000 x 4000");
  EXPECT_EQ(dimensionsText(6000, 0), "");
  LocaleFormat locale;
  locale.dateSeparator = ".";
  locale.timeSeparator = ":";
  EXPECT_EQ(takenText("2024-03-05T14:07:09+01:00", locale), "05.03.2024 14:07:09");
  EXPECT_EQ(takenText("2024-03-05T14:07:09", locale), "05.03.2024 14:07:09");
  EXPECT_EQ(takenText("2024-03-05", locale), "");
  EXPECT_EQ(takenText("", locale), "");
}

TEST(MediaTexts, MachineForms) {
  EXPECT_EQ(durationSeconds(185002), "185.002");
  EXPECT_EQ(durationSeconds(50), "0.050");
  EXPECT_EQ(durationSeconds(0), "");
  EXPECT_EQ(wholeNumber(44100), "44100");
  EXPECT_EQ(wholeNumber(0), "");
}

}  // namespace
}  // namespace tallyfold
