#include "platform/settings_store.h"

#include "platform/folder_paths.h"
#include "platform/path_text.h"
#include "platform/text_file.h"
#include "platform/text_trim.h"

#include <unistd.h>

#include <algorithm>
#include <optional>

namespace tallyfold {

namespace {

char asciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Names match without regard to ASCII letter case: the lookup key.
std::string lowerName(std::string_view name) {
  std::string lower(name);
  for (char& c : lower) c = asciiLower(c);
  return lower;
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

}  // namespace

std::string settingsDirectory() {
  std::string config = detail::absoluteFolderFromEnvironment("XDG_CONFIG_HOME");
  if (config.empty()) config = detail::joinPath(detail::homeFolder(), ".config");
  return detail::joinPath(config, "tallyfold");
}

SettingsStore::SettingsStore(std::string applicationName)
    : SettingsStore(settingsDirectory(), std::move(applicationName)) {}

SettingsStore::SettingsStore(std::string directory, std::string applicationName)
    : path_(detail::joinPath(std::string(withoutTrailingSlash(directory)),
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
    sectionIndex_.clear();
    return true;
  }
  sections_.clear();
  sectionIndex_.clear();
  if (!lines.empty() && lines.front().rfind("\xEF\xBB\xBF", 0) == 0) lines.front().erase(0, 3);
  // An index, not a pointer: a new section may move the others.
  std::optional<size_t> current;
  for (const std::string& line : lines) {
    if (isSectionLine(line)) {
      Section& named = sectionForWrite(sectionNameOf(line));
      current = static_cast<size_t>(&named - sections_.data());
      continue;
    }
    const size_t end = keyEnd(line);
    if (!current || end == std::string::npos) continue;  // not a value line
    // Blanks around the key and the value are the file's layout, not theirs.
    const std::string_view key = trimText(std::string_view(line).substr(0, end), kBlankAndTabChars);
    const std::string_view value =
        trimText(std::string_view(line).substr(end + 1), kBlankAndTabChars);
    setValue(sections_[*current], unescaped(key), unescaped(value));
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
  auto found = sectionIndex_.find(lowerName(name));
  return found != sectionIndex_.end() ? &sections_[found->second] : nullptr;
}

const SettingsStore::Section* SettingsStore::findSection(std::string_view name) const {
  return const_cast<SettingsStore*>(this)->findSection(name);
}

SettingsStore::Section& SettingsStore::sectionForWrite(std::string_view name) {
  auto [place, added] = sectionIndex_.try_emplace(lowerName(name), sections_.size());
  if (added) sections_.push_back(Section{std::string(name), {}, {}});
  return sections_[place->second];
}

void SettingsStore::setValue(Section& target, std::string key, std::string value) {
  auto [place, added] = target.keyIndex.try_emplace(lowerName(key), target.values.size());
  if (added) {
    target.values.emplace_back(std::move(key), std::move(value));
  } else {
    target.values[place->second].second = std::move(value);
  }
}

void SettingsStore::apply(const Change& change) {
  if (change.deletesSection) {
    auto found = sectionIndex_.find(lowerName(change.section));
    if (found == sectionIndex_.end()) return;
    sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(found->second));
    sectionIndex_.clear();
    for (size_t i = 0; i < sections_.size(); ++i) sectionIndex_[lowerName(sections_[i].name)] = i;
    return;
  }
  setValue(sectionForWrite(change.section), change.key, change.value);
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
  const Section* found = findSection(name);
  return found != nullptr ? found->values : std::vector<std::pair<std::string, std::string>>{};
}

}  // namespace tallyfold
