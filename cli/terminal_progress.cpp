#include "cli/terminal_progress.h"

#include <unistd.h>

#include <cstdio>
#include <new>

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

TerminalProgress::TerminalProgress(const RunControl& control, bool enabled) : control_(control) {
  if (enabled && isatty(STDERR_FILENO)) poller_ = std::thread([this] { pollUntilStopped(); });
}

TerminalProgress::~TerminalProgress() {
  stop();
}

void TerminalProgress::pollUntilStopped() {
  std::unique_lock lock(mutex_);
  while (!wake_.wait_for(lock, kInterval, [this] { return stopping_; })) {
    // Without memory for the line the run goes on; it has its own answer to
    // running out.
    try {
      print();
    } catch (const std::bad_alloc&) {
    }
  }
  if (lineShown_) {
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
  }
}

void TerminalProgress::print() {
  std::fprintf(stderr, "\r\033[K%s  %llu entries, %llu folders  %s", timer_.elapsedText().c_str(),
               static_cast<unsigned long long>(control_.entriesScanned()),
               static_cast<unsigned long long>(control_.foldersScanned()),
               printableStatus(control_.statusText()).c_str());
  std::fflush(stderr);
  lineShown_ = true;
}

void TerminalProgress::stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (poller_.joinable()) poller_.join();
}

}  // namespace tallyfold::cli
