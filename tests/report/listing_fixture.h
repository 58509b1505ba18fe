#pragma once
// Shared pieces of the listing tests: a sink that keeps the document's lines,
// and a record store built from real files.

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_facts.h"
#include "platform/locale_format.h"
#include "report/collation.h"
#include "report/report.h"
#include "report/report_settings.h"
#include "scan/records.h"
#include "scan/run_control.h"

namespace tallyfold::test {

struct LinesSink : ReportSink {
  std::vector<std::string> lines;
  void writeLine(std::string_view line) override { lines.emplace_back(line); }
};

// Dates and times in the listings are local; the tests fix the zone.
inline void useUtc() {
  setenv("TZ", "UTC", 1);
  tzset();
}

// The facts the walker would have read of a real file.
inline FileEntry entryOf(const std::string& path) {
  auto facts = statPath(path);
  EXPECT_TRUE(facts.has_value()) << path;
  FileEntry entry;
  if (!facts) return entry;
  entry.size = facts->size;
  entry.mtime = facts->mtime;
  entry.attributes = facts->attributes;
  return entry;
}

// Adds the real files of one folder (folderPath ends in "/") in the given
// order and appends their file records.
inline uint32_t addRealFolder(RecordStore& store, std::vector<RecordRef>& records,
                              const std::string& folderPath, const std::vector<std::string>& names,
                              bool withFolderRecord) {
  uint32_t folder = store.addFolder(folderPath);
  if (withFolderRecord) records.push_back(RecordRef{folder, RecordRef::kFolderRecord});
  for (const std::string& name : names) {
    uint32_t file = store.addFile(folder, name, entryOf(folderPath + name));
    records.push_back(RecordRef{folder, file});
  }
  return folder;
}

// Runs one report over the records with fixed separators and root collation.
struct ReportRun {
  RecordStore store;
  std::vector<RecordRef> records;
  ReportSettings settings;
  ReportOptions options;
  LocaleFormat locale = LocaleFormat::plain();
  Collation collation{""};
  LinesSink sink;
  RunControl control;
  ReportCounters counters;

  // Each run writes a new document.
  const std::vector<std::string>& run() {
    sink.lines.clear();
    ReportInput input{store, records, settings, options, locale, collation};
    counters = writeReport(input, sink, control);
    return sink.lines;
  }
};

inline const std::string kDefaultHeader =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033{\\fonttbl{\\f0\\fmodern\\fprq1\\fcharset0 "
    "courier new;}{\\f1\\fswiss\\fcharset0 Arial;}}{\\colortbl;\\red0\\green0\\blue0;}"
    "\\viewkind4\\uc1\\pard\\li180\\cf1\\f0\\fs20\\par ";

inline std::string asciiUpper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

inline std::string blanks(size_t n) {
  return std::string(n, ' ');
}
inline std::string hyphens(size_t n) {
  return std::string(n, '-');
}

}  // namespace tallyfold::test
