#include "listing/listing_walk.h"

#include "report/block_order.h"
#include "report/detail_source.h"

namespace tallyfold {

namespace {

class ListingWalk {
 public:
  ListingWalk(const ListingInput& input, const std::vector<ListingColumn>& columns,
              ListingWriter& writer, RunControl& control)
      : input_(input),
        columns_(columns),
        reader_(detailChoiceOf(columns), &control.cancelFlag()),
        writer_(writer),
        control_(control) {}

  std::vector<ReadFailure> run() {
    control_.startFormatting(FormattingCount::Files, input_.sortedRecords.size());
    std::string_view folder;
    std::vector<RecordRef> block;
    for (const RecordRef& record : input_.sortedRecords) {
      if (control_.cancelRequested()) break;
      if (record.isFolderRecord()) continue;
      const std::string_view path = input_.store.folderPath(record);
      if (path != folder) {
        writeBlock(folder, block);
        folder = path;
        block.clear();
      }
      block.push_back(record);
    }
    writeBlock(folder, block);
    return std::move(failures_);
  }

 private:
  void writeBlock(std::string_view folderPath, const std::vector<RecordRef>& block) {
    if (block.empty() || control_.cancelRequested()) return;
    reader_.enterFolder(folderPath);
    const std::string_view folder = folderWithoutSlash(folderPath);
    const RecordStore& store = input_.store;
    const std::vector<RecordRef> ordered =
        orderBlockFiles(store, block, input_.sortField, input_.ascending, input_.collation);
    names_.clear();
    for (const RecordRef& file : ordered) names_.push_back(store.name(file));
    if (input_.storedDetails == nullptr) reader_.expectFiles(names_);
    for (const RecordRef& file : ordered) {
      if (control_.cancelRequested()) return;
      const FileEntry& entry = store.file(file);
      const std::string_view name = store.name(file);
      const int error = input_.storedDetails != nullptr
                            ? input_.storedDetails->details(file, details_)
                            : reader_.read(name, entry, details_);
      fillListingValues(columns_, entry, details_, values_);
      if (error != 0) {
        failures_.push_back(ReadFailure{std::string(folderPath) + std::string(name), error, {}});
      }
      writer_.writeFile(ListedFile{folder, name, entry.size, entry.mtime, values_});
      control_.setFormatted(++written_);
    }
  }

  const ListingInput& input_;
  const std::vector<ListingColumn>& columns_;
  FileDetailReader reader_;
  ListingWriter& writer_;
  RunControl& control_;
  FileDetails details_;
  std::vector<std::string> values_;
  std::vector<std::string_view> names_;
  std::vector<ReadFailure> failures_;
  uint64_t written_ = 0;
};

}  // namespace

std::vector<ReadFailure> writeListedFiles(const ListingInput& input,
                                          const std::vector<ListingColumn>& columns,
                                          ListingWriter& writer, RunControl& control) {
  return ListingWalk(input, columns, writer, control).run();
}

}  // namespace tallyfold
