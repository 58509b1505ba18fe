#pragma once
// The per-user settings store: one INI-style text file per application name
// under $XDG_CONFIG_HOME/tallyfold/ (default ~/.config/tallyfold/). Sections and
// keys match without regard to letter case; a section enumerates in the order
// its values were first written; every write replaces the file atomically.
// All stores of one file in the process share one image of it: the file is
// parsed again only when it changed on disk since it was last read or
// written, and a write that changes no value leaves the file untouched, so a
// store of a million keys costs one read at start-up however many parts of
// the window open it.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tallyfold {

class SettingsStore {
 public:
  // Opens the store of an application in the user's configuration folder.
  explicit SettingsStore(std::string applicationName);
  // Opens the store of an application in a given folder.
  SettingsStore(std::string directory, std::string applicationName);

  std::string get(std::string_view section, std::string_view key,
                  std::string_view fallback = {}) const;
  // Each returns false when the file could not be written; the value is then
  // still held in memory.
  bool set(std::string_view section, std::string_view key, std::string_view value);
  bool setMany(std::string_view section,
               const std::vector<std::pair<std::string, std::string>>& values);
  bool deleteSection(std::string_view section);
  std::vector<std::pair<std::string, std::string>> section(std::string_view section) const;

  const std::string& filePath() const { return path_; }

  // How often the process has parsed or written a store file; for the
  // figures of the benchmarks and the checks that a quiet session leaves the
  // file alone.
  static uint64_t fileReads();
  static uint64_t fileWrites();

  struct Image;  // the shared, parsed file

 private:
  struct Change;
  bool write(std::vector<Change> changes);

  std::string path_;
  std::shared_ptr<Image> image_;
};

// The application name under which the report settings and window state live.
inline constexpr std::string_view kSettingsApplication = "Corvane - Tallyfold";

// $XDG_CONFIG_HOME/tallyfold, or ~/.config/tallyfold.
std::string settingsDirectory();

}  // namespace tallyfold
