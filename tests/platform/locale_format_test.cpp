#include "platform/locale_format.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "support/environment.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace tallyfold {
namespace {

using test::EnvironmentValue;

// Switches the C locale for one test and puts the previous one back.
class LocaleSwitch {
 public:
  explicit LocaleSwitch(const char* name) : previous_(std::setlocale(LC_ALL, nullptr)) {
    switched_ = std::setlocale(LC_ALL, name) != nullptr;
  }
  ~LocaleSwitch() { std::setlocale(LC_ALL, previous_.c_str()); }
  bool switched() const { return switched_; }

 private:
  std::string previous_;
  bool switched_ = false;
};

// Every separator of a format in one text, to compare them at once.
std::string separatorsOf(const LocaleFormat& f) {
  return f.decimalPoint + "|" + f.thousandsSeparator + "|" + f.grouping + "|" + f.dateSeparator +
         "|" + f.timeSeparator;
}

TEST(LocaleFormat, TheCLocaleGroupsNothing) {
  for (const char* name : {"C", "POSIX", "C.UTF-8"}) {
    LocaleSwitch locale(name);
    if (locale.switched()) {
      EXPECT_EQ(separatorsOf(LocaleFormat::current()), ".|||/|:") << name;
    }
  }
  EXPECT_EQ(separatorsOf(LocaleFormat::plain()), ".|||/|:");
}

// A small locale of its own, compiled for the test by the system's localedef:
// comma decimals, digits grouped by threes, "-" in dates and "." in times.
constexpr char kTestLocaleSource[] = R"(LC_CTYPE
copy "POSIX"
END LC_CTYPE
LC_COLLATE
copy "POSIX"
END LC_COLLATE
LC_NUMERIC
decimal_point ","
thousands_sep "<U00A0>"
grouping 3;3
END LC_NUMERIC
LC_TIME
abday "Sun";"Mon";"Tue";"Wed";"Thu";"Fri";"Sat"
day "Sunday";"Monday";"Tuesday";"Wednesday";"Thursday";"Friday";"Saturday"
abmon "Jan";"Feb";"Mar";"Apr";"May";"Jun";"Jul";"Aug";"Sep";"Oct";"Nov";"Dec"
mon "January";"February";"March";"April";"May";"June";"July";"August";"September";"October";"November";"December"
d_t_fmt "%a %d %b %Y %T"
d_fmt "%A, %Y-%m-%d"
t_fmt "%H.%M.%S"
am_pm "";""
t_fmt_ampm ""
END LC_TIME
)";

TEST(LocaleFormat, ALocaleWithItsOwnSeparatorsInAnotherCharacterSet) {
  const std::string localedef = "/usr/bin/localedef";
  if (access(localedef.c_str(), X_OK) != 0) GTEST_SKIP() << "no localedef here";
  test::TempDir dir;
  // Latin-1, so the no-break space that groups digits must come out as UTF-8.
  test::ProcessResult made =
      test::runProgram(localedef, {"-c", "-i", dir.writeFile("source", kTestLocaleSource), "-f",
                                   "ISO-8859-1", dir / "xx_TEST.ISO-8859-1"});
  EnvironmentValue path("LOCPATH", dir.path());
  LocaleSwitch locale("xx_TEST.ISO-8859-1");
  ASSERT_TRUE(locale.switched()) << made.err;
  EXPECT_EQ(separatorsOf(LocaleFormat::current()), ",|\xC2\xA0|\3\3|-|.");
}

TEST(LocaleFormat, LocalTimeFollowsTheTimeZone) {
  LocalTime utc, eastern;
  {
    EnvironmentValue zone("TZ", "UTC");
    tzset();
    utc = toLocalTime(1700000000);
  }
  {
    EnvironmentValue zone("TZ", "EST+5");
    tzset();
    eastern = toLocalTime(1700000000);
  }
  tzset();

  auto text = [](const LocalTime& t) {
    char out[32];
    std::snprintf(out, sizeof out, "%d-%d-%d %d:%d:%d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return std::string(out);
  };
  EXPECT_EQ(text(utc), "2023-11-14 22:13:20");
  EXPECT_EQ(text(eastern), "2023-11-14 17:13:20");
}

TEST(LocaleFormat, LocalTimeOfAnyTimeStamp) {
  struct ZoneReset {  // reads TZ again once the variable is back
    ~ZoneReset() { tzset(); }
  } reset;
  EnvironmentValue zone("TZ", "UTC");
  tzset();
  auto utcSeconds = [](int year, int month, int day, int hour, int minute, int second) {
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    return static_cast<int64_t>(timegm(&parts));
  };
  auto text = [](const LocalTime& t) {
    char out[96];
    std::snprintf(out, sizeof out, "%d-%d-%d %d:%d:%d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return std::string(out);
  };
  EXPECT_EQ(text(toLocalTime(-1)), "1969-12-31 23:59:59");
  EXPECT_EQ(text(toLocalTime(utcSeconds(300000, 1, 2, 3, 4, 5))), "300000-1-2 3:4:5");
  EXPECT_EQ(text(toLocalTime(utcSeconds(-5000, 7, 8, 9, 10, 11))), "-5000-7-8 9:10:11");
  EXPECT_EQ(text(toLocalTime(utcSeconds(INT_MAX - 1900, 6, 15, 12, 0, 0))),
            "2147481747-6-15 12:0:0");
  // Years past INT_MAX (the last second the C library converts, which tmpfs
  // keeps for a file, lies in one) and before INT_MIN: clamped.
  const std::string latest = std::to_string(INT_MAX) + "-12-31 23:59:59";
  EXPECT_EQ(text(toLocalTime(67768036191676799)), latest);
  EXPECT_EQ(text(toLocalTime(INT64_MAX)), latest);
  EXPECT_EQ(text(toLocalTime(INT64_MIN)), std::to_string(INT_MIN) + "-1-1 0:0:0");
}

}  // namespace
}  // namespace tallyfold
