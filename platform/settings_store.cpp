#include "platform/settings_store.h"

#include "platform/ascii_case.h"
#include "platform/folder_paths.h"
#include "platform/path_text.h"
#include "platform/text_file.h"
#include "platform/text_trim.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace tallyfold {

namespace {

// Names match without regard to ASCII letter case: the lookup key.
std::string lowerName(std::string_view name) {
  return asciiLowered(name);
}

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

// A name or value may hold any byte; the few that would break the line
// structure are written as backslash escapes, and so are blanks and tabs at
// either end, which the reader trims (a file edited by hand may well have
// "Key = value").
std::string escaped(std::string_view text, bool isKey) {
  std::string out;
  out.reserve(text.size());
  const std::string_view inner = trimText(text, kBlankAndTabChars);
  const size_t innerStart =
      inner.empty() ? text.size() : static_cast<size_t>(inner.data() - text.data());
  const size_t innerEnd = innerStart + inner.size();
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (isBlank(c) && (i < innerStart || i >= innerEnd)) {
      out += c == ' ' ? "\\s" : "\\t";
    } else if (c == '\\') {
      out += "\\\\";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (isKey && c == '=') {
      out += "\\=";
    } else if (isKey && c == '[') {  // so no value line looks like a section
      out += "\\[";
    } else {
      out += c;
    }
  }
  return out;
}

std::string unescaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '\\' || i + 1 == text.size()) {
      out += c;
      continue;
    }
    char next = text[++i];
    switch (next) {
      case '\\':
        out += '\\';
        break;
      case 'r':
        out += '\r';
        break;
      case 'n':
        out += '\n';
        break;
      case '=':
        out += '=';
        break;
      case '[':
        out += '[';
        break;
      case 's':
        out += ' ';
        break;
      case 't':
        out += '\t';
        break;
      default:  // not one of ours: keep it as it stands
        out += '\\';
        out += next;
    }
  }
  return out;
}

// The position of the first "=" that is not escaped, or npos.
size_t keyEnd(std::string_view line) {
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\\') {
      ++i;
    } else if (line[i] == '=') {
      return i;
    }
  }
  return std::string_view::npos;
}

bool isSectionLine(std::string_view line) {
  line = trimText(line, kBlankAndTabChars);
  return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

std::string sectionNameOf(std::string_view line) {
  line = trimText(line, kBlankAndTabChars);
  return unescaped(line.substr(1, line.size() - 2));
}

std::string storeFileName(std::string applicationName) {
  std::replace(applicationName.begin(), applicationName.end(), '/', '_');
  std::replace(applicationName.begin(), applicationName.end(), '\0', '_');
  return applicationName + ".ini";
}

// What identifies one state of the file on disk: a write by anyone renames
// a new file into place or at least moves its change time.
struct FileStamp {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  int64_t modified = 0;  // nanoseconds
  int64_t changed = 0;

  bool operator==(const FileStamp&) const = default;
};

FileStamp stampOf(const std::string& path) {
  struct stat facts {};
  if (stat(path.c_str(), &facts) != 0) return {};
  auto nanoseconds = [](const timespec& t) { return int64_t(t.tv_sec) * 1000000000 + t.tv_nsec; };
  return {true,
          facts.st_dev,
          facts.st_ino,
          facts.st_size,
          nanoseconds(facts.st_mtim),
          nanoseconds(facts.st_ctim)};
}

std::atomic<uint64_t> parsedFiles{0};
std::atomic<uint64_t> writtenFiles{0};

}  // namespace

struct SettingsStore::Change {
  bool deletesSection = false;
  std::string section, key, value;
};

// One file's parsed sections, shared by every store of that file in the
// process (the window's parts and its scan worker open stores of their own).
struct SettingsStore::Image {
  struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> values;  // in write order
    // Each key's place in values, by its name in lower case: a file of many
    // keys loads in linear time.
    std::unordered_map<std::string, size_t> keyIndex;
  };

  explicit Image(std::string filePath) : path(std::move(filePath)) {}

  // Parses the file again when it is not the one last read or written.
  // False when the file is there but cannot be read (what is held stays).
  bool refresh();
  bool load();
  bool save();
  Section* findSection(std::string_view name);
  Section& sectionForWrite(std::string_view name);
  // False when the change leaves every value as it was.
  bool apply(const Change& change);
  static bool setValue(Section& target, std::string key, std::string value);

  std::mutex mutex;
  const std::string path;
  FileStamp stamp;
  bool loaded = false;
  std::vector<Section> sections;
  // Each section's place in sections, by its name in lower case.
  std::unordered_map<std::string, size_t> sectionIndex;
  // Writes not yet in the file. When the file changed on disk it is read
  // again and these are replayed on top, so other processes' values are not
  // undone and this process's are not lost.
  std::vector<Change> unsaved;
};

namespace {

std::shared_ptr<SettingsStore::Image> sharedImage(const std::string& path) {
  static std::mutex registryMutex;
  static std::map<std::string, std::shared_ptr<SettingsStore::Image>> images;
  std::lock_guard lock(registryMutex);
  std::shared_ptr<SettingsStore::Image>& image = images[path];
  if (!image) image = std::make_shared<SettingsStore::Image>(path);
  return image;
}

}  // namespace

bool SettingsStore::Image::refresh() {
  const FileStamp now = stampOf(path);
  if (loaded && now == stamp) return true;
  if (!load()) return false;
  for (const Change& change : unsaved) apply(change);
  return true;
}

bool SettingsStore::Image::load() {
  const FileStamp before = stampOf(path);
  std::vector<std::string> lines;
  if (!readTextLines(path, lines)) {
    // No file yet is an empty store; a file that is there but cannot be read
    // leaves what the store holds as it is.
    if (access(path.c_str(), F_OK) == 0) return false;
    sections.clear();
    sectionIndex.clear();
    stamp = {};
    loaded = true;
    return true;
  }
  ++parsedFiles;
  sections.clear();
  sectionIndex.clear();
  if (!lines.empty() && lines.front().rfind("\xEF\xBB\xBF", 0) == 0) lines.front().erase(0, 3);
  // An index, not a pointer: a new section may move the others.
  std::optional<size_t> current;
  for (const std::string& line : lines) {
    if (isSectionLine(line)) {
      Section& named = sectionForWrite(sectionNameOf(line));
      current = static_cast<size_t>(&named - sections.data());
      continue;
    }
    const size_t end = keyEnd(line);
    if (!current || end == std::string::npos) continue;  // not a value line
    // Blanks around the key and the value are the file's layout, not theirs.
    const std::string_view key = trimText(std::string_view(line).substr(0, end), kBlankAndTabChars);
    const std::string_view value =
        trimText(std::string_view(line).substr(end + 1), kBlankAndTabChars);
    setValue(sections[*current], unescaped(key), unescaped(value));
  }
  stamp = before;
  loaded = true;
  return true;
}

bool SettingsStore::Image::save() {
  std::string text;
  for (const Section& each : sections) {
    if (each.values.empty()) continue;
    if (!text.empty()) text += '\n';
    text += '[' + escaped(each.name, true) + "]\n";
    for (const auto& [key, value] : each.values) {
      text += escaped(key, true) + '=' + escaped(value, false) + '\n';
    }
  }
  size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0 &&
      !detail::makeFolders(path.substr(0, slash), 0700)) {
    return false;
  }
  if (!replaceFileAtomically(path, text)) return false;
  ++writtenFiles;
  stamp = stampOf(path);
  return true;
}

SettingsStore::Image::Section* SettingsStore::Image::findSection(std::string_view name) {
  auto found = sectionIndex.find(lowerName(name));
  return found != sectionIndex.end() ? &sections[found->second] : nullptr;
}

SettingsStore::Image::Section& SettingsStore::Image::sectionForWrite(std::string_view name) {
  auto [place, added] = sectionIndex.try_emplace(lowerName(name), sections.size());
  if (added) sections.push_back(Section{std::string(name), {}, {}});
  return sections[place->second];
}

bool SettingsStore::Image::setValue(Section& target, std::string key, std::string value) {
  auto [place, added] = target.keyIndex.try_emplace(lowerName(key), target.values.size());
  if (added) {
    target.values.emplace_back(std::move(key), std::move(value));
    return true;
  }
  std::string& held = target.values[place->second].second;
  if (held == value) return false;
  held = std::move(value);
  return true;
}

bool SettingsStore::Image::apply(const Change& change) {
  if (change.deletesSection) {
    auto found = sectionIndex.find(lowerName(change.section));
    if (found == sectionIndex.end()) return false;
    const bool hadValues = !sections[found->second].values.empty();
    sections.erase(sections.begin() + static_cast<std::ptrdiff_t>(found->second));
    sectionIndex.clear();
    for (size_t i = 0; i < sections.size(); ++i) sectionIndex[lowerName(sections[i].name)] = i;
    return hadValues;
  }
  return setValue(sectionForWrite(change.section), change.key, change.value);
}

std::string settingsDirectory() {
  std::string config = detail::absoluteFolderFromEnvironment("XDG_CONFIG_HOME");
  if (config.empty()) config = detail::joinPath(detail::homeFolder(), ".config");
  return detail::joinPath(config, "tallyfold");
}

SettingsStore::SettingsStore(std::string applicationName)
    : SettingsStore(settingsDirectory(), std::move(applicationName)) {}

SettingsStore::SettingsStore(std::string directory, std::string applicationName)
    : path_(detail::joinPath(std::string(withoutTrailingSlash(directory)),
                             storeFileName(std::move(applicationName)))),
      image_(sharedImage(path_)) {
  std::lock_guard lock(image_->mutex);
  image_->refresh();
}

bool SettingsStore::write(std::vector<Change> changes) {
  Image& image = *image_;
  std::lock_guard lock(image.mutex);
  // Start from what the file holds now (read again only when someone else
  // wrote it), then put back this process's values not written before.
  image.refresh();
  bool changed = !image.unsaved.empty();
  for (Change& change : changes) {
    if (!image.apply(change)) continue;
    changed = true;
    image.unsaved.push_back(std::move(change));
  }
  if (!changed) return true;
  if (!image.save()) return false;
  image.unsaved.clear();
  return true;
}

std::string SettingsStore::get(std::string_view section, std::string_view key,
                               std::string_view fallback) const {
  std::lock_guard lock(image_->mutex);
  if (const Image::Section* found = image_->findSection(section)) {
    auto place = found->keyIndex.find(lowerName(key));
    if (place != found->keyIndex.end()) return found->values[place->second].second;
  }
  return std::string(fallback);
}

bool SettingsStore::set(std::string_view section, std::string_view key, std::string_view value) {
  return write({{false, std::string(section), std::string(key), std::string(value)}});
}

bool SettingsStore::setMany(std::string_view section,
                            const std::vector<std::pair<std::string, std::string>>& values) {
  std::vector<Change> changes;
  changes.reserve(values.size());
  for (const auto& [key, value] : values)
    changes.push_back({false, std::string(section), key, value});
  return write(std::move(changes));
}

bool SettingsStore::deleteSection(std::string_view section) {
  return write({{true, std::string(section), {}, {}}});
}

std::vector<std::pair<std::string, std::string>> SettingsStore::section(
    std::string_view name) const {
  std::lock_guard lock(image_->mutex);
  const Image::Section* found = image_->findSection(name);
  return found != nullptr ? found->values : std::vector<std::pair<std::string, std::string>>{};
}

uint64_t SettingsStore::fileReads() {
  return parsedFiles.load();
}

uint64_t SettingsStore::fileWrites() {
  return writtenFiles.load();
}

}  // namespace tallyfold
