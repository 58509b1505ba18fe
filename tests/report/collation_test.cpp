#include "report/collation.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/environment.h"

namespace tallyfold {
namespace {

int signOf(int value) {
  return (value > 0) - (value < 0);
}

TEST(Collation, PunctuationBeforeDigitsAndLettersCaseIgnoredAccentsCount) {
  for (const char* locale : {"de_DE", "sv_SE", "no_such_locale", "root"}) {
    const Collation named(locale);
    for (const char* mark : {"|", "$", "?"}) {
      for (const char* other : {"0", "9", "a", "A", "z", "Z"}) {
        EXPECT_LT(named.compare(mark, other), 0) << locale << ": " << mark << " vs " << other;
      }
    }
    EXPECT_EQ(named.compare("abc", "ABC"), 0) << locale;
    EXPECT_LT(named.compare("Resume", "Résumé"), 0) << locale;
  }
  const Collation collation("");
  EXPECT_EQ(collation.compare("Notes.TXT", "notes.txt"), 0);
  EXPECT_LT(collation.compare("b", "C"), 0);
  // A composed "é" and "e" followed by a combining acute are the same text.
  EXPECT_EQ(collation.compare("\xC3\xA9", "e\xCC\x81"), 0);
}

TEST(Collation, SortKeysOrderLikeCompareIncludingInvalidBytes) {
  const Collation collation("");
  const std::vector<std::string> texts = {
      "",        "a",       "A",    "ab",     "a|0001",        "a|0002",
      "a.txt|1", "$$$|000", "?",    "Resume", "Résumé",        "résumé",
      "2024",    "2024-01", "\xff", "a\xff",  "a\xef\xbf\xbd", "a\xc3",
      "日本",    "Ärger"};
  for (const std::string& x : texts) {
    for (const std::string& y : texts) {
      const std::string kx = collation.sortKey(x);
      const std::string ky = collation.sortKey(y);
      EXPECT_EQ(signOf(kx.compare(ky)), signOf(collation.compare(x, y))) << x << " vs " << y;
    }
  }
  // An invalid byte stands for U+FFFD.
  EXPECT_EQ(collation.compare("a\xff", "a\xef\xbf\xbd"), 0);
  std::string appended = "prefix";
  collation.appendSortKey("Zebra", appended);
  EXPECT_EQ(appended, "prefix" + collation.sortKey("Zebra"));
}

// The locale name read with LC_ALL, LC_COLLATE and LANG set (nullptr: unset).
std::string localeNameWith(const char* all, const char* collate, const char* lang) {
  auto value = [](const char* text) {
    return text ? std::optional<std::string>(text) : std::nullopt;
  };
  test::EnvironmentValue a("LC_ALL", value(all)), c("LC_COLLATE", value(collate)),
      l("LANG", value(lang));
  return Collation::userLocaleName();
}

TEST(Collation, UserLocaleComesFromTheEnvironment) {
  EXPECT_EQ(localeNameWith("de_DE.UTF-8@euro", "sv_SE.UTF-8", "fr_FR"), "de_DE");
  EXPECT_EQ(localeNameWith("", "sv_SE.UTF-8", "fr_FR.UTF-8"), "sv_SE");
  EXPECT_EQ(localeNameWith(nullptr, nullptr, "fr_FR.ISO-8859-1"), "fr_FR");
  EXPECT_EQ(localeNameWith(nullptr, nullptr, nullptr), "");
  EXPECT_EQ(localeNameWith("POSIX", nullptr, "fr_FR.UTF-8"), "");
  EXPECT_EQ(localeNameWith("C.UTF-8", nullptr, nullptr), "");
  // Not ICU's POSIX rules, where "A" (code 65) would come before "|" (124).
  EXPECT_LT(Collation::forUserLocale().compare("|", "A"), 0);
}

}  // namespace
}  // namespace tallyfold
