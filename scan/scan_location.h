#pragma once
// One row of the job's scan-location list, exactly as the list and the job
// file hold it: five texts.

#include <string>

namespace tallyfold {

struct ScanLocation {
  std::string folder;                // the folder to scan, as the user gave it
  std::string subFolder = "Yes";     // "Yes" walks sub-folders; any other text does not
  std::string fileTypes = "*.*";     // "*.*" or entries such as .mp3;.jpg
  std::string level = "All Levels";  // "All Levels", "" or a whole number
  std::string smallIcon = "3";       // "4" marks a row that is listed but not scanned
};

}  // namespace tallyfold
