#pragma once
// The pattern of a name search: a substring, or a glob of the whole name
// when it holds "*", "?" or "[". Letter case is ignored: names and patterns
// are compared in their lower-case forms. Names are bytes; a byte that is
// not UTF-8 matches only itself (or "?", "*").

#include <string>
#include <string_view>
#include <vector>

namespace tallyfold {

// The form names are compared in: lower case, invalid bytes kept.
std::string foldedName(std::string_view name);
// The same into a buffer kept from name to name.
void foldNameInto(std::string_view name, std::string& folded);
// The text the trigram index keeps of a name: the folded form, each invalid
// byte as U+FFFD (the index wants UTF-8).
std::string indexedName(std::string_view name);

class NamePattern {
 public:
  explicit NamePattern(std::string_view pattern);

  bool isGlob() const { return glob_; }
  // Whether the name's folded form matches.
  bool matchesFolded(std::string_view foldedName) const;
  bool matches(std::string_view name) const { return matchesFolded(foldedName(name)); }

  // The index query that every matching name satisfies: its trigrams
  // (three characters each) joined by AND; empty when the pattern has no
  // run of three plain characters and the index cannot narrow the search.
  const std::string& indexQuery() const { return indexQuery_; }

 private:
  bool matchGlob(std::string_view name) const;
  void collectTrigrams();

  std::string folded_;
  bool glob_ = false;
  std::string indexQuery_;
};

}  // namespace tallyfold
