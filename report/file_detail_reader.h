#pragma once
// The one reader of a listed file's details: owner, version resource, CRC-32,
// SHA-256, the audio tags and the media facts. The detailed list, the CSV and JSON listings and
// whatever else shows file details read them here, each asking only for what
// it shows. A folder is opened once for all its files, which are then looked
// up relative to it, so a path of any length can be read.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_facts.h"
#include "platform/media_facts.h"
#include "scan/audio_tags.h"
#include "scan/records.h"
#include "scan/run_control.h"

namespace tallyfold {

class TagPrefetch;

struct FileDetailChoice {
  bool owner = false;
  bool version = false;
  bool crc32 = false;
  bool sha256 = false;
  bool tags = false;
  bool media = false;  // the media facts of files named as media
  // Whether hidden and system files get their CRC-32: the detailed list has
  // never shown it for them, the machine listings give it.
  bool crcOfHiddenAndSystem = true;
};

// The details of one file as texts; a detail not asked for, not applying to
// the file or not readable is empty.
struct FileDetails {
  std::string owner;
  std::string version;  // "5.1.2600.0"
  std::string crc32;    // 8 upper-case hex digits
  std::string sha256;   // 64 lower-case hex digits
  AudioTags tags;
  MediaFacts media;
};

class FileDetailReader {
 public:
  // cancel, when given, ends a long checksum read at once.
  FileDetailReader(FileDetailChoice choice, const CancelFlag* cancel);
  ~FileDetailReader();
  FileDetailReader(const FileDetailReader&) = delete;
  FileDetailReader& operator=(const FileDetailReader&) = delete;

  // The folder of the files read next: its path as the records keep it.
  void enterFolder(std::string_view folderPath);
  // Opens the folder entered (once); 0 or the errno of the failure.
  int openFolder();
  // The open folder's descriptor, -1 before openFolder or after its failure.
  int folderFd() const { return folder_.fd(); }

  // The names of the entered folder's files in the order they are read next:
  // their tags are then read ahead, in batches, by the tag readers while the
  // rows are written.
  void expectFiles(const std::vector<std::string_view>& names);

  // Whether the file's CRC-32 is read at all (the choice and its attributes).
  bool readsCrcOf(const FileEntry& entry) const;

  // Fills details (cleared first) of the file name of the folder entered.
  // The answer is the errno of a failure to read something asked for, else 0.
  int read(std::string_view name, const FileEntry& entry, FileDetails& details);

 private:
  // Which of the file's bytes the choice needs: one open for all of them.
  struct Needs {
    bool version = false, crc32 = false, tags = false, media = false;
    bool bytes(bool sha256) const { return version || crc32 || tags || media || sha256; }
  };
  Needs needsOf(std::string_view name, const FileEntry& entry) const;
  void readBytes(int fd, std::string_view name, const Needs& needs, FileDetails& details,
                 int& error);

  // The folder and the file, for what needs asks; 0 or the errno.
  int readOpened(std::string_view name, const Needs& needs, FileDetails& details);
  // Takes the tag and facts read ahead for this row, when the rows come as
  // announced, and clears their needs; 0 or the errno of opening the file.
  int takeReadAhead(std::string_view name, Needs& needs, FileDetails& details);

  FileDetailChoice choice_;
  const CancelFlag* cancel_;
  std::unique_ptr<TagPrefetch> prefetch_;
  std::vector<std::string> expected_;  // the names expectFiles gave
  size_t nextRow_ = 0;
  std::string folderPath_;
  FolderHandle folder_;
  bool folderTried_ = false;
  int folderError_ = 0;
};

}  // namespace tallyfold
