#pragma once
// One row of the job's scan-location list. The texts the list and the job
// file show for these fields are made and read in the job file code alone.

#include <string>

namespace tallyfold {

struct ScanLocation {
  static constexpr int kAllLevels = 0;

  std::string folder;             // the folder to scan, as the user gave it
  bool subFolders = true;         // walk the sub-folders
  std::string fileTypes = "*.*";  // "*.*" or entries such as .mp3;.jpg
  int level = kAllLevels;         // how deep the walk goes; 0 has no limit
  bool scanned = true;            // false: listed but not scanned
  std::string unreadableLevel;    // a job file's level text that is no whole
                                  // number, kept as it was; the scan names the row
  // The "Sub Folders" and "Level" texts of a row read from a job file, shown
  // and saved back as they were ("yes", "All Levels" beside "No"); the fields
  // above hold what the scan reads from them. A row the editor makes has none.
  bool keepsFileTexts = false;
  std::string subFolderText = {};
  std::string levelText = {};
};

}  // namespace tallyfold
