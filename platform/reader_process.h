#pragma once
// One tag reader process (the program tallyfold-reader): started on first
// use, handed open descriptors with their containers, and ended with SIGKILL
// when it overruns its time, answers nonsense, or the run is stopped. A
// reader that ended is started afresh for the next files.

#include <sys/types.h>

#include <atomic>
#include <cstddef>
#include <string>

#include "platform/reader_protocol.h"

namespace tallyfold {

// The reader program: $TALLYFOLD_READER when set, else tallyfold-reader
// beside the running program.
std::string readerProgramPath();

// What a reader is asked for a file: its tag, or its media facts.
enum class ReaderQuestion : unsigned char { Tags, Media };

struct ReaderFile {
  int fd = -1;
  AudioContainer container = AudioContainer::Mpeg;  // for Tags
  ReaderQuestion question = ReaderQuestion::Tags;
  MediaFormat format = MediaFormat::Image;  // for Media
};

enum class ReaderFailure {
  None,
  Unavailable,  // the reader program could not be started
  Ended,        // the reader ended (a crash, its memory or CPU limit)
  TimedOut,     // no answer within the time allowed for one file
  Nonsense,     // an answer that breaks the message rules
  Stopped,      // the run was stopped while the file was read
};

struct ReaderOutcome {
  ReaderFailure failure = ReaderFailure::None;
  TagAnswer answer;   // when failure is None, for Tags
  MediaAnswer media;  // when failure is None, for Media
  std::string why;    // for a failure: what happened, in a few words
};

class ReaderProcess {
 public:
  ReaderProcess(std::string program, int timeoutMsPerFile);
  ~ReaderProcess();
  ReaderProcess(const ReaderProcess&) = delete;
  ReaderProcess& operator=(const ReaderProcess&) = delete;

  // Reads files[0 .. count) (count at most kMaxFilesPerRequest) and fills
  // their outcomes; one request asks one question, that of files[0], of all. The reader stops at
  // the first file it fails on; the answer is how many files have an outcome (at least one), so
  // that the caller sends the rest again, to a fresh reader.
  size_t read(const ReaderFile* files, size_t count, ReaderOutcome* outcomes,
              const std::atomic<bool>* stop);
  // Starts the reader ahead of its first files, so that it has loaded its
  // libraries by the time they come; false (and why) when it cannot start.
  bool startEarly(std::string& why) { return running() || start(why); }
  // Ends the reader at once (SIGKILL) and reaps it.
  void end();
  bool running() const { return pid_ > 0; }

 private:
  bool start(std::string& why);
  std::string endedWhy();

  std::string program_;
  int timeoutMs_;
  pid_t pid_ = -1;
  int socket_ = -1;
  size_t filesRead_ = 0;
};

}  // namespace tallyfold
