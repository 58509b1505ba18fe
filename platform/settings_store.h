#pragma once
// The per-user settings store: one INI-style text file per application name
// under $XDG_CONFIG_HOME/tallyfold/ (default ~/.config/tallyfold/). Sections and
// keys match without regard to letter case; a section enumerates in the order
// its values were first written; every write replaces the file atomically.

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

 private:
  struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> values;  // in write order
    // Each key's place in values, by its name in lower case: a file of many
    // keys loads in linear time.
    std::unordered_map<std::string, size_t> keyIndex;
  };
  // A write not yet in the file. Every write re-reads the file and replays
  // these on top, so several stores of one application (and other processes)
  // never undo each other's values.
  struct Change {
    bool deletesSection = false;
    std::string section, key, value;
  };
  // False (and nothing changed) when the file exists but cannot be read.
  bool load();
  bool save() const;
  Section* findSection(std::string_view name);
  const Section* findSection(std::string_view name) const;
  Section& sectionForWrite(std::string_view name);
  void setValue(Section& target, std::string key, std::string value);
  void apply(const Change& change);
  bool write(std::vector<Change> changes);

  std::string path_;
  std::vector<Section> sections_;
  // Each section's place in sections_, by its name in lower case.
  std::unordered_map<std::string, size_t> sectionIndex_;
  std::vector<Change> unsaved_;
};

// The application name under which the report settings and window state live.
inline constexpr std::string_view kSettingsApplication = "Corvane - Tallyfold";

// $XDG_CONFIG_HOME/tallyfold, or ~/.config/tallyfold.
std::string settingsDirectory();

}  // namespace tallyfold
