// The tag readers as separate processes: the real reader of this build on
// files that crash or exhaust a parser, and small shell scripts standing in
// for a reader that hangs or talks nonsense.

#include "scan/tag_reader_pool.h"
#include "platform/sanitized_build.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/file_descriptor.h"
#include "platform/sanitized_build.h"
#include "scan/audio_tags.h"
#include "support/hostile_media.h"
#include "support/temp_dir.h"

namespace tallyfold {
namespace {

using test::TempDir;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

class TagReaderPoolTest : public ::testing::Test {
 protected:
  TempDir dir;

  int openFile(const std::string& name) {
    const int fd = ::open((dir / name).c_str(), O_RDONLY | O_CLOEXEC);
    EXPECT_GE(fd, 0) << name;
    opened_.push_back(std::make_unique<FileDescriptor>(fd));
    return fd;
  }
  // A stand-in reader: a shell script, which keeps the socket at 3 open.
  std::string script(const std::string& name, const std::string& body) {
    const std::string path = dir.writeFile(name, "#!/bin/sh\n" + body + "\n");
    ::chmod(path.c_str(), 0755);
    return path;
  }

 private:
  std::vector<std::unique_ptr<FileDescriptor>> opened_;
};

TEST_F(TagReaderPoolTest, AFileThatKillsTheReaderCostsOnlyItsOwnTags) {
  dir.writeFile("good1.mp3", test::taggedMp3("One", "Band", "Album", "2001", "Jazz", "c1"));
  dir.writeFile("chapters.mp3", test::nestedChapterMp3(20000));
  dir.writeFile("atoms.m4a", test::nestedAtomM4a(60000));
  dir.writeFile("good2.mp3", test::taggedMp3("Two", "Band", "Album", "2002", "Rock", "c2"));
  dir.writeFile("bomb.mp3", test::compressedPrivMp3(300u << 20));
  dir.writeFile("good3.mp3", test::taggedMp3("Three", "Band", "Album", "2003", "Pop", "c3"));
  const char* names[] = {"good1.mp3", "chapters.mp3", "atoms.m4a",
                         "good2.mp3", "bomb.mp3",     "good3.mp3"};
  std::vector<std::string> paths;
  for (const char* name : names) paths.push_back(dir / name);
  std::vector<AudioTagFile> files;
  for (size_t i = 0; i < paths.size(); ++i)
    files.push_back({openFile(names[i]), names[i], paths[i]});
  std::vector<AudioTags> tags(files.size());
  const Clock::time_point start = Clock::now();
  testing::internal::CaptureStderr();
  readAudioTagsOf(files.data(), files.size(), tags.data(), nullptr);
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_LT(secondsSince(start), 10.0);

  EXPECT_EQ(tags[0].title, "One");
  EXPECT_EQ(tags[3].title, "Two");
  EXPECT_EQ(tags[5].title, "Three");
  EXPECT_EQ(tags[5].genre, "Pop");
  EXPECT_EQ(tags[3].year, "2002");
  EXPECT_EQ(tags[1].title, "");
  EXPECT_EQ(tags[2].title, "");
  // The bomb meets the reader's address-space limit, which a sanitized build
  // cannot keep: there it may be read whole within its time.
  if (!kSanitizedBuild) {
    EXPECT_EQ(tags[4].title, "");
  }
  // The crashes are named with the signal; good files are not named.
  EXPECT_NE(said.find(dir / "chapters.mp3" + ": no tags read: the tag reader ended by signal"),
            std::string::npos)
      << said;
  EXPECT_NE(said.find(dir / "atoms.m4a" + ": no tags read"), std::string::npos) << said;
  EXPECT_EQ(said.find("good"), std::string::npos) << said;
}

TEST_F(TagReaderPoolTest, ManyThreadsShareTheReaders) {
  for (int i = 0; i < 40; ++i) {
    const std::string n = std::to_string(i);
    dir.writeFile("s" + n + ".mp3", test::taggedMp3("Song " + n, "A", "B", "1990", "Jazz", ""));
  }
  std::vector<std::string> titles(40);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = t; i < 40; i += 4) {
        const std::string name = "s" + std::to_string(i) + ".mp3";
        FileDescriptor fd(::open((dir / name).c_str(), O_RDONLY | O_CLOEXEC));
        AudioTags tag;
        readAudioTags(fd.get(), name, tag);
        titles[static_cast<size_t>(i)] = tag.title;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int i = 0; i < 40; ++i) {
    EXPECT_EQ(titles[static_cast<size_t>(i)], "Song " + std::to_string(i));
  }
}

TEST_F(TagReaderPoolTest, HungSilentAndNonsenseReadersAreReplaced) {
  dir.writeFile("a.flac", "x");
  const int fd = openFile("a.flac");
  const ReaderFile files[] = {{fd, AudioContainer::Flac}, {fd, AudioContainer::Flac}};
  ReaderOutcome outcomes[2];

  // A reader that never answers is killed after its time per file; each file
  // gets that time anew from a fresh reader.
  TagReaderPool hung(script("hung.sh", "exec sleep 30"), 1, 300);
  Clock::time_point start = Clock::now();
  hung.read(files, 2, outcomes, nullptr);
  EXPECT_LT(secondsSince(start), 2.0);
  EXPECT_EQ(outcomes[0].failure, ReaderFailure::TimedOut);
  EXPECT_EQ(outcomes[1].failure, ReaderFailure::TimedOut);
  EXPECT_NE(outcomes[0].why.find("longer than 300 ms"), std::string::npos);

  // Bytes that are no answer.
  TagReaderPool talker(script("talker.sh", "printf 'TFa1\\002garbage' >&3; exec sleep 30"), 1,
                       2000);
  talker.read(files, 1, outcomes, nullptr);
  EXPECT_EQ(outcomes[0].failure, ReaderFailure::Nonsense);

  // A reader that ends at once.
  TagReaderPool quitter(script("quitter.sh", "exit 3"), 1, 2000);
  quitter.read(files, 1, outcomes, nullptr);
  EXPECT_EQ(outcomes[0].failure, ReaderFailure::Ended);

  TagReaderPool missing(dir / "no-such-reader", 1, 2000);
  missing.read(files, 2, outcomes, nullptr);
  EXPECT_EQ(outcomes[1].failure, ReaderFailure::Unavailable);
  EXPECT_NE(outcomes[1].why.find("no-such-reader"), std::string::npos);
}

TEST_F(TagReaderPoolTest, AStopEndsTheReadsAtOnce) {
  dir.writeFile("a.flac", "x");
  const int fd = openFile("a.flac");
  std::vector<ReaderFile> files(40, ReaderFile{fd, AudioContainer::Flac});
  std::vector<ReaderOutcome> outcomes(files.size());
  TagReaderPool hung(script("hung.sh", "exec sleep 30"), 2, 20000);
  CancelFlag stop{false};
  std::thread stopper([&stop] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    stop.store(true);
  });
  const Clock::time_point start = Clock::now();
  hung.read(files.data(), files.size(), outcomes.data(), &stop);
  stopper.join();
  EXPECT_LT(secondsSince(start), 1.0);
  for (const ReaderOutcome& outcome : outcomes) EXPECT_EQ(outcome.failure, ReaderFailure::Stopped);
}

}  // namespace
}  // namespace tallyfold
