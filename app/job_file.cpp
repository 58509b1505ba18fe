#include "app/job.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <string_view>

#include "platform/app_folder.h"
#include "platform/text_file.h"
#include "platform/text_trim.h"

namespace tallyfold {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kYesText = "Yes";
constexpr std::string_view kAllLevelsText = "All Levels";
constexpr std::string_view kScannedIcon = "3";
constexpr std::string_view kNotScannedIcon = "4";
constexpr size_t kRowFieldCount = 5;

std::string reportTypeLine(ReportType type) {
  return "Option" + std::to_string(static_cast<int>(type));
}

std::string rowLine(const ScanLocation& row) {
  std::string line = row.folder + ',' + subFolderCellText(row) + ',' + row.fileTypes + ',' +
                     levelCellText(row) + ',';
  line += row.scanned ? kScannedIcon : kNotScannedIcon;
  return line;
}

void applyReportTypeLine(std::string_view line, Job& job) {
  if (line == "Option1") job.reportType = ReportType::Details;
  if (line == "Option2") job.reportType = ReportType::Tree;
  if (line == "Option3") job.reportType = ReportType::TreeWithSize;
  if (line == "Option4") job.reportType = ReportType::FolderList;
}

// The icon number as its leading whole number reads ("3", "4" of "4x" or
// "4.0"); 0 when the field starts with no number. Only 4 means anything: the
// row is listed but not scanned.
long iconNumber(std::string_view field) {
  field = trimText(field);
  if (!field.empty() && field.front() == '+') field.remove_prefix(1);
  long number = 0;
  std::from_chars(field.data(), field.data() + field.size(), number);
  return number;
}

// The level cell: "All Levels" and the empty text have no limit, a whole number
// (blanks and a "+" allowed) is the limit; anything else is kept as it was so
// the scan can name the row and a save writes it back unchanged.
void applyLevelCell(std::string_view cell, ScanLocation& row) {
  if (cell.empty() || cell == kAllLevelsText) return;
  std::string_view digits = trimText(cell);
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  int16_t value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
    row.unreadableLevel = std::string(cell);
    return;
  }
  row.level = value;
}

// A row line holds five fields. The last four never hold ",", so they are
// taken from the right and whatever is left is the folder, which may.
bool parseRowLine(std::string_view line, ScanLocation& row) {
  std::string_view fields[kRowFieldCount];
  std::string_view rest = line;
  for (size_t i = kRowFieldCount - 1; i > 0; --i) {
    const size_t comma = rest.rfind(',');
    if (comma == std::string_view::npos) return false;
    fields[i] = rest.substr(comma + 1);
    rest = rest.substr(0, comma);
  }
  fields[0] = rest;
  row.folder = std::string(fields[0]);
  row.keepsFileTexts = true;
  row.subFolderText = std::string(fields[1]);
  row.levelText = std::string(fields[3]);
  row.subFolders = fields[1] == kYesText;
  row.fileTypes = std::string(fields[2]);
  applyLevelCell(fields[3], row);
  row.scanned = iconNumber(fields[4]) != 4;
  return true;
}

void applyLine(size_t lineNumber, std::string_view line, Job& job) {
  switch (lineNumber) {
    case 1:
      applyReportTypeLine(line, job);
      break;
    case 2:
      job.sort = std::string(trimText(line));
      break;
    case 3:
      job.ascending = line == "Asc";
      break;
    case 4:
      job.fontName = std::string(trimText(line));
      break;
    case 5:
      job.fontSize = std::string(trimText(line));
      break;
    default: {
      ScanLocation row;
      if (parseRowLine(line, row)) job.locations.push_back(std::move(row));
    }
  }
}

}  // namespace

std::string subFolderCellText(const ScanLocation& row) {
  if (row.keepsFileTexts) return row.subFolderText;
  return row.subFolders ? std::string(kYesText) : "No";
}

std::string levelCellText(const ScanLocation& row) {
  if (row.keepsFileTexts) return row.levelText;
  if (!row.unreadableLevel.empty()) return row.unreadableLevel;
  if (!row.subFolders) return {};
  return row.level == ScanLocation::kAllLevels ? std::string(kAllLevelsText)
                                               : std::to_string(row.level);
}

std::string jobFileText(const Job& job) {
  std::string text;
  for (const std::string& line :
       {reportTypeLine(job.reportType), job.sort, std::string(job.ascending ? "Asc" : "Desc"),
        job.fontName, job.fontSize}) {
    text += line;
    text += kLineEnd;
  }
  for (size_t i = 0; i < job.locations.size(); ++i) {
    if (i > 0) text += kLineEnd;
    text += rowLine(job.locations[i]);
  }
  text += kLineEnd;
  return text;
}

bool saveJob(const std::string& path, const Job& job) {
  return !path.empty() && replaceFileAtomically(path, jobFileText(job));
}

bool loadJob(const std::string& path, Job& job, std::string* error) {
  job.locations.clear();
  std::vector<std::string> lines;
  if (!readTextLines(path, lines, kMostJobFileBytes)) {
    if (error)
      *error = errno == EFBIG ? "the job file is longer than 16 MiB" : std::strerror(errno);
    return false;
  }
  for (const std::string& line : lines) {
    if (line.size() > kMostJobLineBytes) {
      if (error) *error = "a line of the job file is longer than 64 KiB";
      return false;
    }
  }
  for (size_t i = 0; i < lines.size(); ++i) applyLine(i + 1, lines[i], job);
  return true;
}

std::string defaultJobPath() {
  return applicationFile("default.dif");
}

}  // namespace tallyfold
