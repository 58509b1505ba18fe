#pragma once
// The detail columns of one listed file in machine form, read with the same
// readers the detailed list uses (attribute letters, owner, version resource,
// CRC-32, ID3v1 tag). A folder is opened once for all its files, which are
// then looked up relative to it, so a path of any length can be read.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "listing/listing_columns.h"
#include "scan/records.h"
#include "scan/run_control.h"

namespace tallyfold {

class FolderHandle;
class TagPrefetch;

class FileDetailReader {
 public:
  // cancel, when given, ends a long checksum read at once.
  FileDetailReader(std::vector<ListingColumn> columns, const CancelFlag* cancel);
  ~FileDetailReader();
  FileDetailReader(const FileDetailReader&) = delete;
  FileDetailReader& operator=(const FileDetailReader&) = delete;

  const std::vector<ListingColumn>& columns() const { return columns_; }

  // The folder of the files read next: its path as the records keep it.
  void enterFolder(std::string_view folderPath);
  // The names of the folder's files in the order they are read next: their
  // tags are then read ahead, in batches, while the rows are written.
  void expectFiles(const std::vector<std::string_view>& names);
  // Fills values with one text per column. A value that cannot be read is
  // empty; the answer is then the errno of the failure, else 0.
  int read(std::string_view name, const FileEntry& entry, std::vector<std::string>& values);

 private:
  int openFolder();

  std::vector<ListingColumn> columns_;
  const CancelFlag* cancel_;
  bool wantsBytes_ = false, wantsOwner_ = false, wantsTags_ = false;
  std::unique_ptr<TagPrefetch> tags_;
  std::vector<std::string> expected_;  // the names expectFiles gave
  size_t nextRow_ = 0;
  std::string folderPath_;
  std::unique_ptr<FolderHandle> folder_;
  bool folderTried_ = false;
  int folderError_ = 0;
};

}  // namespace tallyfold
