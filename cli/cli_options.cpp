#include "cli/cli_options.h"

#include <getopt.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>

#include "platform/text_trim.h"

namespace tallyfold::cli {

namespace {

enum LongOnly {
  kDesc = 256,
  kFont,
  kFontSize,
  kNoSubFolders,
  kLevel,
  kFilter,
  kSet,
  kRecords,
  kVersion,
  kCompare,
  kSkipHidden,
  kPage,
  kVerbose,
  kThreads,
  kCatalogue,
  kAdd,
  kLabel,
  kScans,
  kJson,
  kFind,
  kMinSize,
  kMaxSize,
  kNewer,
  kOlder,
  kIn,
  kExt,
  kCount,
  kLimit,
  kFromScan,
  kDuplicates,
  kRemoveScan,
  kRenameScan,
  kImport,
};

constexpr const char* kShortOptions = ":j:r:s:o:0qhL";

const struct option kLongOptions[] = {
    {"job", required_argument, nullptr, 'j'},
    {"report", required_argument, nullptr, 'r'},
    {"sort", required_argument, nullptr, 's'},
    {"desc", no_argument, nullptr, kDesc},
    {"font", required_argument, nullptr, kFont},
    {"font-size", required_argument, nullptr, kFontSize},
    {"no-subfolders", no_argument, nullptr, kNoSubFolders},
    {"level", required_argument, nullptr, kLevel},
    {"filter", required_argument, nullptr, kFilter},
    {"set", required_argument, nullptr, kSet},
    {"output", required_argument, nullptr, 'o'},
    {"records", no_argument, nullptr, kRecords},
    {"page", no_argument, nullptr, kPage},
    {"compare", required_argument, nullptr, kCompare},
    {"null", no_argument, nullptr, '0'},
    {"quiet", no_argument, nullptr, 'q'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, kVersion},
    {"follow", no_argument, nullptr, 'L'},
    {"skip-hidden", no_argument, nullptr, kSkipHidden},
    {"verbose", no_argument, nullptr, kVerbose},
    {"threads", required_argument, nullptr, kThreads},
    {"catalogue", required_argument, nullptr, kCatalogue},
    {"add", no_argument, nullptr, kAdd},
    {"label", required_argument, nullptr, kLabel},
    {"scans", no_argument, nullptr, kScans},
    {"json", no_argument, nullptr, kJson},
    {"find", required_argument, nullptr, kFind},
    {"min-size", required_argument, nullptr, kMinSize},
    {"max-size", required_argument, nullptr, kMaxSize},
    {"newer", required_argument, nullptr, kNewer},
    {"older", required_argument, nullptr, kOlder},
    {"in", required_argument, nullptr, kIn},
    {"ext", required_argument, nullptr, kExt},
    {"count", no_argument, nullptr, kCount},
    {"limit", required_argument, nullptr, kLimit},
    {"from-scan", required_argument, nullptr, kFromScan},
    {"duplicates", no_argument, nullptr, kDuplicates},
    {"remove-scan", required_argument, nullptr, kRemoveScan},
    {"rename-scan", required_argument, nullptr, kRenameScan},
    {"import", required_argument, nullptr, kImport},
    {nullptr, 0, nullptr, 0},
};

bool isOneOf(const std::string& value, std::initializer_list<const char*> choices) {
  for (const char* choice : choices) {
    if (value == choice) return true;
  }
  return false;
}

bool isWholeNumber(const std::string& text) {
  if (text.empty() || text.size() > 5) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return std::atoi(text.c_str()) <= 32767;
}

bool isPositiveNumber(const std::string& text) {
  char* end = nullptr;
  double value = std::strtod(text.c_str(), &end);
  return !text.empty() && end != nullptr && *end == '\0' && value > 0 && value <= 1638;
}

// The filter as typed on the command line: "txt" and "*.txt" mean ".txt", and
// an empty filter or "*" every file, as a user of a shell would mean them.
std::string filterText(const std::string& typed) {
  std::string filter;
  size_t start = 0;
  while (start <= typed.size()) {
    size_t end = typed.find(';', start);
    if (end == std::string::npos) end = typed.size();
    std::string entry(trimText(std::string_view(typed).substr(start, end - start)));
    if (entry == "*" || entry == "*.*") return "*.*";
    if (entry.starts_with("*.")) entry.erase(0, 1);
    if (!entry.empty() && entry.front() != '.') entry.insert(0, ".");
    if (!entry.empty()) filter += (filter.empty() ? "" : ";") + entry;
    start = end + 1;
  }
  return filter.empty() ? "*.*" : filter;
}

// A size in bytes, with an optional K, M, G or T (powers of 1024).
std::optional<uint64_t> byteCount(const std::string& text) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const unsigned long long number = std::strtoull(text.c_str(), &end, 10);
  if (errno != 0) return std::nullopt;
  const std::string unit(end);
  int shift = 0;
  if (unit == "K" || unit == "k")
    shift = 10;
  else if (unit == "M")
    shift = 20;
  else if (unit == "G")
    shift = 30;
  else if (unit == "T")
    shift = 40;
  else if (!unit.empty())
    return std::nullopt;
  if (shift != 0 && number > (UINT64_MAX >> shift)) return std::nullopt;
  return static_cast<uint64_t>(number) << shift;
}

bool takeSize(const std::string& value, const char* name, std::optional<uint64_t>& size,
              std::string& error) {
  size = byteCount(value);
  if (!size) error = std::string(name) + " '" + value + "' is no size (such as 1500, 64K or 2G)";
  return size.has_value();
}

bool takeNamed(const std::string& value, const char* what, std::string& field, std::string& error) {
  if (value.empty()) {
    error = std::string("the ") + what + " is not named";
    return false;
  }
  field = value;
  return true;
}

bool takeCatalogueOption(int option, const std::string& value, CliOptions& options,
                         std::string& error) {
  switch (option) {
    case kCatalogue:
      return takeNamed(value, "catalogue file", options.catalogue, error);
    case kAdd:
      options.add = true;
      return true;
    case kLabel:
      options.label = value;
      return true;
    case kScans:
      options.scans = true;
      return true;
    case kJson:
      options.json = true;
      return true;
    case kFind:
      options.find = value;
      return true;
    case kMinSize:
      return takeSize(value, "--min-size", options.minSize, error);
    case kMaxSize:
      return takeSize(value, "--max-size", options.maxSize, error);
    case kNewer:
      options.newer = value;
      return true;
    case kOlder:
      options.older = value;
      return true;
    case kIn:
      options.inScans.push_back(value);
      return true;
    case kExt:
      options.extensions.push_back(value);
      return true;
    case kCount:
      options.count = true;
      return true;
    case kLimit: {
      const auto limit = byteCount(value);
      if (!limit || *limit == 0 || value.find_first_not_of("0123456789") != std::string::npos) {
        error = "--limit '" + value + "' is not a positive whole number";
        return false;
      }
      options.limit = *limit;
      return true;
    }
    case kFromScan:
      return takeNamed(value, "scan", options.fromScan, error);
    case kDuplicates:
      options.duplicates = true;
      return true;
    case kRemoveScan:
      return takeNamed(value, "scan", options.removeScan, error);
    case kRenameScan:
      return takeNamed(value, "scan", options.renameScan, error);
    case kImport:
      return takeNamed(value, "listing to import", options.importListing, error);
    default:
      error = "";
      return false;
  }
}

bool takeSetting(const std::string& argument, CliOptions& options, std::string& error) {
  auto equals = argument.find('=');
  auto dot = argument.find('.');
  if (equals == std::string::npos || dot == std::string::npos || dot > equals) {
    error = "--set wants SECTION.KEY=VALUE, not '" + argument + "'";
    return false;
  }
  options.settings.emplace_back(argument.substr(0, equals), argument.substr(equals + 1));
  return true;
}

bool takeOption(int option, const char* argument, CliOptions& options, std::string& error) {
  std::string value = argument ? argument : "";
  switch (option) {
    case 'j':
      options.jobFile = value;
      return true;
    case 'r':
      if (!isOneOf(value, {"details", "tree", "tree-size", "folders"})) {
        error = "unknown report type '" + value + "' (details, tree, tree-size or folders)";
        return false;
      }
      options.reportType = value;
      return true;
    case 's':
      if (!isOneOf(value, {"name", "size", "date"})) {
        error = "unknown sort field '" + value + "' (name, size or date)";
        return false;
      }
      options.sort = value;
      return true;
    case kDesc:
      options.descending = true;
      return true;
    case kFont:
      options.fontName = value;
      return true;
    case kFontSize:
      if (!isPositiveNumber(value)) {
        error = "font size '" + value + "' is not a positive number";
        return false;
      }
      options.fontSize = value;
      return true;
    case kNoSubFolders:
      options.noSubFolders = true;
      return true;
    case kLevel:
      if (!isWholeNumber(value)) {
        error = "level '" + value + "' is not a whole number from 0 to 32767";
        return false;
      }
      options.level = std::atoi(value.c_str());
      return true;
    case kFilter:
      options.filter = filterText(value);
      return true;
    case 'L':
      options.followLinks = true;
      return true;
    case kSkipHidden:
      options.skipHiddenFolders = true;
      return true;
    case kSet:
      return takeSetting(value, options, error);
    case 'o':
      if (value.empty()) {
        error = "the output file name is empty (leave out -o for standard output)";
        return false;
      }
      options.output = value;
      return true;
    case kRecords:
      options.records = true;
      return true;
    case kPage:
      options.page = true;
      return true;
    case kCompare:
      if (value.empty()) {
        error = "the listing to compare with is not named";
        return false;
      }
      options.compare = value;
      return true;
    case '0':
      options.nulTerminated = true;
      return true;
    case 'q':
      options.quiet = true;
      return true;
    case kVerbose:
      options.verbose = true;
      return true;
    case kThreads:
      if (!isWholeNumber(value) || std::atoi(value.c_str()) < 1 || std::atoi(value.c_str()) > 256) {
        error = "threads '" + value + "' is not a whole number from 1 to 256";
        return false;
      }
      options.threads = static_cast<unsigned>(std::atoi(value.c_str()));
      return true;
    case 'h':
      options.help = true;
      return true;
    case kVersion:
      options.version = true;
      return true;
    default:
      if (option >= kCatalogue) return takeCatalogueOption(option, value, options, error);
      error = "";  // getopt has already named the problem
      return false;
  }
}

// What getopt found wrong with the argument it stopped at.
std::string optionProblem(int argc, char** argv) {
  const std::string argument = optind >= 1 && optind <= argc ? argv[optind - 1] : "";
  const size_t equals = argument.find('=');
  if (argument.starts_with("--") && equals != std::string::npos) {
    const std::string name = argument.substr(0, equals);
    for (const struct option& known : kLongOptions) {
      if (known.name != nullptr && name == std::string("--") + known.name) {
        return "option '" + name + "' takes no value";
      }
    }
    return "unknown option '" + name + "'";
  }
  if (optopt != 0 && !argument.starts_with("--")) {
    return std::string("unknown option '-") + static_cast<char>(optopt) + "'";
  }
  return "unknown option '" + argument + "'";
}

}  // namespace

bool parseCliOptions(int argc, char** argv, CliOptions& options, std::string& error) {
  // 0, not 1: glibc then also drops the place inside a cluster of short
  // options ("-xq") where an earlier parse stopped, which would point into
  // that parse's arguments.
  optind = 0;
  opterr = 0;
  int option;
  while ((option = getopt_long(argc, argv, kShortOptions, kLongOptions, nullptr)) != -1) {
    if (option == '?') {
      error = optionProblem(argc, argv);
      return false;
    }
    if (option == ':') {
      error = std::string("option '") + argv[optind - 1] + "' needs a value";
      return false;
    }
    if (!takeOption(option, optarg, options, error)) return false;
  }
  for (int i = optind; i < argc; ++i) options.folders.emplace_back(argv[i]);
  return true;
}

std::string usageText() {
  return R"(Usage: tallyfold-cli [OPTION]... [FOLDER]...
List the files and folders under each FOLDER as a formatted report: a detailed
list with columns, a tree view, a tree view with sizes, or a folder list.
With no FOLDER and no job, the current folder is listed.

Job and locations:
  -j, --job FILE            load a job file first; its locations come before FOLDERs
      --no-subfolders       list only the FOLDERs' own files
      --level N             walk sub-folders of FOLDERs down to N levels (0: all)
      --filter TYPES        list only these types in FOLDERs, such as .mp3;.jpg

Report:
  -r, --report TYPE         details, tree, tree-size or folders
  -s, --sort FIELD          name, size or date (detailed list)
      --desc                sort in descending order
      --font NAME           listing font
      --font-size N         listing font size in points
      --set SECTION.KEY=VALUE
                            override one report setting for this run only,
                            such as Fields.CRC32=1 or Settings.ColSize=60
  -o, --output FILE         write the report to FILE; its extension chooses the
                            form: .rtf, .txt, .htm or .html (default: plain
                            text on standard output), or a listing of the
                            files with their columns: .csv or .json
      --page                write FILE (-o, required) as a browsable page: one
                            self-contained HTML file to browse the folders,
                            sort, search and export the listing offline
      --records             print the scan records in walk order instead
  -0, --null                end each record with NUL instead of a newline
      --compare OLD.json    compare a saved JSON listing with a new scan of the
                            FOLDERs (none: of the listing's own locations) or
                            with a second listing NEW.json; prints +, - and ~
                            lines and the counts; exit 0 same, 1 differences,
                            2 trouble
  -L, --follow              enter links to folders (each folder once); without
                            it a link to a folder is listed but not entered
      --skip-hidden         neither enter nor list folders whose names begin
                            with "." (.git, .cache ...)

Catalogue (every scan kept, searchable with no disk attached):
      --catalogue FILE      the catalogue to use (default: catalogue.sqlite in
                            the application folder)
      --add [--label TEXT]  scan the FOLDERs (or the job's locations) and store
                            the scan with the columns the report settings
                            switch on; prints the new scan's id
      --scans [--json]      list the scans: id, label, time, volume, files,
                            bytes, tab-separated (or as JSON)
      --find PATTERN        print "SCAN-LABEL<TAB>path" for every stored file
                            whose name holds PATTERN, or matches it as a glob
                            when it has * ? or [ (letter case ignored); exit 0
                            something matched, 1 nothing did
        --min-size N, --max-size N   sizes in bytes (or with K, M, G, T)
        --newer DATE, --older DATE   modified at or after / before DATE
                            (YYYY-MM-DD, YYYY-MM-DD HH:MM[:SS], or ISO 8601)
        --ext EXT           only names with this extension (repeatable)
        --in SCAN           only this scan (repeatable)
        --limit N           stop after N matches
        --count             print only the number of matches
        -0, --null          end each match with NUL instead of a newline
      --from-scan SCAN      make the report (-r, -s, --desc, -o as usual) from
                            a stored scan; -o x.json exports it as a listing,
                            --page -o x.html as a browsable page
      --compare A B         A and B each a stored SCAN, a JSON listing, or (B)
                            a live FOLDER; an argument that is no file is a
                            SCAN
      --duplicates          groups of files of equal size and SHA-256 in the
                            chosen scans (--in); files whose digest is neither
                            stored nor readable now are named as unconfirmed
      --remove-scan SCAN    remove a scan
      --rename-scan SCAN --label TEXT
                            give a scan a new label
      --import LIST.json    store a JSON listing as a scan
                            SCAN is an id or a label (an ambiguous label is an
                            error that names the candidates)

  -q, --quiet               no progress on standard error
      --verbose             also say how the folders were walked
  -h, --help                show this help and exit
      --version             show the version and exit

The report settings, the exclusion lists (exclusion.lst) and the application
folder are those of the window program; this program changes none of them.

Exit status: 0 done; 1 done, but some folders or files could not be read
(--find: nothing matched); 2 bad usage, unreadable job file, or a catalogue
that is no catalogue, is damaged or comes from a newer version (it is left
as it is); 3 the output could not be written, the program ran out of memory,
or the catalogue could not be written (disk full, read-only; it is left as
it was).
)";
}

}  // namespace tallyfold::cli
