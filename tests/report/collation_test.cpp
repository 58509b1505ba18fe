#include "report/collation.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tallyfold {
namespace {

int Sign(int value) {
  return (value > 0) - (value < 0);
}

TEST(Collation, PunctuationBeforeDigitsAndLettersCaseIgnoredAccentsCount) {
  const Collation collation("");
  for (const char* mark : {"|", "$", "?"}) {
    for (const char* other : {"0", "9", "a", "A", "z", "Z"}) {
      EXPECT_LT(collation.compare(mark, other), 0) << mark << " vs " << other;
    }
  }
  EXPECT_EQ(collation.compare("a", "A"), 0);
  EXPECT_EQ(collation.compare("Notes.TXT", "notes.txt"), 0);
  EXPECT_LT(collation.compare("Resume", "Résumé"), 0);
  EXPECT_GT(collation.compare("Résumé", "Resume"), 0);
  EXPECT_LT(collation.compare("b", "C"), 0);
  // A composed "é" and "e" followed by a combining acute are the same text.
  EXPECT_EQ(collation.compare("\xC3\xA9", "e\xCC\x81"), 0);
}

TEST(Collation, SortKeysOrderLikeCompareIncludingInvalidBytes) {
  const Collation collation("");
  const std::vector<std::string> texts = {"",        "a",
                                          "A",       "ab",
                                          "a|0001",  "a|0002",
                                          "a.txt|1", "$$$|000",
                                          "?",       "Resume",
                                          "Résumé",  "résumé",
                                          "2024",    "2024-01",
                                          "Zebra",   "\xff",
                                          "a\xff",   "a\xef\xbf\xbd",
                                          "a\xc3",   "\xe6\x97\xa5\xe6\x9c\xac",
                                          "Ärger",   "arger"};
  for (const std::string& x : texts) {
    for (const std::string& y : texts) {
      const std::string kx = collation.sortKey(x);
      const std::string ky = collation.sortKey(y);
      EXPECT_EQ(Sign(kx.compare(ky)), Sign(collation.compare(x, y))) << x << " vs " << y;
    }
  }
  // An invalid byte stands for U+FFFD.
  EXPECT_EQ(collation.compare("a\xff", "a\xef\xbf\xbd"), 0);
  std::string appended = "prefix";
  collation.appendSortKey("Zebra", appended);
  EXPECT_EQ(appended, "prefix" + collation.sortKey("Zebra"));
}

TEST(Collation, KeysFromSeveralThreadsMatchOneThread) {
  const Collation collation("");
  std::vector<std::string> texts;
  for (int i = 0; i < 2000; ++i) texts.push_back("Name " + std::to_string(i * 7919 % 1000) + "é");
  std::vector<std::string> expected;
  for (const std::string& text : texts) expected.push_back(collation.sortKey(text));
  std::vector<std::vector<std::string>> results(4);
  std::vector<std::thread> threads;
  for (auto& result : results) {
    threads.emplace_back([&] {
      for (const std::string& text : texts) result.push_back(collation.sortKey(text));
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (const auto& result : results) EXPECT_EQ(result, expected);
}

// Sets LC_ALL, LC_COLLATE and LANG for one test and puts them back after.
class LocaleEnvironment {
 public:
  LocaleEnvironment() {
    for (const char* name : kNames) {
      const char* value = std::getenv(name);
      saved_.push_back(value ? std::optional<std::string>(value) : std::nullopt);
    }
  }
  ~LocaleEnvironment() {
    for (size_t i = 0; i < saved_.size(); ++i) Set(kNames[i], saved_[i]);
  }
  void Set(const char* name, const std::optional<std::string>& value) {
    if (value) {
      setenv(name, value->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  void SetAll(std::optional<std::string> all, std::optional<std::string> collate,
              std::optional<std::string> lang) {
    Set("LC_ALL", all);
    Set("LC_COLLATE", collate);
    Set("LANG", lang);
  }

 private:
  static constexpr const char* kNames[] = {"LC_ALL", "LC_COLLATE", "LANG"};
  std::vector<std::optional<std::string>> saved_;
};

TEST(Collation, UserLocaleComesFromTheEnvironment) {
  LocaleEnvironment environment;
  environment.SetAll("de_DE.UTF-8@euro", "sv_SE.UTF-8", "fr_FR.UTF-8");
  EXPECT_EQ(Collation::userLocaleName(), "de_DE");
  environment.SetAll("", "sv_SE.UTF-8", "fr_FR.UTF-8");
  EXPECT_EQ(Collation::userLocaleName(), "sv_SE");
  environment.SetAll(std::nullopt, std::nullopt, "fr_FR.ISO-8859-1");
  EXPECT_EQ(Collation::userLocaleName(), "fr_FR");
  environment.SetAll(std::nullopt, std::nullopt, std::nullopt);
  EXPECT_EQ(Collation::userLocaleName(), "");
  environment.SetAll("POSIX", std::nullopt, "fr_FR.UTF-8");
  EXPECT_EQ(Collation::userLocaleName(), "");
  environment.SetAll("C.UTF-8", std::nullopt, std::nullopt);
  EXPECT_EQ(Collation::userLocaleName(), "");
  // Not ICU's POSIX rules, where "A" (code 65) would come before "|" (124).
  const Collation collation = Collation::forUserLocale();
  EXPECT_LT(collation.compare("|", "A"), 0);
  EXPECT_EQ(collation.compare("a", "A"), 0);
}

TEST(Collation, NamedLocalesKeepTheRules) {
  for (const char* locale : {"root", "en_US", "de_DE", "sv_SE", "no_such_locale"}) {
    const Collation collation(locale);
    EXPECT_LT(collation.compare("$", "0"), 0) << locale;
    EXPECT_LT(collation.compare("|", "a"), 0) << locale;
    EXPECT_EQ(collation.compare("abc", "ABC"), 0) << locale;
    EXPECT_NE(collation.compare("Resume", "Résumé"), 0) << locale;
  }
}

}  // namespace
}  // namespace tallyfold
