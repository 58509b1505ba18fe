#pragma once
// Details that a report takes from a store instead of the files: a scan kept
// in the catalogue holds what was read of its files when it was added, so its
// reports need no disk attached. A column that was not read comes out empty.

#include "report/file_detail_reader.h"
#include "scan/records.h"

namespace tallyfold {

class DetailSource {
 public:
  virtual ~DetailSource() = default;
  // Fills details (cleared first) of the file record; 0, or the errno of why
  // they cannot be given.
  virtual int details(RecordRef file, FileDetails& details) const = 0;
};

}  // namespace tallyfold
