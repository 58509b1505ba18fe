#pragma once
// Text comparison for sorting: an ICU collator of the user's locale (root when
// LC_ALL/LC_COLLATE/LANG name none, or name C/POSIX) at secondary strength, so
// letter case is ignored and punctuation is not. "|", "$" and "?" sort before
// digits and letters.

#include <memory>
#include <string>
#include <string_view>

namespace tallyfold {

class Collation {
 public:
  // The collator of the user's locale.
  static Collation forUserLocale();
  // The ICU locale name forUserLocale() opens: LC_ALL, else LC_COLLATE, else
  // LANG, without its ".codeset" and "@modifier" parts; "" (root) for C/POSIX.
  static std::string userLocaleName();
  // The collator of a named ICU locale ("" or "root" for the root rules).
  explicit Collation(const std::string& locale);
  ~Collation();
  Collation(Collation&&) noexcept;
  Collation& operator=(Collation&&) noexcept;

  // <0, 0, >0. Texts are UTF-8; invalid bytes compare as U+FFFD.
  int compare(std::string_view a, std::string_view b) const;
  // A byte string whose memcmp order is the compare() order. Thread-safe.
  std::string sortKey(std::string_view text) const;
  // Appends sortKey(text) to out without a string per key. Thread-safe.
  void appendSortKey(std::string_view text, std::string& out) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tallyfold
