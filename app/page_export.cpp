#include "app/page_export.h"

#include <optional>

#include "listing/listing_header.h"
#include "page/browsable_page.h"
#include "platform/text_file.h"
#include "report/detail_source.h"
#include "report/file_detail_reader.h"

namespace tallyfold {

namespace {

uint64_t fileCountOf(const RecordStore& store) {
  uint64_t count = 0;
  for (uint32_t i = 0; i < store.folderCount(); ++i) count += store.folder(i).fileCount();
  return count;
}

}  // namespace

PageColumnTexts readPageColumns(const RecordStore& store, const std::vector<ListingColumn>& columns,
                                const DetailSource* stored, RunControl& control,
                                std::vector<ReadFailure>& failures, const PageProgress& progress) {
  PageColumnTexts result;
  result.columns = columns;
  if (columns.empty()) return result;
  const uint64_t total = fileCountOf(store);
  result.texts.reserve(total * columns.size());
  std::optional<FileDetailReader> reader;
  if (stored == nullptr) reader.emplace(detailChoiceOf(columns), &control.cancelFlag());
  FileDetails details;
  std::vector<std::string> values;
  std::vector<std::string_view> names;
  uint64_t done = 0;
  for (uint32_t f = 0; f < store.folderCount() && !control.cancelRequested(); ++f) {
    const FolderEntry& folder = store.folder(f);
    if (folder.fileCount() == 0) continue;
    names.clear();
    for (const FileEntry& file : folder.files()) {
      names.push_back(folder.names().substr(file.nameOffset, file.nameLength));
    }
    // A stored scan answers from the catalogue: its disk need not be there.
    if (reader) {
      reader->enterFolder(folder.path);
      reader->expectFiles(names);
    }
    for (uint32_t i = 0; i < folder.fileCount(); ++i) {
      if (control.cancelRequested()) break;
      const int error = reader ? reader->read(names[i], folder.file(i), details)
                               : stored->details(RecordRef{f, i}, details);
      fillListingValues(columns, folder.file(i), details, values);
      if (error != 0) {
        failures.push_back(
            ReadFailure{std::string(folder.path) + std::string(names[i]), error, {}});
      }
      for (std::string& value : values) result.texts.push_back(std::move(value));
      control.setFormatted(++done);
    }
    if (progress) progress(done, total);
  }
  return result;
}

ListingResult writeBrowsablePageFile(const ScanResult& scan, const RunSettings& run,
                                     int64_t scanTime, const std::string& path, RunControl& control,
                                     const PageProgress& progress) {
  ListingResult result;
  PageHeader header;
  header.version = listingProgramVersion();
  header.scanTime = scanTime;
  header.locations = scannedLocations(run.job);
  header.columns = listingColumnsOf(run.report);
  const uint64_t total = fileCountOf(scan.store);
  control.startFormatting(FormattingCount::Files, total);
  const PageColumnTexts columns = readPageColumns(scan.store, header.columns, run.storedDetails,
                                                  control, result.unreadable, progress);
  if (control.cancelRequested()) {
    result.stopped = true;
    return result;
  }
  const PageData data = makePageData(scan.store, columns);
  control.setFormatted(data.fileCount);
  if (progress) progress(total, total);
  AtomicFileWriter file(path);
  writeBrowsablePage(header, data, [&file](std::string_view bytes) { file.write(bytes); });
  if (control.cancelRequested()) {
    result.stopped = true;
    return result;
  }
  if (file.commit()) {
    result.written = true;
  } else {
    result.error = file.error().empty() ? "cannot write '" + path + "'" : file.error();
  }
  return result;
}

}  // namespace tallyfold
