#pragma once
// Which entries of a folder the walk lists and which sub-folders it enters:
// every rule (names, hidden entries, the type filter, the exclusion lists,
// the depth limit, links) is decided here and nowhere else.

#include <string>
#include <string_view>
#include <utility>

#include "platform/dir_reader.h"
#include "scan/path_rules.h"
#include "scan/walk_context.h"

namespace tallyfold {

// The settings of the location being walked.
struct CurrentLocation {
  bool includeSubFolders = true;
  std::string filter = "*.*";
  int level = 0;  // 0: no depth limit; n: sub-folders down to depth n are walked
};

// What the walk does with one entry.
enum class EntryAction : uint8_t {
  Skip,
  Examine,       // its name and kind do not settle it: decide again with its facts
  AddSubFolder,  // a folder record; enter tells whether the folder is walked
  AddFile,
};

struct EntryDecision {
  EntryAction action = EntryAction::Skip;
  bool enter = false;
};

class EntryRules {
 public:
  // root: the location's folder path, ending in "/".
  EntryRules(const CurrentLocation& location, std::string root, const WalkContext& context);

  // The rules for the entries of one folder (its path ends in "/").
  class InFolder {
   public:
    // Decides on an entry by its name and the kind its folder listing gave;
    // facts, once examined, when the first answer was Examine.
    EntryDecision decide(std::string_view name, EntryKind kind,
                         const EntryFacts* facts = nullptr) const;

   private:
    friend class EntryRules;
    InFolder(const EntryRules& rules, std::string folder, bool filesExcluded)
        : rules_(rules), folder_(std::move(folder)), filesExcluded_(filesExcluded) {}
    EntryDecision subFolder(std::string_view name, bool enter) const;

    const EntryRules& rules_;
    std::string folder_;
    bool filesExcluded_;
  };

  InFolder inFolder(const std::string& folder) const;

 private:
  bool admitsSubFolder(const std::string& parent, std::string_view name) const;
  bool admitsFile(std::string_view name) const;

  const CurrentLocation& location_;
  std::string root_;
  const WalkContext& context_;
  TypeFilter filter_;
};

}  // namespace tallyfold
