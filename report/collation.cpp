#include "report/collation.h"

#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace tallyfold {

namespace {

constexpr UChar32 kReplacementCharacter = 0xFFFD;

// A UCollator serves one thread at a time, so every thread that compares or
// makes keys works on its own clone of the configured collator. The clones
// are kept per thread and keyed by a number that no other Collation ever
// gets, so a clone never outlives its use by mistake for another collation.
class ThreadCollators {
 public:
  ThreadCollators() = default;
  ThreadCollators(const ThreadCollators&) = delete;
  ThreadCollators& operator=(const ThreadCollators&) = delete;
  ~ThreadCollators() {
    for (const Entry& entry : entries_) ucol_close(entry.collator);
  }

  UCollator* get(uint64_t id, const UCollator* source) {
    for (const Entry& entry : entries_) {
      if (entry.id == id) return entry.collator;
    }
    UErrorCode status = U_ZERO_ERROR;
    UCollator* clone = ucol_clone(source, &status);
    if (U_FAILURE(status) || clone == nullptr) throw std::runtime_error("cannot clone a collator");
    if (entries_.size() == kMaxEntries) {
      ucol_close(entries_.back().collator);
      entries_.pop_back();
    }
    entries_.insert(entries_.begin(), Entry{id, clone});
    return clone;
  }

 private:
  static constexpr size_t kMaxEntries = 4;
  struct Entry {
    uint64_t id;
    UCollator* collator;
  };
  std::vector<Entry> entries_;
};

thread_local ThreadCollators threadCollators;
thread_local std::vector<UChar> utf16Buffer;

std::atomic<uint64_t> nextCollationId{1};

std::string_view firstSetVariable(std::initializer_list<const char*> names) {
  for (const char* name : names) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return {};
}

UCollator* openConfigured(const std::string& locale) {
  UErrorCode status = U_ZERO_ERROR;
  const char* name = locale == "root" ? "" : locale.c_str();
  UCollator* collator = ucol_open(name, &status);
  if (U_FAILURE(status)) {
    status = U_ZERO_ERROR;
    collator = ucol_open("", &status);
  }
  if (U_FAILURE(status) || collator == nullptr) throw std::runtime_error("cannot open a collator");
  // Secondary strength: letter case does not count, accents do. Punctuation
  // and symbols keep their weights, which puts "|", "$" and "?" ahead of
  // digits and letters.
  ucol_setStrength(collator, UCOL_SECONDARY);
  ucol_setAttribute(collator, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
  if (U_FAILURE(status)) {
    ucol_close(collator);
    throw std::runtime_error("cannot configure a collator");
  }
  return collator;
}

// UTF-8 to UTF-16 in the thread's buffer; ill-formed bytes become U+FFFD as
// they do in ucol_strcollUTF8, so keys and comparisons agree.
std::basic_string_view<UChar> toUtf16(std::string_view text) {
  if (text.size() > INT32_MAX) throw std::length_error("text too long to collate");
  // Each UTF-8 byte yields at most one UTF-16 unit.
  if (utf16Buffer.size() < text.size() + 1) utf16Buffer.resize(text.size() + 1);
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = 0;
  u_strFromUTF8WithSub(utf16Buffer.data(), static_cast<int32_t>(utf16Buffer.size()), &length,
                       text.data(), static_cast<int32_t>(text.size()), kReplacementCharacter,
                       nullptr, &status);
  if (U_FAILURE(status)) throw std::runtime_error("cannot convert text for collation");
  return {utf16Buffer.data(), static_cast<size_t>(length)};
}

}  // namespace

struct Collation::Impl {
  UCollator* configured = nullptr;  // only ever cloned, never used directly
  uint64_t id = 0;

  ~Impl() { ucol_close(configured); }
  UCollator* forThisThread() const { return threadCollators.get(id, configured); }
};

std::string Collation::userLocaleName() {
  std::string name(firstSetVariable({"LC_ALL", "LC_COLLATE", "LANG"}));
  name.resize(std::min(name.size(), name.find_first_of(".@")));
  // The C and POSIX locales get the root rules, not ICU's en_US_POSIX, whose
  // plain code-point order would put upper case before "|".
  if (name == "C" || name == "POSIX") return "";
  return name;
}

Collation Collation::forUserLocale() {
  return Collation(userLocaleName());
}

Collation::Collation(const std::string& locale) : impl_(std::make_unique<Impl>()) {
  impl_->configured = openConfigured(locale);
  impl_->id = nextCollationId.fetch_add(1);
}

Collation::~Collation() = default;
Collation::Collation(Collation&&) noexcept = default;
Collation& Collation::operator=(Collation&&) noexcept = default;

int Collation::compare(std::string_view a, std::string_view b) const {
  if (a.size() > INT32_MAX || b.size() > INT32_MAX) throw std::length_error("text too long");
  UErrorCode status = U_ZERO_ERROR;
  UCollationResult result =
      ucol_strcollUTF8(impl_->forThisThread(), a.data(), static_cast<int32_t>(a.size()), b.data(),
                       static_cast<int32_t>(b.size()), &status);
  if (U_FAILURE(status)) throw std::runtime_error("cannot compare texts");
  return result == UCOL_LESS ? -1 : result == UCOL_GREATER ? 1 : 0;
}

std::string Collation::sortKey(std::string_view text) const {
  std::string key;
  appendSortKey(text, key);
  return key;
}

void Collation::appendSortKey(std::string_view text, std::string& out) const {
  std::basic_string_view<UChar> units = toUtf16(text);
  UCollator* collator = impl_->forThisThread();
  const size_t start = out.size();
  // A guess that holds for most texts; ICU reports the real length (with its
  // terminating 0 byte) and the key is made again when the guess was short.
  size_t room = 3 * units.size() + 16;
  for (;;) {
    out.resize(start + room);
    auto* bytes = reinterpret_cast<uint8_t*>(out.data() + start);
    int32_t needed =
        ucol_getSortKey(collator, units.data(), static_cast<int32_t>(units.size()), bytes,
                        static_cast<int32_t>(std::min<size_t>(room, INT32_MAX)));
    if (needed <= 0) throw std::runtime_error("cannot make a sort key");
    if (static_cast<size_t>(needed) <= room) {
      // The terminating 0 byte is dropped: keys hold no other 0 byte, so a
      // key that is a prefix of another still sorts first.
      out.resize(start + static_cast<size_t>(needed) - 1);
      return;
    }
    room = static_cast<size_t>(needed);
  }
}

}  // namespace tallyfold
