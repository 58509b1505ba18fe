#include "report/detailed_list.h"

#include <algorithm>
#include <cstdio>

#include "platform/display_width.h"
#include "platform/sha256.h"
#include "report/block_order.h"
#include "report/detail_source.h"
#include "report/file_details.h"
#include "report/listing_text.h"
#include "report/media_texts.h"
#include "report/rtf_frame.h"
#include "report/sorting.h"

namespace tallyfold {

namespace {

constexpr size_t kSizeWidth = 12;
constexpr size_t kVersionWidth = 10;
constexpr size_t kOwnerCut = 15;
constexpr size_t kOwnerWidth = 17;
constexpr size_t kCrcWidth = 10;
constexpr size_t kSha256Width = 66;

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

// The file-name column: names wider than the column are cut to what fits in
// C - 3 cells (a wide character that would straddle the cut goes whole),
// trailing blanks removed, and end in "...".
std::string nameColumn(std::string_view name, size_t columnSize) {
  if (displayWidth(name) <= columnSize) return padRight(name, columnSize);
  std::string_view kept = trimTextEnd(displayPrefix(name, columnSize - 3));
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

constexpr size_t kTagTextWidth = 30;
constexpr size_t kYearWidth = 4;
// The longest names of the genre table ("Christian Gangsta Rap",
// "Comteporary Christian") fit whole; a longer free-text genre is cut.
constexpr size_t kGenreWidth = 21;

// A tag column: three blanks and the field at its fixed width (cut when
// longer), or trimmed when blank spaces are to be removed.
std::string tagColumn(std::string_view field, size_t width, const ReportSettings& settings) {
  std::string column = "   ";
  if (settings.removeBlankSpaces) {
    column += trimText(displayPrefix(field, width));
  } else {
    column += padRight(displayPrefix(field, width), width);
  }
  return column;
}

void appendTagColumns(std::string& row, const AudioTags& tags, const ReportSettings& settings) {
  if (settings.title) row += tagColumn(tags.title, kTagTextWidth, settings);
  if (settings.artist) row += tagColumn(tags.artist, kTagTextWidth, settings);
  if (settings.album) row += tagColumn(tags.album, kTagTextWidth, settings);
  if (settings.year) row += tagColumn(tags.year, kYearWidth, settings);
  if (settings.genre) row += tagColumn(tags.genre, kGenreWidth, settings);
  if (settings.comment) row += tagColumn(tags.comment, kTagTextWidth, settings);
}

// The media columns' widths: the longest text of each fits ("999:59:59",
// "99999 kbps", "192 kHz stereo", "65535 x 65535", a date and time); camera
// names and codecs longer than theirs are cut.
constexpr size_t kDurationWidth = 9;
constexpr size_t kBitrateWidth = 10;
constexpr size_t kAudioFormatWidth = 15;
constexpr size_t kDimensionsWidth = 13;
constexpr size_t kTakenWidth = 19;
constexpr size_t kCameraWidth = 30;
constexpr size_t kCodecWidth = 16;

// A media column: two blanks and the text at its fixed width, numbers to the
// right; trimmed when blank spaces are to be removed.
std::string mediaColumn(std::string_view text, size_t width, bool number,
                        const ReportSettings& settings) {
  std::string column = "  ";
  std::string_view kept = displayPrefix(text, width);
  if (settings.removeBlankSpaces) {
    column += trimText(kept);
  } else {
    column += number ? padLeft(kept, width) : padRight(kept, width);
  }
  return column;
}

void appendMediaColumns(std::string& row, const MediaFacts& media, const ReportSettings& settings,
                        const LocaleFormat& locale) {
  if (settings.duration) {
    row += mediaColumn(durationText(media.durationMs), kDurationWidth, true, settings);
  }
  if (settings.bitrate) {
    row += mediaColumn(bitrateText(media.bitrateKbps), kBitrateWidth, true, settings);
  }
  if (settings.audioFormat) {
    row += mediaColumn(audioFormatText(media.sampleRate, media.channels), kAudioFormatWidth, false,
                       settings);
  }
  if (settings.dimensions) {
    row += mediaColumn(dimensionsText(media.width, media.height), kDimensionsWidth, true, settings);
  }
  if (settings.taken) {
    row += mediaColumn(takenText(media.taken, locale), kTakenWidth, false, settings);
  }
  if (settings.camera) row += mediaColumn(media.camera, kCameraWidth, false, settings);
  if (settings.codec) row += mediaColumn(media.codec, kCodecWidth, false, settings);
}

// The rows of a block in the order of the sort choice.
std::vector<RecordRef> sortBlockFiles(const ReportInput& input,
                                      const std::vector<RecordRef>& files) {
  return orderBlockFiles(input.store, files, input.options.sort, input.options.ascending,
                         input.collation);
}

// What the rows read of each file: the SHA-256 column is read ahead apart
// (see BlockDigests), and hidden and system files have never had a CRC here.
FileDetailChoice detailChoiceOf(const ReportSettings& settings) {
  FileDetailChoice choice;
  choice.owner = settings.owner != 0;
  choice.version = settings.version != 0;
  choice.crc32 = settings.crc32 != 0;
  choice.tags = settings.anyTagColumn();
  choice.media = settings.anyMediaColumn();
  choice.crcOfHiddenAndSystem = false;
  return choice;
}

// The row text of one file before escaping: the chosen columns in their
// order. A file whose owner or bytes a chosen column needs but that cannot be
// read gets those columns empty and is named among the unreadable files.
std::string rowText(DetailedListRun& run, FileDetailReader& reader, RecordRef file) {
  const ReportInput& input = run.input;
  const ReportSettings& settings = input.settings;
  const FileEntry& entry = input.store.file(file);
  const std::string_view name = input.store.name(file);
  std::string row;
  if (settings.fileName) row += nameColumn(name, static_cast<size_t>(settings.columnSize()));
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

  FileDetails& details = run.details;
  const int error = input.storedDetails != nullptr ? input.storedDetails->details(file, details)
                                                   : reader.read(name, entry, details);
  if (settings.version) {
    row += "  " + padRight(displayPrefix(details.version, kVersionWidth), kVersionWidth);
  }
  if (settings.anyTagColumn()) appendTagColumns(row, details.tags, settings);
  if (settings.anyMediaColumn()) appendMediaColumns(row, details.media, settings, input.locale);
  if (settings.owner) row += "  " + padRight(displayPrefix(details.owner, kOwnerCut), kOwnerWidth);
  if (reader.readsCrcOf(entry)) row += padRight("  " + details.crc32, kCrcWidth);
  if (error != 0) {
    std::string fullPath(input.store.folderPath(file));
    fullPath += name;
    run.counters.unreadable.push_back(ReadFailure{std::move(fullPath), error, {}});
  }
  return row;
}

// The SHA-256 column of a block's rows. One digest is one stream that cannot
// be split, so the next files of the block are hashed on helper threads while
// the current row is written; each row still takes its own file's digest.
class BlockDigests {
 public:
  BlockDigests(DetailedListRun& run, FileDetailReader& reader, const std::vector<RecordRef>& files)
      : run_(run) {
    if (!run.input.settings.sha256 || files.empty()) return;
    if (run.input.storedDetails != nullptr) {
      stored_ = &files;
      return;
    }
    folderError_ = reader.openFolder();
    if (folderError_ != 0) return;
    readings_.resize(files.size());
    if (!run.readAhead) run.readAhead = std::make_unique<ReadAhead>();
    const int folderFd = reader.folderFd();
    const RecordStore& store = run.input.store;
    const std::atomic<bool>* cancel = &run.control.cancelFlag();
    run.readAhead->start(files.size(), [this, folderFd, &store, &files, cancel](size_t i) {
      readings_[i] = sha256OfFileIn(folderFd, std::string(store.name(files[i])), cancel);
    });
    started_ = true;
  }
  ~BlockDigests() {
    if (started_) run_.readAhead->finish();
  }
  BlockDigests(const BlockDigests&) = delete;
  BlockDigests& operator=(const BlockDigests&) = delete;

  // "  " and the 64 digits, or blanks for a file that is not regular or could
  // not be read; such a file joins the unreadable ones (once, whatever other
  // column failed on it too).
  std::string column(size_t index, RecordRef file) {
    std::string digits;
    int error = folderError_;
    if (stored_ != nullptr) {
      run_.input.storedDetails->details(file, storedRow_);
      digits = storedRow_.sha256;
    }
    if (started_) {
      run_.readAhead->wait(index);
      const Sha256Reading& reading = readings_[index];
      if (reading.digest) digits = sha256Text(*reading.digest);
      error = reading.error;
    }
    if (error != 0) {
      std::string fullPath(run_.input.store.folderPath(file));
      fullPath += run_.input.store.name(file);
      std::vector<ReadFailure>& unreadable = run_.counters.unreadable;
      if (unreadable.empty() || unreadable.back().path != fullPath) {
        unreadable.push_back(ReadFailure{fullPath, error, {}});
      }
    }
    return padRight("  " + digits, kSha256Width);
  }

 private:
  DetailedListRun& run_;
  std::vector<Sha256Reading> readings_;
  int folderError_ = 0;
  bool started_ = false;
  const std::vector<RecordRef>* stored_ = nullptr;
  FileDetails storedRow_;
};

void writeBlockHeading(DetailedListRun& run, std::string_view folder) {
  const ReportSettings& settings = run.input.settings;
  std::string_view shown = settings.fullPath ? folder : lastPathComponent(folder);
  std::string heading = settings.includeFolderTitle ? "Directory of " : "";
  heading += shown;
  size_t width = static_cast<size_t>(run.lineWidth);
  if (displayWidth(heading) > width) heading = cutWithEllipsis(heading, width - 3);
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
  if (s.genre) width += static_cast<int64_t>(kGenreWidth) + 2;
  if (s.comment) width += 32;
  for (const auto& [on, columnWidth] :
       {std::pair{s.duration, kDurationWidth}, std::pair{s.bitrate, kBitrateWidth},
        std::pair{s.audioFormat, kAudioFormatWidth}, std::pair{s.dimensions, kDimensionsWidth},
        std::pair{s.taken, kTakenWidth}, std::pair{s.camera, kCameraWidth},
        std::pair{s.codec, kCodecWidth}}) {
    if (on) width += static_cast<int64_t>(columnWidth) + 2;
  }
  if (s.owner) width += 17;
  if (s.crc32) width += 12;
  if (s.sha256) width += static_cast<int64_t>(kSha256Width);
  return width;
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
  FileDetailReader reader(detailChoiceOf(settings), &run.control.cancelFlag());
  reader.enterFolder(folder);
  if ((settings.anyTagColumn() || settings.anyMediaColumn()) &&
      run.input.storedDetails == nullptr) {
    std::vector<std::string_view> names;
    names.reserve(files.size());
    for (RecordRef file : files) names.push_back(run.input.store.name(file));
    reader.expectFiles(names);
  }
  BlockDigests digests(run, reader, files);
  for (size_t i = 0; i < files.size(); ++i) {
    const RecordRef& file = files[i];
    if (run.control.cancelRequested()) break;
    std::string row = rowText(run, reader, file);
    if (settings.sha256) row += digests.column(i, file);
    ++filesInBlock;
    blockBytes += run.input.store.file(file).size;
    ++run.counters.files;
    run.sink.writeLine(escapeListingText(row, settings) + " \\par");
    run.control.setFormatted(run.counters.files);
  }
  writeBlockSummary(run, filesInBlock, blockBytes);
}

ReportCounters writeDetailedList(const ReportInput& input, ReportSink& sink, RunControl& control) {
  DetailedListRun run{input, sink, control, detailedLineWidth(input.settings), {}, {}, {}};
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
