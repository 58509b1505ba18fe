#include "cli/terminal_progress.h"

#include <unistd.h>

#include <cstdio>

#include "platform/utf8_text.h"

namespace tallyfold::cli {

namespace {

constexpr auto kInterval = std::chrono::seconds(1);
constexpr size_t kStatusWidth = 60;

// A status text fit for one terminal line: control characters of odd file
// names would break the line, and long paths are cut from the left.
std::string printableStatus(std::string_view text) {
  std::string clean;
  size_t pos = 0;
  while (pos < text.size()) {
    char32_t c = decodeUtf8(text, pos);
    appendUtf8(clean, (c < 0x20 || c == 0x7f) ? U'?' : c);
  }
  size_t length = utf8Length(clean);
  if (length <= kStatusWidth) return clean;
  size_t skip = length - (kStatusWidth - 3);
  size_t at = 0;
  for (size_t i = 0; i < skip; ++i) decodeUtf8(clean, at);
  return "..." + clean.substr(at);
}

}  // namespace

TerminalProgress::TerminalProgress(bool enabled)
    : enabled_(enabled && isatty(STDERR_FILENO)), lastPrint_(std::chrono::steady_clock::now()) {}

TerminalProgress::~TerminalProgress() {
  clear();
}

void TerminalProgress::showStatus(std::string_view text) {
  if (!enabled_) return;
  {
    std::lock_guard lock(mutex_);
    status_ = printableStatus(text);
  }
  printIfDue();
}

void TerminalProgress::showProgress(uint64_t entriesSeen, uint64_t foldersSeen) {
  if (!enabled_) return;
  entries_.store(entriesSeen, std::memory_order_relaxed);
  folders_.store(foldersSeen, std::memory_order_relaxed);
  printIfDue();
}

void TerminalProgress::printIfDue() {
  auto now = std::chrono::steady_clock::now();
  std::unique_lock lock(mutex_, std::try_to_lock);
  if (!lock.owns_lock() || now - lastPrint_ < kInterval) return;
  lastPrint_ = now;
  std::fprintf(stderr, "\r\033[K%s  %llu entries, %llu folders  %s", timer_.elapsedText().c_str(),
               static_cast<unsigned long long>(entries_.load()),
               static_cast<unsigned long long>(folders_.load()), status_.c_str());
  std::fflush(stderr);
  lineShown_ = true;
}

void TerminalProgress::clear() {
  if (!enabled_) return;
  std::lock_guard lock(mutex_);
  if (lineShown_) {
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    lineShown_ = false;
  }
}

}  // namespace tallyfold::cli
