#include "report/detailed_list.h"

#include <algorithm>
#include <cstdio>

#include "platform/file_facts.h"
#include "platform/user_names.h"
#include "platform/utf8_text.h"
#include "report/file_details.h"
#include "report/listing_text.h"
#include "report/rtf_frame.h"
#include "report/sorting.h"
#include "scan/mp3_tag.h"

namespace tallyfold {

namespace {

constexpr size_t kSizeWidth = 12;
constexpr size_t kVersionWidth = 10;
constexpr size_t kOwnerCut = 15;
constexpr size_t kOwnerWidth = 17;
constexpr size_t kCrcWidth = 10;
constexpr uint8_t kHiddenOrSystem = kHiddenAttribute | kSystemAttribute;

std::string twoDigits(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

std::string fourDigits(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d", value);
  return text;
}

// The file-name column: names longer than the column are cut to C - 3
// characters, trailing blanks removed, and end in "...".
std::string nameColumn(std::string_view name, size_t columnSize) {
  if (utf8Length(name) <= columnSize) return padRight(name, columnSize);
  std::string_view kept = trimTrailingBlanks(utf8Prefix(name, columnSize - 3));
  return padRight(std::string(kept) + "...", columnSize);
}

// Under the "Date" sort the date shows the day with a literal "/"; otherwise
// the locale's separators.
std::string dateText(const LocalTime& t, const ReportOptions& options, const LocaleFormat& locale) {
  std::string separator = options.sort == "Date" ? "/" : locale.dateSeparator;
  return twoDigits(t.day) + separator + twoDigits(t.month) + separator + fourDigits(t.year);
}

std::string timeText(const LocalTime& t, const LocaleFormat& locale) {
  const std::string& separator = locale.timeSeparator;
  return twoDigits(t.hour) + separator + twoDigits(t.minute) + separator + twoDigits(t.second);
}

std::string tagColumn(std::string_view field, const ReportSettings& settings) {
  std::string column = "   ";
  column += settings.removeBlankSpaces ? trimBlanks(field) : field;
  return column;
}

void appendTagColumns(std::string& row, const std::string& fullPath,
                      const ReportSettings& settings) {
  Mp3Tag tag;
  readMp3Tag(fullPath, tag);
  if (settings.title) row += tagColumn(tag.title, settings);
  if (settings.artist) row += tagColumn(tag.artist, settings);
  if (settings.album) row += tagColumn(tag.album, settings);
  if (settings.year) row += tagColumn(tag.year, settings);
  if (settings.genre) row += tagColumn(tag.genreName, settings);
  if (settings.comment) row += tagColumn(tag.comment, settings);
}

std::vector<uint32_t> sortedFileIndexes(const ReportInput& input, const RecordStore& store,
                                        uint32_t folder, std::vector<uint32_t> files) {
  return sortFolderFiles(store, folder, std::move(files), input.options.sort,
                         input.options.ascending, input.collation);
}

// The rows of a block in the order of the sort choice. Records of one folder
// path normally share one folder entry; overlapping scan locations can give a
// path two entries, whose files are then merged before sorting.
std::vector<RecordRef> sortBlockFiles(const ReportInput& input,
                                      const std::vector<RecordRef>& files) {
  if (files.empty()) return files;
  const uint32_t folder = files.front().folder;
  const bool oneEntry = std::all_of(
      files.begin(), files.end(), [folder](const RecordRef& ref) { return ref.folder == folder; });
  std::vector<uint32_t> indexes(files.size());
  std::vector<RecordRef> sorted(files.size());
  if (oneEntry) {
    std::transform(files.begin(), files.end(), indexes.begin(),
                   [](const RecordRef& ref) { return ref.file; });
    indexes = sortedFileIndexes(input, input.store, folder, std::move(indexes));
    std::transform(indexes.begin(), indexes.end(), sorted.begin(), [folder](uint32_t index) {
      return RecordRef{folder, index};
    });
    return sorted;
  }
  RecordStore merged;
  const uint32_t mergedFolder = merged.addFolder(input.store.folderPath(files.front()));
  std::transform(files.begin(), files.end(), indexes.begin(), [&](const RecordRef& ref) {
    return merged.addFile(mergedFolder, input.store.name(ref), input.store.file(ref));
  });
  indexes = sortedFileIndexes(input, merged, mergedFolder, std::move(indexes));
  std::transform(indexes.begin(), indexes.end(), sorted.begin(),
                 [&files](uint32_t index) { return files[index]; });
  return sorted;
}

void writeBlockHeading(DetailedListRun& run, std::string_view folder) {
  const ReportSettings& settings = run.input.settings;
  std::string_view shown = settings.fullPath ? folder : lastPathComponent(folder);
  std::string heading = settings.includeFolderTitle ? "Directory of " : "";
  heading += shown;
  size_t width = static_cast<size_t>(run.lineWidth);
  if (utf8Length(heading) > width) heading = cutWithEllipsis(heading, width - 3);
  run.sink.writeLine("\\b\\par " + escapeListingText(heading, settings) + " \\par\\b0");
}

void writeBlockSummary(DetailedListRun& run, uint64_t files, uint64_t bytes) {
  const ReportSettings& settings = run.input.settings;
  if (!settings.includeFolderSum) {
    run.sink.writeLine(" \\par");
    return;
  }
  std::string separator = makeSeparator(run.lineWidth);
  if (settings.includeSeparator) run.sink.writeLine("\\par " + separator);
  run.sink.writeLine("\\par " + std::to_string(files) + " file(s) found \\par ");
  run.sink.writeLine("Total file size " +
                     sizeTextAuto(static_cast<double>(bytes), run.input.locale) + " \\par ");
  if (settings.includeSeparator) run.sink.writeLine(separator + " \\par\\par");
}

}  // namespace

int64_t detailedLineWidth(const ReportSettings& s) {
  int64_t width = s.columnSize() + 2;
  if (s.size) width += 14;
  if (s.date) width += 12;
  if (s.time) width += 10;
  if (s.attribute) width += 5;
  if (s.version) width += 11;
  if (s.title) width += 32;
  if (s.artist) width += 32;
  if (s.album) width += 32;
  if (s.year) width += 6;
  if (s.genre) width += 15;
  if (s.comment) width += 32;
  if (s.owner) width += 17;
  if (s.crc32) width += 12;
  return width;
}

std::string detailedRowText(const ReportInput& input, RecordRef file) {
  const ReportSettings& settings = input.settings;
  const FileEntry& entry = input.store.file(file);
  std::string fullPath = std::string(input.store.folderPath(file));
  fullPath += input.store.name(file);
  std::string row;
  if (settings.fileName) {
    row += nameColumn(input.store.name(file), static_cast<size_t>(settings.columnSize()));
  }
  if (settings.size) {
    row +=
        padLeft(sizeTextByUnit(static_cast<double>(entry.size), settings.showSizeIn, input.locale),
                kSizeWidth);
  }
  if (settings.date || settings.time) {
    LocalTime modified = toLocalTime(entry.mtime);
    if (settings.date) row += "  " + dateText(modified, input.options, input.locale);
    if (settings.time) row += " " + timeText(modified, input.locale);
  }
  if (settings.attribute) row += "  " + attributeText(entry.attributes);
  if (settings.version) {
    std::string version = fileVersionText(fullPath);
    row += "  " + padRight(utf8Prefix(version, kVersionWidth), kVersionWidth);
  }
  if (settings.anyTagColumn()) appendTagColumns(row, fullPath, settings);
  if (settings.owner) {
    std::string owner = fileOwnerName(fullPath);
    row += "  " + padRight(utf8Prefix(owner, kOwnerCut), kOwnerWidth);
  }
  // Hidden and system files get no CRC column, as the file look-up that
  // guards the CRC does not see them.
  if (settings.crc32 && (entry.attributes & kHiddenOrSystem) == 0) {
    row += padRight("  " + crcText(fullPath), kCrcWidth);
  }
  return row;
}

void writeFolderBlock(DetailedListRun& run, std::string_view folder,
                      const std::vector<RecordRef>& files) {
  const ReportSettings& settings = run.input.settings;
  std::string separator = makeSeparator(run.lineWidth);
  if (settings.includeSeparator) run.sink.writeLine(separator);
  writeBlockHeading(run, folder);
  run.sink.writeLine(settings.includeSeparator ? separator + "\\par\\par" : " \\par");

  uint64_t filesInBlock = 0;
  uint64_t blockBytes = 0;
  for (const RecordRef& file : files) {
    if (run.control.cancelRequested()) break;
    std::string row = detailedRowText(run.input, file);
    ++filesInBlock;
    blockBytes += run.input.store.file(file).size;
    ++run.counters.files;
    run.sink.writeLine(escapeListingText(row, settings) + " \\par");
    run.control.setFormatted(run.counters.files);
  }
  writeBlockSummary(run, filesInBlock, blockBytes);
}

ReportCounters writeDetailedList(const ReportInput& input, ReportSink& sink, RunControl& control) {
  DetailedListRun run{input, sink, control, detailedLineWidth(input.settings), {}};
  control.startFormatting(FormattingCount::Files, input.sortedRecords.size(),
                          input.locale.decimalPoint);
  sink.writeLine(
      buildRtfHeader(input.options.fontName, input.options.fontSize, input.options.colour));

  const RecordStore& store = input.store;
  std::string_view previousFolder;
  std::vector<RecordRef> blockFiles;
  for (const RecordRef& record : input.sortedRecords) {
    if (control.cancelRequested()) break;
    // This listing shows files only; folder records carry nothing for it.
    if (record.isFolderRecord()) continue;
    run.counters.totalSize += static_cast<double>(store.file(record).size);
    std::string_view folder = store.folderPath(record);
    if (folder != previousFolder) {
      if (!previousFolder.empty()) {
        writeFolderBlock(run, folderWithoutSlash(previousFolder),
                         sortBlockFiles(input, blockFiles));
      }
      previousFolder = folder;
      blockFiles.clear();
      ++run.counters.folders;
    }
    blockFiles.push_back(record);
  }
  // The folder in progress gets its block even after a cancel, and a list
  // without records gets one block for the empty folder.
  writeFolderBlock(run, folderWithoutSlash(previousFolder), sortBlockFiles(input, blockFiles));

  if (input.settings.includeFullSum) writeDetailedSummary(sink, run.counters, input.locale);
  sink.writeLine(kDetailedClosingLine);
  return run.counters;
}

}  // namespace tallyfold
