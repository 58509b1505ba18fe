#include "platform/settings_store.h"

#include "platform/folder_paths.h"
#include "platform/text_file.h"

#include <unistd.h>

#include <algorithm>

namespace tallyfold {

namespace {

char asciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return asciiLower(x) == asciiLower(y);
         });
}

// A name or value may hold any byte; the few that would break the line
// structure are written as backslash escapes.
std::string escaped(std::string_view text, bool isKey) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\\') {
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

std::string_view trimmedBlanks(std::string_view text) {
  size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

bool isSectionLine(std::string_view line) {
  line = trimmedBlanks(line);
  return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

std::string sectionNameOf(std::string_view line) {
  line = trimmedBlanks(line);
  return unescaped(line.substr(1, line.size() - 2));
}

std::string storeFileName(std::string applicationName) {
  std::replace(applicationName.begin(), applicationName.end(), '/', '_');
  std::replace(applicationName.begin(), applicationName.end(), '\0', '_');
  return applicationName + ".ini";
}

}  // namespace

std::string settingsDirectory() {
  std::string config = detail::absoluteFolderFromEnvironment("XDG_CONFIG_HOME");
  if (config.empty()) config = detail::joinPath(detail::homeFolder(), ".config");
  return detail::joinPath(config, "tallyfold");
}

SettingsStore::SettingsStore(std::string applicationName)
    : SettingsStore(settingsDirectory(), std::move(applicationName)) {}

SettingsStore::SettingsStore(std::string directory, std::string applicationName)
    : path_(detail::joinPath(detail::withoutTrailingSlash(std::move(directory)),
                             storeFileName(std::move(applicationName)))) {
  load();
}

bool SettingsStore::load() {
  std::vector<std::string> lines;
  if (!readTextLines(path_, lines)) {
    // No file yet is an empty store; a file that is there but cannot be read
    // leaves what the store holds as it is.
    if (access(path_.c_str(), F_OK) == 0) return false;
    sections_.clear();
    return true;
  }
  sections_.clear();
  if (!lines.empty() && lines.front().rfind("\xEF\xBB\xBF", 0) == 0) lines.front().erase(0, 3);
  Section* current = nullptr;
  for (const std::string& line : lines) {
    if (isSectionLine(line)) {
      std::string name = sectionNameOf(line);
      current = findSection(name);
      if (current == nullptr) current = &sections_.emplace_back(Section{std::move(name), {}});
      continue;
    }
    size_t end = keyEnd(line);
    if (current == nullptr || end == std::string::npos) continue;  // not a value line
    apply({false, current->name, unescaped(std::string_view(line).substr(0, end)),
           unescaped(std::string_view(line).substr(end + 1))});
  }
  return true;
}

bool SettingsStore::save() const {
  std::string text;
  for (const Section& each : sections_) {
    if (each.values.empty()) continue;
    if (!text.empty()) text += '\n';
    text += '[' + escaped(each.name, true) + "]\n";
    for (const auto& [key, value] : each.values) {
      text += escaped(key, true) + '=' + escaped(value, false) + '\n';
    }
  }
  size_t slash = path_.rfind('/');
  if (slash != std::string::npos && slash > 0 &&
      !detail::makeFolders(path_.substr(0, slash), 0700)) {
    return false;
  }
  return replaceFileAtomically(path_, text);
}

SettingsStore::Section* SettingsStore::findSection(std::string_view name) {
  auto found = std::find_if(sections_.begin(), sections_.end(),
                            [&](const Section& each) { return sameName(each.name, name); });
  return found != sections_.end() ? &*found : nullptr;
}

const SettingsStore::Section* SettingsStore::findSection(std::string_view name) const {
  return const_cast<SettingsStore*>(this)->findSection(name);
}

void SettingsStore::apply(const Change& change) {
  if (change.deletesSection) {
    std::erase_if(sections_,
                  [&](const Section& each) { return sameName(each.name, change.section); });
    return;
  }
  Section* target = findSection(change.section);
  if (target == nullptr) target = &sections_.emplace_back(Section{change.section, {}});
  for (auto& [key, value] : target->values) {
    if (sameName(key, change.key)) {
      value = change.value;
      return;
    }
  }
  target->values.emplace_back(change.key, change.value);
}

bool SettingsStore::write(std::vector<Change> changes) {
  // Start from what the file holds now, then put back this store's own
  // values that could not be written before.
  if (load()) {
    for (const Change& change : unsaved_) apply(change);
  }
  for (Change& change : changes) {
    apply(change);
    unsaved_.push_back(std::move(change));
  }
  if (!save()) return false;
  unsaved_.clear();
  return true;
}

std::string SettingsStore::get(std::string_view section, std::string_view key,
                               std::string_view fallback) const {
  if (const Section* found = findSection(section)) {
    for (const auto& [name, value] : found->values) {
      if (sameName(name, key)) return value;
    }
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
  const Section* found = findSection(name);
  return found != nullptr ? found->values : std::vector<std::pair<std::string, std::string>>{};
}

}  // namespace tallyfold
