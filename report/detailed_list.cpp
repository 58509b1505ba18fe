#include "report/detailed_list.h"

#include <algorithm>
#include <cstdio>

#include "platform/crc32.h"
#include "platform/file_descriptor.h"
#include "platform/file_facts.h"
#include "platform/sha256.h"
#include "platform/user_names.h"
#include "platform/utf8_text.h"
#include "report/block_order.h"
#include "report/file_details.h"
#include "report/listing_text.h"
#include "report/rtf_frame.h"
#include "report/sorting.h"
#include "report/tag_prefetch.h"
#include "scan/audio_tags.h"

namespace tallyfold {

namespace {

constexpr size_t kSizeWidth = 12;
constexpr size_t kVersionWidth = 10;
constexpr size_t kOwnerCut = 15;
constexpr size_t kOwnerWidth = 17;
constexpr size_t kCrcWidth = 10;
constexpr size_t kSha256Width = 66;
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
  std::string_view kept = trimTextEnd(utf8Prefix(name, columnSize - 3));
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
  column += settings.removeBlankSpaces ? trimText(field) : field;
  return column;
}

void appendTagColumns(std::string& row, const Mp3Tag& tag, const ReportSettings& settings) {
  if (settings.title) row += tagColumn(tag.title, settings);
  if (settings.artist) row += tagColumn(tag.artist, settings);
  if (settings.album) row += tagColumn(tag.album, settings);
  if (settings.year) row += tagColumn(tag.year, settings);
  if (settings.genre) row += tagColumn(tag.genreName, settings);
  if (settings.comment) row += tagColumn(tag.comment, settings);
}

// The rows of a block in the order of the sort choice.
std::vector<RecordRef> sortBlockFiles(const ReportInput& input,
                                      const std::vector<RecordRef>& files) {
  return orderBlockFiles(input.store, files, input.options.sort, input.options.ascending,
                         input.collation);
}

// The folder of a block, opened when a row first reads a file of it (only
// the owner, CRC, version and tag columns do); its files are looked up
// relative to it.
class BlockFolder {
 public:
  explicit BlockFolder(std::string_view path) : path_(path) {}
  // 0 or the errno of opening the folder.
  int open() {
    if (!tried_) {
      tried_ = true;
      error_ = handle_.open(path_);
    }
    return error_;
  }
  int fd() const { return handle_.fd(); }

 private:
  std::string path_;
  FolderHandle handle_;
  bool tried_ = false;
  int error_ = 0;
};

// The row text of one file before escaping: the chosen columns in their
// order. A file whose owner or bytes a chosen column needs but that cannot be
// read gets those columns empty and is named among the unreadable files.
// Adds a failure to read file to the unreadable ones, once per file whatever
// columns failed on it.
void noteUnreadable(DetailedListRun& run, RecordRef file, int error) {
  std::string fullPath(run.input.store.folderPath(file));
  fullPath += run.input.store.name(file);
  std::vector<ReadFailure>& unreadable = run.counters.unreadable;
  if (unreadable.empty() || unreadable.back().path != fullPath) {
    unreadable.push_back(ReadFailure{fullPath, error, {}});
  }
}

bool anyAudioFile(const RecordStore& store, const std::vector<RecordRef>& files) {
  return std::any_of(files.begin(), files.end(),
                     [&store](RecordRef file) { return isAudioFileName(store.name(file)); });
}

// The tag columns of a block's rows, read ahead of them.
class BlockTags {
 public:
  BlockTags(DetailedListRun& run, BlockFolder& folder, const std::vector<RecordRef>& files)
      : run_(run), files_(files) {
    if (!run.input.settings.anyTagColumn() || !anyAudioFile(run.input.store, files)) return;
    // The folder is opened only for a block that holds audio files.
    if (folder.open() != 0) return;
    if (!run.tagPrefetch)
      run.tagPrefetch = std::make_unique<TagPrefetch>(&run.control.cancelFlag());
    std::vector<std::string_view> names;
    names.reserve(files.size());
    for (RecordRef file : files) names.push_back(run.input.store.name(file));
    run.tagPrefetch->start(folder.fd(), run.input.store.folderPath(files.front()), names);
    started_ = true;
  }
  ~BlockTags() {
    if (started_) run_.tagPrefetch->finish();
  }
  BlockTags(const BlockTags&) = delete;
  BlockTags& operator=(const BlockTags&) = delete;

  // The tag of row index: blank for a file not named as audio or not read.
  const Mp3Tag& tagOf(size_t index) {
    if (!started_) return blank_;
    int error = 0;
    const Mp3Tag& tag = run_.tagPrefetch->tagOf(index, error);
    if (error != 0) noteUnreadable(run_, files_[index], error);
    return tag;
  }

 private:
  DetailedListRun& run_;
  const std::vector<RecordRef>& files_;
  Mp3Tag blank_;
  bool started_ = false;
};

std::string rowText(DetailedListRun& run, BlockFolder& folder, RecordRef file, const Mp3Tag& tag) {
  const ReportInput& input = run.input;
  const ReportSettings& settings = input.settings;
  const FileEntry& entry = input.store.file(file);
  const std::string name(input.store.name(file));
  std::string fullPath = std::string(input.store.folderPath(file));
  fullPath += name;
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

  // Hidden and system files get no CRC column, as the file look-up that
  // guards the CRC does not see them.
  const bool crcWanted = settings.crc32 && (entry.attributes & kHiddenOrSystem) == 0;
  const bool versionWanted = settings.version && hasVersionExtension(fullPath);
  const bool bytesWanted = crcWanted || versionWanted;
  // Only a regular file is opened: a device or a pipe may never end, and
  // opening a device can do more than give its bytes.
  FileFacts facts;
  bool examined = false;
  int error = 0;
  int fd = -1;
  if (bytesWanted || settings.owner) {
    error = folder.open();
    if (error == 0) error = examineIn(folder.fd(), name, facts);
    examined = error == 0;
    if (examined && facts.isRegular && bytesWanted) {
      fd = openForReadingIn(folder.fd(), name);
      if (fd < 0) error = -fd;
    }
  }
  FileDescriptor content(fd);

  if (settings.version) {
    std::string version = versionWanted && fd >= 0 ? openFileVersionText(fd) : std::string();
    row += "  " + padRight(utf8Prefix(version, kVersionWidth), kVersionWidth);
  }
  if (settings.anyTagColumn()) appendTagColumns(row, tag, settings);
  if (settings.owner) {
    std::string owner = examined ? ownerText(facts.uid) : std::string();
    row += "  " + padRight(utf8Prefix(owner, kOwnerCut), kOwnerWidth);
  }
  if (crcWanted) {
    std::string crc;
    if (fd >= 0) {
      // A cancel ends the read at once; the column stays empty.
      CrcReading reading = crc32OfOpenFile(fd, &run.control.cancelFlag());
      if (reading.crc) crc = crc32Text(*reading.crc);
      if (reading.error != 0) error = reading.error;
    }
    row += padRight("  " + crc, kCrcWidth);
  }
  if (error != 0) noteUnreadable(run, file, error);
  return row;
}

// The SHA-256 column of a block's rows. One digest is one stream that cannot
// be split, so the next files of the block are hashed on helper threads while
// the current row is written; each row still takes its own file's digest.
class BlockDigests {
 public:
  BlockDigests(DetailedListRun& run, BlockFolder& folder, const std::vector<RecordRef>& files)
      : run_(run) {
    if (!run.input.settings.sha256 || files.empty()) return;
    folderError_ = folder.open();
    if (folderError_ != 0) return;
    readings_.resize(files.size());
    if (!run.readAhead) run.readAhead = std::make_unique<ReadAhead>();
    const int folderFd = folder.fd();
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
    if (started_) {
      run_.readAhead->wait(index);
      const Sha256Reading& reading = readings_[index];
      if (reading.digest) digits = sha256Text(*reading.digest);
      error = reading.error;
    }
    if (error != 0) noteUnreadable(run_, file, error);
    return padRight("  " + digits, kSha256Width);
  }

 private:
  DetailedListRun& run_;
  std::vector<Sha256Reading> readings_;
  int folderError_ = 0;
  bool started_ = false;
};

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
  BlockFolder opened(folder);
  BlockDigests digests(run, opened, files);
  BlockTags tags(run, opened, files);
  for (size_t i = 0; i < files.size(); ++i) {
    const RecordRef& file = files[i];
    if (run.control.cancelRequested()) break;
    std::string row = rowText(run, opened, file, tags.tagOf(i));
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
