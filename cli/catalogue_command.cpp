#include "cli/catalogue_command.h"

#include <cstdio>
#include <cstring>

#include "cli/cli_run.h"
#include "cli/listing_output.h"
#include "listing/name_bytes.h"
#include "platform/date_text.h"
#include "platform/iso_time.h"
#include "platform/printable_text.h"

namespace tallyfold::cli {

namespace {

void say(const std::string& message) {
  std::fprintf(stderr, "tallyfold-cli: %s\n", printableText(message).c_str());
}

// Standard output, with its failure remembered.
class Output {
 public:
  void write(std::string_view bytes) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) failed_ = true;
  }
  bool finish() {
    if (std::fflush(stdout) != 0) failed_ = true;
    if (failed_) say("cannot write to standard output");
    return !failed_;
  }

 private:
  bool failed_ = false;
};

bool resolveAll(Catalogue& catalogue, const std::vector<std::string>& names,
                std::vector<int64_t>& ids, int& status) {
  for (const std::string& name : names) {
    CatalogueError error;
    const auto id = catalogue.resolveScan(name, error);
    if (!id) {
      status = catalogueFailure(error);
      return false;
    }
    ids.push_back(*id);
  }
  return true;
}

void reportFailures(const std::vector<ReadFailure>& failures) {
  for (const ReadFailure& failure : failures) {
    const std::string reason =
        failure.problem.empty() ? std::strerror(failure.error) : failure.problem;
    say("cannot read '" + failure.path + "': " + reason);
  }
}

int runAdd(const CliOptions& options, RunSettings& run, RunControl& control) {
  int status = kExitDone;
  auto catalogue = openCatalogue(options, CatalogueAccess::ReadWrite, status);
  if (!catalogue) return status;
  // Folder records are kept whatever the job's report type, so that every
  // report can be made from the stored scan.
  RunSettings walk = run;
  walk.job.reportType = ReportType::Tree;
  const int64_t scanTime = currentTime();
  ScanResult scan = scanJob(walk, control);
  if (control.stopRequested()) return kExitInterrupted;
  NewScan added;
  added.label = options.label.value_or("");
  added.time = scanTime;
  for (const ScanLocation& location : run.job.locations) {
    added.locations.push_back(StoredLocation{location, {}});
  }
  added.columns = storedColumnsOf(run.report);
  control.enterPhase(RunPhase::Formatting);
  CatalogueError error;
  const auto id = catalogue->addScan(added, scan, &control.cancelFlag(), error);
  if (!id) {
    if (error.fault == CatalogueFault::Cancelled) return kExitInterrupted;
    return catalogueFailure(error);
  }
  Output out;
  out.write(std::to_string(*id) + "\n");
  if (!out.finish()) return kExitOutputFailed;
  reportFailures(scan.failures);
  return scan.failures.empty() ? kExitDone : kExitSomeUnreadable;
}

// The optional columns a scan stored, by their names in the listings.
void appendColumnNames(std::string& json, const StoredColumns& columns) {
  json += "[";
  bool first = true;
  auto name = [&](bool stored, const char* text) {
    if (!stored) return;
    json += first ? "\"" : ", \"";
    json += text;
    json += "\"";
    first = false;
  };
  name(columns.owner, "owner");
  name(columns.version, "version");
  name(columns.crc32, "crc32");
  name(columns.sha256, "sha256");
  name(columns.tags, "tags");
  name(columns.media, "media");
  json += "]";
}

std::string scansAsJson(const std::vector<ScanSummary>& scans) {
  std::string json = "[";
  for (const ScanSummary& scan : scans) {
    json += json.size() > 1 ? ",\n " : "\n ";
    json += "{\"id\": " + std::to_string(scan.id) + ", \"label\": ";
    appendJsonString(json, scan.label);
    json += ", \"time\": ";
    appendJsonString(json, isoLocalTime(scan.time));
    json += ", \"host\": ";
    appendJsonString(json, scan.host);
    json += ", \"volume\": ";
    appendJsonString(json, scan.volume);
    json += ", \"files\": " + std::to_string(scan.files) +
            ", \"folders\": " + std::to_string(scan.folders) +
            ", \"bytes\": " + std::to_string(scan.bytes) + ", \"columns\": ";
    appendColumnNames(json, scan.columns);
    json += "}";
  }
  json += scans.empty() ? "]\n" : "\n]\n";
  return json;
}

int runScans(const CliOptions& options) {
  int status = kExitDone;
  auto catalogue = openCatalogue(options, CatalogueAccess::ReadOnly, status);
  if (!catalogue) return status;
  std::vector<ScanSummary> scans;
  CatalogueError error;
  if (!catalogue->listScans(scans, error)) return catalogueFailure(error);
  Output out;
  if (options.json) {
    out.write(scansAsJson(scans));
  } else {
    for (const ScanSummary& scan : scans) {
      out.write(std::to_string(scan.id) + "\t" + scan.label + "\t" + isoLocalTime(scan.time) +
                "\t" + scan.volume + "\t" + std::to_string(scan.files) + "\t" +
                std::to_string(scan.bytes) + "\n");
    }
  }
  return out.finish() ? kExitDone : kExitOutputFailed;
}

bool takeDate(const std::optional<std::string>& text, const char* option,
              std::optional<int64_t>& instant) {
  if (!text) return true;
  instant = parseDateText(*text);
  if (!instant) say(std::string(option) + " '" + *text + "' is no date (such as 2024-03-05)");
  return instant.has_value();
}

int runFind(const CliOptions& options, RunControl& control) {
  SearchQuery query;
  query.pattern = *options.find;
  query.minSize = options.minSize;
  query.maxSize = options.maxSize;
  query.extensions = options.extensions;
  query.limit = options.limit;
  query.countOnly = options.count;
  if (!takeDate(options.newer, "--newer", query.newerThan) ||
      !takeDate(options.older, "--older", query.olderThan)) {
    return kExitUsage;
  }
  int status = kExitDone;
  auto catalogue = openCatalogue(options, CatalogueAccess::ReadOnly, status);
  if (!catalogue) return status;
  if (!resolveAll(*catalogue, options.inScans, query.scans, status)) return status;
  Output out;
  std::string line;
  const char terminator = options.nulTerminated ? '\0' : '\n';
  auto visit = [&](const SearchHit& hit) {
    if (options.count) return true;
    line.assign(hit.scanLabel);
    line.push_back('\t');
    line.append(hit.path);
    line.push_back(terminator);
    out.write(line);
    return true;
  };
  CatalogueError error;
  const auto found = catalogue->search(query, visit, &control.cancelFlag(), error);
  if (!found) {
    if (error.fault == CatalogueFault::Cancelled) return kExitInterrupted;
    return catalogueFailure(error);
  }
  if (options.count) out.write(std::to_string(*found) + "\n");
  if (!out.finish()) return kExitOutputFailed;
  return *found > 0 ? 0 : 1;
}

// The columns the settings show that the scan did not read: named once.
void noteMissingColumns(const ReportSettings& settings, const StoredColumns& stored,
                        const ScanSummary& scan) {
  std::string missing;
  auto note = [&missing](bool wanted, bool kept, const char* name) {
    if (wanted && !kept) missing += (missing.empty() ? "" : ", ") + std::string(name);
  };
  note(settings.owner != 0, stored.owner, "owner");
  note(settings.version != 0, stored.version, "version");
  note(settings.crc32 != 0, stored.crc32, "CRC-32");
  note(settings.sha256 != 0, stored.sha256, "SHA-256");
  note(settings.anyTagColumn(), stored.tags, "tags");
  note(settings.anyMediaColumn(), stored.media, "media");
  if (!missing.empty()) {
    say("scan " + std::to_string(scan.id) + " was added without these columns, which come out " +
        "empty: " + missing);
  }
}

int runFromScan(const CliOptions& options, RunSettings& run, const OutputChoice& output,
                RunControl& control) {
  int status = kExitDone;
  auto catalogue = openCatalogue(options, CatalogueAccess::ReadOnly, status);
  if (!catalogue) return status;
  std::vector<int64_t> ids;
  if (!resolveAll(*catalogue, {options.fromScan}, ids, status)) return status;
  StoredScan stored;
  CatalogueError error;
  if (!catalogue->loadScan(ids.front(), 0, stored, &control.cancelFlag(), error)) {
    return catalogueFailure(error);
  }
  run.job.locations.clear();
  for (const StoredLocation& location : stored.info.locations) {
    run.job.locations.push_back(location.location);
  }
  noteMissingColumns(run.report, stored.info.summary.columns, stored.info.summary);
  run.storedDetails = &stored.details;
  // The detailed list is made from a walk without folder records; they
  // would change the order the sort leaves equal names in.
  if (run.job.reportType == ReportType::Details) {
    std::erase_if(stored.scan.records, [](RecordRef r) { return r.isFolderRecord(); });
  }
  control.finishWalk();
  std::string problem;
  const int64_t scanTime = stored.info.summary.time;
  const OutputResult result =
      options.page ? writePageOutput(stored.scan, run, output.path, scanTime, control, problem)
      : isListingForm(output.form)
          ? writeListingOutput(stored.scan, run, output, scanTime, control, problem)
          : writeReportOutput(stored.scan, run, output, control, problem);
  if (result == OutputResult::Stopped) return kExitInterrupted;
  if (result == OutputResult::Failed) {
    say(problem.empty() ? "cannot write the output" : problem);
    return kExitOutputFailed;
  }
  return kExitDone;
}

int runDuplicates(const CliOptions& options, RunControl& control) {
  int status = kExitDone;
  auto catalogue = openCatalogue(options, CatalogueAccess::ReadOnly, status);
  if (!catalogue) return status;
  std::vector<int64_t> scans;
  if (!resolveAll(*catalogue, options.inScans, scans, status)) return status;
  Output out;
  uint64_t groups = 0;
  auto visit = [&](const DuplicateGroup& group) {
    ++groups;
    out.write((group.sha256.empty() ? std::string("unconfirmed") : group.sha256) + "\t" +
              std::to_string(group.size) + "\n");
    for (const DuplicateFile& file : group.files) {
      out.write("\t" + file.scanLabel + "\t" + file.path + "\n");
    }
    return true;
  };
  CatalogueError error;
  if (!catalogue->findDuplicates(scans, visit, &control.cancelFlag(), error)) {
    return catalogueFailure(error);
  }
  if (!out.finish()) return kExitOutputFailed;
  return groups > 0 ? 0 : 1;
}

int runChange(const CliOptions& options, RunControl& control) {
  int status = kExitDone;
  auto catalogue = openCatalogue(options, CatalogueAccess::ReadWrite, status);
  if (!catalogue) return status;
  CatalogueError error;
  if (!options.importListing.empty()) {
    const auto id = catalogue->importListing(options.importListing, options.label.value_or(""),
                                             &control.cancelFlag(), error);
    if (!id) return catalogueFailure(error);
    Output out;
    out.write(std::to_string(*id) + "\n");
    return out.finish() ? kExitDone : kExitOutputFailed;
  }
  const std::string& named = options.removeScan.empty() ? options.renameScan : options.removeScan;
  std::vector<int64_t> ids;
  if (!resolveAll(*catalogue, {named}, ids, status)) return status;
  const bool changed = options.removeScan.empty()
                           ? catalogue->renameScan(ids.front(), options.label.value_or(""), error)
                           : catalogue->removeScan(ids.front(), error);
  return changed ? kExitDone : catalogueFailure(error);
}

}  // namespace

bool isCatalogueCommand(const CliOptions& options) {
  return options.add || options.scans || options.find || !options.fromScan.empty() ||
         options.duplicates || !options.removeScan.empty() || !options.renameScan.empty() ||
         !options.importListing.empty();
}

int catalogueFailure(const CatalogueError& error) {
  say(error.message);
  switch (error.fault) {
    case CatalogueFault::Missing:
    case CatalogueFault::NotCatalogue:
    case CatalogueFault::NewerSchema:
    case CatalogueFault::NoSuchScan:
    case CatalogueFault::AmbiguousScan:
      return kExitUsage;
    case CatalogueFault::Cancelled:
      return kExitInterrupted;
    default:
      return kExitOutputFailed;
  }
}

std::unique_ptr<Catalogue> openCatalogue(const CliOptions& options, CatalogueAccess access,
                                         int& status) {
  const std::string path = options.catalogue.empty() ? Catalogue::defaultPath() : options.catalogue;
  CatalogueError error;
  auto catalogue = Catalogue::open(path, access, error);
  if (!catalogue) status = catalogueFailure(error);
  return catalogue;
}

int runCatalogueCommand(const CliOptions& options, RunSettings& run, const OutputChoice& output,
                        RunControl& control) {
  if (options.add) return runAdd(options, run, control);
  if (options.scans) return runScans(options);
  if (options.find) return runFind(options, control);
  if (!options.fromScan.empty()) return runFromScan(options, run, output, control);
  if (options.duplicates) return runDuplicates(options, control);
  return runChange(options, control);
}

}  // namespace tallyfold::cli
