#include "platform/locale_format.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <string>

namespace tallyfold {
namespace {

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

TEST(LocaleFormat, TheCLocaleGroupsNothing) {
  for (const char* name : {"C", "POSIX", "C.UTF-8"}) {
    LocaleSwitch locale(name);
    if (!locale.switched()) continue;
    LocaleFormat format = LocaleFormat::current();
    EXPECT_EQ(format.decimalPoint, ".") << name;
    EXPECT_EQ(format.thousandsSeparator, "") << name;
    EXPECT_EQ(format.grouping, "") << name;
    EXPECT_EQ(format.dateSeparator, "/") << name;
    EXPECT_EQ(format.timeSeparator, ":") << name;
  }
  LocaleFormat plain = LocaleFormat::plain();
  EXPECT_EQ(plain.decimalPoint + plain.dateSeparator + plain.timeSeparator, "./:");
}

TEST(LocaleFormat, AGermanLocaleUsesItsOwnSeparators) {
  LocaleSwitch locale("de_DE.UTF-8");
  if (!locale.switched()) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
  LocaleFormat format = LocaleFormat::current();
  EXPECT_EQ(format.decimalPoint, ",");
  EXPECT_EQ(format.thousandsSeparator, ".");
  EXPECT_EQ(format.grouping, "\3\3");
  EXPECT_EQ(format.dateSeparator, ".");
  EXPECT_EQ(format.timeSeparator, ":");
}

TEST(LocaleFormat, LocalTimeFollowsTheTimeZone) {
  const char* previous = std::getenv("TZ");
  const std::string saved = previous != nullptr ? previous : "";
  setenv("TZ", "UTC", 1);
  tzset();
  LocalTime utc = toLocalTime(1700000000);
  setenv("TZ", "EST+5", 1);
  tzset();
  LocalTime eastern = toLocalTime(1700000000);
  if (previous != nullptr) {
    setenv("TZ", saved.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();

  EXPECT_EQ(utc.year, 2023);
  EXPECT_EQ(utc.month, 11);
  EXPECT_EQ(utc.day, 14);
  EXPECT_EQ(utc.hour, 22);
  EXPECT_EQ(utc.minute, 13);
  EXPECT_EQ(utc.second, 20);
  EXPECT_EQ(eastern.hour, 17);
  EXPECT_EQ(eastern.day, 14);
}

}  // namespace
}  // namespace tallyfold
