#include "cli/compare_command.h"

#include <cstdio>
#include <cstring>

#include "app/listing_compare.h"
#include "cli/catalogue_command.h"
#include "cli/cli_run.h"
#include "listing/json_listing_reader.h"
#include "platform/file_facts.h"
#include "platform/printable_text.h"

namespace tallyfold::cli {

namespace {

void complain(const std::string& message) {
  std::fprintf(stderr, "tallyfold-cli: %s\n", printableText(message).c_str());
}

enum class SideKind { None, Folder, Listing, Scan };

// A side that names a folder is scanned, any other file is a listing, and a
// name that is no file is a stored scan.
SideKind kindOf(const std::string& argument) {
  const auto facts = statPath(argument);
  // A missing file named as one (a path, or a .json name) stays a listing,
  // whose reading then says what is wrong.
  const bool namedAsFile = argument.find('/') != std::string::npos || argument.ends_with(".json");
  if (!facts) return namedAsFile ? SideKind::Listing : SideKind::Scan;
  return facts->isDirectory ? SideKind::Folder : SideKind::Listing;
}

struct SideRead {
  Catalog catalog;
  std::vector<ScanLocation> locations;
};

// Reads a listing or a stored scan into a catalog; the exit status of the
// failure otherwise.
std::optional<int> readSide(const CliOptions& options, const std::string& argument, SideKind kind,
                            std::unique_ptr<Catalogue>& catalogue, SideRead& side,
                            RunControl& control) {
  if (kind == SideKind::Folder) {
    complain("'" + argument + "' is a folder: compare a listing or a stored scan with it");
    return kCompareTrouble;
  }
  if (kind == SideKind::Listing) {
    JsonListingContents contents;
    std::string error;
    if (!readJsonListing(argument, side.catalog, contents, error, &control.cancelFlag())) {
      if (control.stopRequested()) return kExitInterrupted;
      complain(error);
      return kCompareTrouble;
    }
    side.locations = contents.locations;
    return std::nullopt;
  }
  int status = kExitDone;
  if (!catalogue) catalogue = openCatalogue(options, CatalogueAccess::ReadOnly, status);
  if (!catalogue) return status;
  CatalogueError error;
  const auto id = catalogue->resolveScan(argument, error);
  ScanInfo info;
  if (!id || !catalogue->scanInfo(*id, info, error) ||
      !catalogue->loadCatalog(*id, side.catalog, &control.cancelFlag(), error)) {
    return catalogueFailure(error);
  }
  for (const StoredLocation& location : info.locations) {
    side.locations.push_back(location.location);
  }
  return std::nullopt;
}

}  // namespace

int runCompare(const CliOptions& options, const RunSettings& run, RunControl& control) {
  bool written = true;
  std::string line;
  // Paths are shown as in messages: a name with a line break or an escape
  // sequence stays on its one line and cannot act on the terminal.
  auto visit = [&](ChangeMark mark, std::string_view path) {
    line.assign(1, static_cast<char>(mark));
    line.push_back(' ');
    line += printableText(path);
    line.push_back('\n');
    if (std::fwrite(line.data(), 1, line.size(), stdout) != line.size()) written = false;
  };
  const SideKind olderKind = kindOf(options.compare);
  const SideKind newerKind =
      options.folders.empty() ? SideKind::None : kindOf(options.folders.front());
  CompareOutcome outcome;
  if (olderKind != SideKind::Scan && newerKind != SideKind::Scan) {
    outcome = newerKind == SideKind::Listing
                  ? compareListingFiles(options.compare, options.folders.front(), control, visit)
                  : compareListingWithScan(options.compare, run, control, visit);
  } else {
    std::unique_ptr<Catalogue> catalogue;
    SideRead older, newer;
    if (auto status = readSide(options, options.compare, olderKind, catalogue, older, control)) {
      return *status;
    }
    if (newerKind == SideKind::Listing || newerKind == SideKind::Scan) {
      if (auto status =
              readSide(options, options.folders.front(), newerKind, catalogue, newer, control)) {
        return *status;
      }
      outcome = compareCatalogSides(older.catalog, newer.catalog, control, visit);
    } else {
      outcome = compareCatalogWithScan(older.catalog, older.locations, run, control, visit);
    }
  }
  if (outcome.stopped || control.stopRequested()) return kExitInterrupted;
  if (!outcome.compared) {
    complain(outcome.error);
    return kCompareTrouble;
  }
  const CompareCounts& counts = outcome.counts;
  std::fprintf(stdout, "%llu added, %llu removed, %llu changed\n",
               static_cast<unsigned long long>(counts.added),
               static_cast<unsigned long long>(counts.removed),
               static_cast<unsigned long long>(counts.changed));
  if (std::fflush(stdout) != 0 || !written) {
    complain("cannot write to standard output");
    return kCompareTrouble;
  }
  for (const ReadFailure& failure : outcome.failures) {
    const std::string reason =
        failure.problem.empty() ? std::strerror(failure.error) : failure.problem;
    complain("cannot read '" + failure.path + "': " + reason);
  }
  // What could not be read may look removed: the answer is not sure.
  if (!outcome.failures.empty()) return kCompareTrouble;
  return counts.any() ? kCompareDiffers : kCompareSame;
}

}  // namespace tallyfold::cli
