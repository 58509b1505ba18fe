#pragma once
// The command line of tallyfold-cli, parsed GNU-style.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tallyfold::cli {

struct CliOptions {
  std::vector<std::string> folders;
  std::string jobFile;
  std::optional<std::string> reportType;  // details, tree, tree-size, folders
  std::optional<std::string> sort;        // name, size, date
  bool descending = false;
  std::optional<std::string> fontName;
  std::optional<std::string> fontSize;
  bool noSubFolders = false;
  std::optional<int> level;  // 0: all levels
  std::optional<std::string> filter;
  std::vector<std::pair<std::string, std::string>> settings;  // "Section.Key", value
  std::string output;
  bool records = false;
  bool page = false;    // --page: -o FILE is a browsable page
  std::string compare;  // --compare: the old listing
  bool nulTerminated = false;
  bool followLinks = false;
  bool skipHiddenFolders = false;  // --skip-hidden
  bool quiet = false;
  bool verbose = false;
  unsigned threads = 0;  // --threads, for benchmarks: folders read at once
  // The catalogue of stored scans.
  std::string catalogue;  // --catalogue FILE; empty: the application folder's
  bool add = false;
  std::optional<std::string> label;
  bool scans = false;
  bool json = false;
  std::optional<std::string> find;
  std::optional<uint64_t> minSize, maxSize;
  std::optional<std::string> newer, older;
  std::vector<std::string> inScans;     // --in SCAN, each
  std::vector<std::string> extensions;  // --ext EXT, each
  bool count = false;
  uint64_t limit = 0;
  std::string fromScan;
  bool duplicates = false;
  std::string removeScan;
  std::string renameScan;
  std::string importListing;
  bool help = false;
  bool version = false;
};

// Parses argv. On bad usage returns false with a message in error.
bool parseCliOptions(int argc, char** argv, CliOptions& options, std::string& error);

// The --help text.
std::string usageText();

}  // namespace tallyfold::cli
