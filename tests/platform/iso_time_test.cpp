// ISO 8601 time stamps with the local UTC offset, and reading them back.

#include "platform/iso_time.h"

#include <gtest/gtest.h>

#include <ctime>

#include "support/environment.h"

namespace tallyfold {
namespace {

class IsoTimeTest : public ::testing::Test {
 protected:
  void zone(const char* name) {
    tz_.emplace("TZ", name);
    tzset();
  }
  void TearDown() override {
    tz_.reset();
    tzset();
  }
  std::optional<test::EnvironmentValue> tz_;
};

TEST_F(IsoTimeTest, WritesLocalTimeWithItsOffset) {
  zone("XXX-1");
  EXPECT_EQ(isoLocalTime(1709644029), "2024-03-05T14:07:09+01:00");
  zone("XXX+5:30");
  EXPECT_EQ(isoLocalTime(1709644029), "2024-03-05T07:37:09-05:30");
  zone("UTC0");
  EXPECT_EQ(isoLocalTime(0), "1970-01-01T00:00:00+00:00");
  EXPECT_EQ(isoLocalTime(-1), "1969-12-31T23:59:59+00:00");
}

TEST_F(IsoTimeTest, YearsBeyondFourDigitsCarryASign) {
  zone("UTC0");
  EXPECT_EQ(isoLocalTime(253402300800), "+10000-01-01T00:00:00+00:00");
  EXPECT_EQ(isoLocalTime(-62167219201), "-0001-12-31T23:59:59+00:00");
}

TEST_F(IsoTimeTest, ReadsBackWhatItWritesInAnyZone) {
  for (const char* name : {"UTC0", "XXX-1", "XXX+5:30", "XXX-13:45"}) {
    zone(name);
    for (int64_t t : {int64_t{0}, int64_t{-1}, int64_t{1709644029}, int64_t{4102444800},
                      int64_t{-62167219201}, int64_t{253402300800}, int64_t{951782400}}) {
      EXPECT_EQ(parseIsoTime(isoLocalTime(t)), t) << name << " " << isoLocalTime(t);
    }
  }
}

TEST_F(IsoTimeTest, ReadsZuluAndRefusesOtherTexts) {
  EXPECT_EQ(parseIsoTime("2024-03-05T13:07:09Z"), 1709644029);
  EXPECT_EQ(parseIsoTime("2024-03-05 14:07:09+01:00"), 1709644029);
  for (const char* bad :
       {"", "2024-03-05", "2024-03-05T13:07:09", "2024-13-05T13:07:09Z", "2024-03-05T24:00:00Z",
        "2024-03-05T13:07:09+0100", "2024-03-05T13:07:09Z ", "24-03-05T13:07:09Z", "May"}) {
    EXPECT_FALSE(parseIsoTime(bad)) << bad;
  }
}

}  // namespace
}  // namespace tallyfold
