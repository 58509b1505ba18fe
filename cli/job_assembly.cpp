#include "cli/job_assembly.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/path_text.h"

namespace tallyfold::cli {

namespace {

std::string currentFolder() {
  std::vector<char> buffer(4096);
  while (getcwd(buffer.data(), buffer.size()) == nullptr && errno == ERANGE) {
    buffer.resize(buffer.size() * 2);
  }
  return buffer[0] ? std::string(buffer.data()) : std::string(".");
}

ScanLocation locationFor(const CliOptions& options, std::string folder) {
  ScanLocation row;
  row.folder = locationText(std::move(folder));
  if (options.noSubFolders) {
    row.subFolders = false;
  } else if (options.level) {
    row.level = *options.level;
  }
  if (options.filter) row.fileTypes = *options.filter;
  return row;
}

ReportType reportTypeNamed(const std::string& name) {
  if (name == "tree") return ReportType::Tree;
  if (name == "tree-size") return ReportType::TreeWithSize;
  if (name == "folders") return ReportType::FolderList;
  return ReportType::Details;
}

std::string sortNamed(const std::string& name) {
  if (name == "size") return "Size";
  if (name == "date") return "Date";
  return "Name";
}

}  // namespace

std::string locationText(std::string folder) {
  return std::string(withoutTrailingSlash(folder));
}

bool assembleJob(const CliOptions& options, Job& job, std::string& error) {
  std::string reason;
  if (!options.jobFile.empty() && !loadJob(options.jobFile, job, &reason)) {
    error = "cannot read job file '" + options.jobFile + "': " + reason;
    return false;
  }
  for (const auto& folder : options.folders) job.locations.push_back(locationFor(options, folder));
  if (options.jobFile.empty() && options.folders.empty()) {
    job.locations.push_back(locationFor(options, currentFolder()));
  }
  if (job.locations.empty()) {
    error = "the job names no folders: '" + options.jobFile + "' has no location rows";
    return false;
  }
  if (options.reportType) job.reportType = reportTypeNamed(*options.reportType);
  if (options.sort) job.sort = sortNamed(*options.sort);
  if (options.descending) job.ascending = false;
  if (options.fontName) job.fontName = *options.fontName;
  if (options.fontSize) job.fontSize = *options.fontSize;
  return true;
}

}  // namespace tallyfold::cli
