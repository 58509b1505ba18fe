#include "scan/entry_rules.h"

#include <utility>

#include "scan/records.h"

namespace tallyfold {

namespace {

bool isDotOrDotDot(std::string_view name) {
  return name == "." || name == "..";
}

}  // namespace

EntryRules::EntryRules(const CurrentLocation& location, std::string root,
                       const WalkContext& context)
    : location_(location), root_(std::move(root)), context_(context), filter_(location.filter) {}

// A folder named in the folder exclusions keeps its sub-folders but lists no
// files of its own.
EntryRules::InFolder EntryRules::inFolder(const std::string& folder) const {
  const bool filesExcluded = context_.isFolderExcluded(folderWithoutSlash(folder));
  return InFolder(*this, folder, filesExcluded);
}

EntryDecision EntryRules::InFolder::decide(std::string_view name, EntryKind kind,
                                           const EntryFacts* facts) const {
  if (isDotOrDotDot(name)) return {};
  if (kind == EntryKind::Directory) return subFolder(name, true);
  const bool asFile = !filesExcluded_ && rules_.admitsFile(name);
  // A link or an entry of unknown kind may still lead to a folder, which is
  // listed even where no file would be.
  if (facts == nullptr) {
    if (!asFile && (kind == EntryKind::File || !rules_.location_.includeSubFolders)) return {};
    return {EntryAction::Examine, false};
  }
  // A link to a folder gets the folder's record; it is entered only when
  // links are followed.
  if (facts->isDirectory) return subFolder(name, !facts->isLink || rules_.context_.followLinks());
  return asFile ? EntryDecision{EntryAction::AddFile, false} : EntryDecision{};
}

EntryDecision EntryRules::InFolder::subFolder(std::string_view name, bool enter) const {
  if (!rules_.admitsSubFolder(folder_, name)) return {};
  return {EntryAction::AddSubFolder, enter};
}

bool EntryRules::admitsSubFolder(const std::string& parent, std::string_view name) const {
  if (!location_.includeSubFolders) return false;
  if (context_.skipHiddenFolders() && isHiddenName(name)) return false;
  const bool checkDepth = location_.level != 0;
  const bool checkExclusion = context_.skipExcludedFolderTrees();
  if (!checkDepth && !checkExclusion) return true;
  const std::string path = parent + std::string(name);
  if (checkDepth && folderDepthBelow(root_, path) > location_.level) return false;
  return !(checkExclusion && context_.isFolderExcluded(path));
}

bool EntryRules::admitsFile(std::string_view name) const {
  return !isHiddenName(name) && !context_.isFileNameExcluded(name) &&
         !context_.isExtensionExcluded(name) && filter_.admits(name);
}

}  // namespace tallyfold
