#include "scan/run_control.h"

#include <cstdio>

namespace tallyfold {

namespace {

// The detailed list shows its count every 5 files, the other reports every 50
// records, and the walk its folder every 50 entries (see the folder reader):
// a text shown between two of these steps would flicker past unread.
constexpr uint64_t kFilesStep = 5;
constexpr uint64_t kRecordsStep = 50;

std::string percentText(uint64_t done, uint64_t total, std::string_view decimalPoint) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", total == 0 ? 0.0 : 100.0 / total * done);
  std::string out = text;
  const size_t point = out.find('.');
  if (point != std::string::npos) out.replace(point, 1, decimalPoint);
  return out;
}

std::string formattingText(FormattingCount kind, uint64_t done, uint64_t total,
                           std::string_view decimalPoint) {
  if (kind == FormattingCount::Files && done >= kFilesStep) {
    done -= done % kFilesStep;
    return "Formatting list, please wait...(" + std::to_string(done) + "/" + std::to_string(total) +
           ") " + percentText(done, total, decimalPoint) + "%";
  }
  if (kind == FormattingCount::Records && done >= kRecordsStep) {
    done -= done % kRecordsStep;
    return "Formating list. please wait... " + std::to_string(done) + " / " + std::to_string(total);
  }
  return "please wait...";
}

}  // namespace

void RunControl::enterPhase(RunPhase phase) {
  if (phase == RunPhase::Scanning) {
    entries_.store(0);
    folders_.store(0);
    std::lock_guard lock(textMutex_);
    folder_.clear();
  }
  phase_.store(phase, std::memory_order_release);
  if (listener_) listener_(true);
}

void RunControl::finishWalk() {
  if (!stopRequested()) cancel_.store(false);
}

void RunControl::showFolder(std::string_view folder) {
  {
    std::lock_guard lock(textMutex_);
    folder_.assign(folder);
  }
  if (listener_) listener_(false);
}

void RunControl::addScanned(uint64_t entries, uint64_t folders) {
  entries_.fetch_add(entries, std::memory_order_relaxed);
  folders_.fetch_add(folders, std::memory_order_relaxed);
}

void RunControl::startFormatting(FormattingCount count, uint64_t total,
                                 std::string_view decimalPoint) {
  {
    std::lock_guard lock(textMutex_);
    decimalPoint_.assign(decimalPoint);
  }
  countKind_.store(count, std::memory_order_relaxed);
  done_.store(0, std::memory_order_relaxed);
  total_.store(total, std::memory_order_relaxed);
  enterPhase(RunPhase::Formatting);
}

void RunControl::setExported(uint64_t done, uint64_t total) {
  done_.store(done, std::memory_order_relaxed);
  total_.store(total, std::memory_order_relaxed);
  if (listener_) listener_(false);
}

std::string RunControl::statusText() const {
  const uint64_t done = done_.load(std::memory_order_relaxed);
  const uint64_t total = total_.load(std::memory_order_relaxed);
  switch (phase()) {
    case RunPhase::Idle:
      return {};
    case RunPhase::Scanning: {
      std::lock_guard lock(textMutex_);
      return folder_.empty() ? std::string() : "Scanning... " + folder_;
    }
    case RunPhase::Sorting:
      return "Initializing format engine, please wait...";
    case RunPhase::Formatting: {
      std::lock_guard lock(textMutex_);
      return formattingText(countKind_.load(std::memory_order_relaxed), done, total, decimalPoint_);
    }
    case RunPhase::Exporting:
      return "Exporting... " + std::to_string(done) + " / " + std::to_string(total);
    case RunPhase::Finished:
      return wasCancelled() ? "Scan Terminated." : "Ready";
  }
  return {};
}

}  // namespace tallyfold
