#pragma once
// The tag reader processes of this program: a few at once (one per core, at
// least two), started on first use, each lent to one caller at a time, so
// that several threads read tags side by side. A reader that fails on a file
// is replaced; the files after it go to the fresh one.

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/reader_process.h"
#include "scan/run_control.h"

namespace tallyfold {

inline constexpr int kTagReadMsPerFile = 2000;

class TagReaderPool {
 public:
  TagReaderPool(std::string program, unsigned readers, int timeoutMsPerFile);
  ~TagReaderPool();
  TagReaderPool(const TagReaderPool&) = delete;
  TagReaderPool& operator=(const TagReaderPool&) = delete;

  // The pool of the running program (the reader beside it, or
  // $TALLYFOLD_READER), made on first use.
  static TagReaderPool& shared();

  // Starts the idle readers now, while the caller has other work (the walk):
  // a reader takes longer to load its libraries than to read a photo. A
  // reader that cannot start is named when its first file comes.
  void startEarly();

  // Reads any number of files; outcomes[i] for files[i]. From any thread.
  // stop, when given and set, ends the reads at once: the reader busy then
  // is killed and the files not yet read are Stopped.
  void read(const ReaderFile* files, size_t count, ReaderOutcome* outcomes, const CancelFlag* stop);

 private:
  std::unique_ptr<ReaderProcess> borrow();
  void giveBack(std::unique_ptr<ReaderProcess> reader);

  std::string program_;
  int timeoutMs_;
  std::mutex mutex_;
  std::condition_variable returned_;
  std::vector<std::unique_ptr<ReaderProcess>> idle_;
};

}  // namespace tallyfold
