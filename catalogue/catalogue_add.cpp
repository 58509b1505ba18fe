#include <cstdio>
#include <memory>
#include <unordered_map>

#include "catalogue/catalogue.h"
#include "catalogue/scan_writer.h"
#include "catalogue/sqlite_database.h"
#include "listing/json_listing_reader.h"
#include "platform/iso_time.h"

namespace tallyfold {

StoredColumns storedColumnsOf(const ReportSettings& settings) {
  StoredColumns columns;
  columns.owner = settings.owner != 0;
  columns.version = settings.version != 0;
  columns.crc32 = settings.crc32 != 0;
  columns.sha256 = settings.sha256 != 0;
  columns.tags = settings.anyTagColumn();
  columns.media = settings.anyMediaColumn();
  return columns;
}

namespace {

// Reads the stored columns from the files, a folder at a time, as the
// reports would: every file's CRC-32, hidden and system files included, and
// the tags and media facts read ahead by the reader processes, one open of a
// file serving both.
class DiskDetails : public DetailFeed {
 public:
  DiskDetails(const StoredColumns& columns, const CancelFlag* cancel)
      : choice_(choiceOf(columns)), reader_(choice_, cancel) {}

  void enterFolder(const RecordStore& store, uint32_t folder,
                   const std::vector<uint32_t>& files) override {
    reader_.enterFolder(store.folder(folder).path);
    if (choice_.tags || choice_.media) {
      names_.clear();
      for (uint32_t file : files) names_.push_back(store.name({folder, file}));
      reader_.expectFiles(names_);
    }
  }

  bool details(const RecordStore& store, uint32_t folder, uint32_t file,
               FileDetails& details) override {
    reader_.read(store.name({folder, file}), store.folder(folder).file(file), details);
    return true;
  }

 private:
  static FileDetailChoice choiceOf(const StoredColumns& columns) {
    FileDetailChoice choice;
    choice.owner = columns.owner;
    choice.version = columns.version;
    choice.crc32 = columns.crc32;
    choice.sha256 = columns.sha256;
    choice.tags = columns.tags;
    choice.media = columns.media;
    choice.crcOfHiddenAndSystem = true;
    return choice;
  }

  FileDetailChoice choice_;
  FileDetailReader reader_;
  std::vector<std::string_view> names_;
};

// The CRC-32 texts a listing held, by the file's place in the rebuilt store.
class ListedDetails : public DetailFeed {
 public:
  explicit ListedDetails(std::vector<std::vector<std::string>> crcs) : crcs_(std::move(crcs)) {}
  void enterFolder(const RecordStore&, uint32_t, const std::vector<uint32_t>&) override {}
  bool details(const RecordStore&, uint32_t folder, uint32_t file, FileDetails& details) override {
    details = FileDetails{};
    details.crc32 = crcs_[folder][file];
    return !details.crc32.empty();
  }

 private:
  std::vector<std::vector<std::string>> crcs_;
};

void fillVolumes(NewScan& scan) {
  for (StoredLocation& stored : scan.locations) {
    const VolumeIdentity& v = stored.volume;
    if (v.uuid.empty() && v.label.empty() && v.mountPoint.empty()) {
      stored.volume = volumeOf(stored.location.folder);
    }
  }
  if (scan.host.empty()) scan.host = hostName();
}

std::string crcText(uint32_t crc) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", crc);
  return text;
}

// A listing's files as a scan's store: one folder per distinct folder path,
// in the listing's order.
ScanResult storeOfCatalog(const Catalog& catalog, std::vector<std::vector<std::string>>& crcs) {
  ScanResult result;
  uint32_t folderIndex = 0;
  std::unordered_map<std::string, uint32_t> folders;
  for (const CatalogEntry& entry : catalog.entries()) {
    const std::string_view path = entry.fullPath();
    const size_t slash = path.find_last_of('/');
    const std::string folder(path.substr(0, slash + 1));
    const std::string_view name = path.substr(slash + 1);
    auto known = folders.find(folder);
    if (known == folders.end()) {
      folderIndex = result.store.addFolder(folder);
      known = folders.emplace(folder, folderIndex).first;
      crcs.emplace_back();
      result.records.push_back(RecordRef{folderIndex, RecordRef::kFolderRecord});
    }
    FileEntry facts;
    facts.size = entry.size;
    facts.mtime = entry.mtime;
    const uint32_t file = result.store.addFile(known->second, name, facts);
    crcs[known->second].push_back(entry.hasCrc ? crcText(entry.crc) : std::string());
    result.records.push_back(RecordRef{known->second, file});
  }
  return result;
}

}  // namespace

std::optional<int64_t> Catalogue::addScan(const NewScan& scan, const ScanResult& result,
                                          const CancelFlag* cancel, CatalogueError& error) {
  NewScan complete = scan;
  fillVolumes(complete);
  if (complete.time == 0) complete.time = currentTime();
  DiskDetails details(complete.columns, cancel);
  return writeScan(*database_, complete, result, complete.columns.any() ? &details : nullptr,
                   cancel, error);
}

std::optional<int64_t> Catalogue::importListing(const std::string& listingPath,
                                                std::string_view label, const CancelFlag* cancel,
                                                CatalogueError& error) {
  Catalog catalog;
  JsonListingContents contents;
  std::string problem;
  if (!readJsonListing(listingPath, catalog, contents, problem, cancel)) {
    error =
        CatalogueError{CatalogueFault::Other, "cannot import '" + listingPath + "': " + problem};
    return std::nullopt;
  }
  NewScan scan;
  scan.label = label;
  scan.time = currentTime();
  for (const ScanLocation& location : contents.locations) {
    scan.locations.push_back(StoredLocation{location, {}});
  }
  std::vector<std::vector<std::string>> crcs;
  const ScanResult result = storeOfCatalog(catalog, crcs);
  bool anyCrc = false;
  for (const CatalogEntry& entry : catalog.entries()) anyCrc = anyCrc || entry.hasCrc;
  scan.columns.crc32 = anyCrc;
  scan.host = hostName();
  scan.source = listingPath;
  ListedDetails details(std::move(crcs));
  return writeScan(*database_, scan, result, &details, cancel, error);
}

}  // namespace tallyfold
