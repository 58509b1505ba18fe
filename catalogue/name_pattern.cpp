#include "catalogue/name_pattern.h"

#include <set>

#include "listing/name_bytes.h"
#include "platform/utf8_text.h"

namespace tallyfold {

namespace {

// The length of the unit at pos: one character, or one invalid byte.
size_t unitLength(std::string_view text, size_t pos) {
  size_t next = pos;
  decodeUtf8(text, next);
  return next - pos;
}

// The end of a "[...]" class that starts at pos, or npos when it is not
// closed (the "[" is then a plain character). A "]" right after "[" or
// "[!" belongs to the class.
size_t classEnd(std::string_view pattern, size_t pos) {
  size_t at = pos + 1;
  if (at < pattern.size() && (pattern[at] == '!' || pattern[at] == '^')) ++at;
  if (at < pattern.size() && pattern[at] == ']') ++at;
  while (at < pattern.size() && pattern[at] != ']') ++at;
  return at < pattern.size() ? at : std::string_view::npos;
}

// Whether the character is in the class pattern[open, close].
bool classHolds(std::string_view pattern, size_t open, size_t close, char32_t c) {
  size_t at = open + 1;
  bool negated = false;
  if (pattern[at] == '!' || pattern[at] == '^') {
    negated = true;
    ++at;
  }
  bool found = false;
  while (at < close) {
    char32_t low = decodeUtf8(pattern, at);
    char32_t high = low;
    if (at + 1 < close && pattern[at] == '-') {
      ++at;
      high = decodeUtf8(pattern, at);
    }
    if (c >= low && c <= high) found = true;
  }
  return found != negated;
}

std::string quotedTrigram(std::string_view trigram) {
  std::string quoted = "\"";
  for (char c : trigram) {
    if (c == '"') quoted.push_back('"');
    quoted.push_back(c);
  }
  quoted.push_back('"');
  return quoted;
}

}  // namespace

std::string foldedName(std::string_view name) {
  return toLowerUtf8(name);
}

void foldNameInto(std::string_view name, std::string& folded) {
  folded.assign(name);
  for (char& c : folded) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      folded = toLowerUtf8(name);
      return;
    }
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
}

std::string indexedName(std::string_view name) {
  return readableUtf8(foldedName(name));
}

NamePattern::NamePattern(std::string_view pattern) : folded_(foldedName(pattern)) {
  // An open "[" with no "]" after it is a plain character.
  for (size_t at = 0; at < folded_.size() && !glob_; ++at) {
    const char c = folded_[at];
    glob_ = c == '*' || c == '?' || (c == '[' && classEnd(folded_, at) != std::string_view::npos);
  }
  collectTrigrams();
}

bool NamePattern::matchesFolded(std::string_view name) const {
  if (!glob_) return name.find(folded_) != std::string_view::npos;
  return matchGlob(name);
}

// The classic two-pointer glob match with one backtrack point: after a "*"
// failed, it retries one unit further along the name.
bool NamePattern::matchGlob(std::string_view name) const {
  const std::string_view pattern = folded_;
  size_t p = 0, n = 0;
  size_t starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size()) {
      const char c = pattern[p];
      if (c == '*') {
        starP = ++p;
        starN = n;
        continue;
      }
      if (c == '?') {
        ++p;
        n += unitLength(name, n);
        continue;
      }
      if (c == '[') {
        const size_t close = classEnd(pattern, p);
        if (close != std::string_view::npos) {
          size_t next = n;
          const char32_t character = decodeUtf8(name, next);
          if (classHolds(pattern, p, close, character)) {
            p = close + 1;
            n = next;
            continue;
          }
          goto backtrack;
        }
      }
      const size_t length = unitLength(pattern, p);
      if (name.substr(n, length) == pattern.substr(p, length)) {
        p += length;
        n += length;
        continue;
      }
    }
  backtrack:
    if (starP == std::string_view::npos) return false;
    p = starP;
    starN += unitLength(name, starN);
    n = starN;
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

void NamePattern::collectTrigrams() {
  // The plain runs of the pattern; each wildcard or class ends one.
  std::vector<std::string> runs(1);
  for (size_t p = 0; p < folded_.size();) {
    const char c = folded_[p];
    if (glob_ && (c == '*' || c == '?')) {
      runs.emplace_back();
      ++p;
      continue;
    }
    if (glob_ && c == '[') {
      const size_t close = classEnd(folded_, p);
      if (close != std::string_view::npos) {
        runs.emplace_back();
        p = close + 1;
        continue;
      }
    }
    const size_t length = unitLength(folded_, p);
    runs.back().append(folded_, p, length);
    p += length;
  }
  std::set<std::string> trigrams;
  for (const std::string& run : runs) {
    const std::string text = readableUtf8(run);
    std::vector<size_t> starts;
    for (size_t at = 0; at < text.size();) {
      starts.push_back(at);
      decodeUtf8(text, at);
    }
    starts.push_back(text.size());
    for (size_t i = 0; i + 3 < starts.size(); ++i) {
      trigrams.insert(text.substr(starts[i], starts[i + 3] - starts[i]));
    }
  }
  for (const std::string& trigram : trigrams) {
    if (!indexQuery_.empty()) indexQuery_ += " AND ";
    indexQuery_ += quotedTrigram(trigram);
  }
}

}  // namespace tallyfold
