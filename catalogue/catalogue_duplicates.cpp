#include <map>
#include <set>
#include <unordered_map>

#include "catalogue/catalogue.h"
#include "catalogue/sqlite_database.h"
#include "platform/file_facts.h"
#include "platform/sha256.h"

namespace tallyfold {

namespace {

struct ScanRange {
  int64_t id;
  std::string label;
  std::string volume;
  int64_t first, last;
};

struct Candidate {
  size_t scan;  // place in the ranges
  std::string path;
  std::string sha256;  // stored, hashed now, or empty
};

// The files' ids of the chosen scans as one SQL condition.
std::string rangeCondition(const std::vector<ScanRange>& ranges) {
  std::string condition;
  for (const ScanRange& range : ranges) {
    condition += condition.empty() ? "(" : " OR ";
    condition +=
        "f.id BETWEEN " + std::to_string(range.first) + " AND " + std::to_string(range.last);
  }
  return condition.empty() ? "0" : condition + ")";
}

size_t scanOfFile(const std::vector<ScanRange>& ranges, int64_t file) {
  for (size_t i = 0; i < ranges.size(); ++i) {
    if (file >= ranges[i].first && file <= ranges[i].last) return i;
  }
  return 0;
}

// The digest of a file still reachable at its stored path with its stored
// size; empty when its disk is not attached or it changed.
std::string hashIfReachable(const std::string& path, uint64_t size, const CancelFlag* cancel) {
  const auto facts = statPath(path);
  if (!facts || !facts->isRegular || facts->size != size) return {};
  const Sha256Reading reading = fileSha256(path, cancel);
  return reading.digest ? sha256Text(*reading.digest) : std::string();
}

// Splits the candidates of one size into confirmed groups and, when some
// could not be hashed, one unconfirmed group; false when the visitor is done.
bool visitSizeGroup(uint64_t size, std::vector<Candidate>& candidates,
                    const std::vector<ScanRange>& ranges, const DuplicateVisitor& visit) {
  // The same path on the same volume in several scans is one file seen
  // again, not a copy: the oldest scan of it stands for all.
  std::set<std::pair<std::string, std::string>> seen;
  std::map<std::string, DuplicateGroup> bySha;
  DuplicateGroup unconfirmed;
  unconfirmed.size = size;
  for (Candidate& candidate : candidates) {
    if (!seen.emplace(ranges[candidate.scan].volume, candidate.path).second) continue;
    DuplicateFile file{ranges[candidate.scan].id, ranges[candidate.scan].label,
                       std::move(candidate.path)};
    if (candidate.sha256.empty()) {
      unconfirmed.files.push_back(std::move(file));
      continue;
    }
    DuplicateGroup& group = bySha[candidate.sha256];
    group.size = size;
    group.sha256 = candidate.sha256;
    group.files.push_back(std::move(file));
  }
  for (auto& [sha, group] : bySha) {
    if (group.files.size() > 1 && !visit(group)) return false;
  }
  if (!unconfirmed.files.empty() && !visit(unconfirmed)) return false;
  return true;
}

}  // namespace

bool Catalogue::findDuplicates(const std::vector<int64_t>& scans, const DuplicateVisitor& visit,
                               const CancelFlag* cancel, CatalogueError& error) {
  std::vector<ScanSummary> summaries;
  if (!listScans(summaries, error)) return false;
  std::vector<ScanRange> ranges;
  Statement range = database_->prepare("SELECT first_file, last_file FROM scan WHERE id = ?");
  for (const ScanSummary& scan : summaries) {
    bool wanted = scans.empty();
    for (int64_t id : scans) wanted = wanted || id == scan.id;
    if (!wanted) continue;
    range.bind(1, scan.id);
    if (range.step() == SQLITE_ROW) {
      ranges.push_back(
          ScanRange{scan.id, scan.label, scan.volume, range.integer(0), range.integer(1)});
    }
    range.reset();
  }
  const std::string condition = rangeCondition(ranges);
  // Empty files are all alike and tell nothing; they are left out.
  Statement query = database_->prepare(
      "SELECT f.size, f.id, fo.path, f.name, coalesce(d.sha256, '') FROM file f"
      " JOIN folder fo ON fo.id = f.folder LEFT JOIN file_detail d ON d.file = f.id WHERE " +
      condition + " AND f.size > 0 AND f.size IN (SELECT f.size FROM file f WHERE " + condition +
      " AND f.size > 0 GROUP BY f.size HAVING count(*) > 1) ORDER BY f.size, f.id");
  database_->execute("BEGIN");
  std::vector<Candidate> group;
  uint64_t groupSize = 0;
  int code;
  bool going = true;
  while (going && (code = query.step()) == SQLITE_ROW) {
    if (cancel != nullptr && cancel->load()) {
      code = SQLITE_INTERRUPT;
      break;
    }
    const uint64_t size = static_cast<uint64_t>(query.integer(0));
    if (size != groupSize && !group.empty()) {
      going = visitSizeGroup(groupSize, group, ranges, visit);
      group.clear();
    }
    groupSize = size;
    Candidate candidate{scanOfFile(ranges, query.integer(1)),
                        std::string(query.text(2)) + std::string(query.text(3)),
                        std::string(query.text(4))};
    if (candidate.sha256.empty()) candidate.sha256 = hashIfReachable(candidate.path, size, cancel);
    group.push_back(std::move(candidate));
  }
  if (going && code == SQLITE_DONE && !group.empty())
    visitSizeGroup(groupSize, group, ranges, visit);
  database_->execute("COMMIT");
  if (!going || code == SQLITE_DONE) return true;
  error = database_->fault(code, "cannot look for duplicates");
  return false;
}

}  // namespace tallyfold
