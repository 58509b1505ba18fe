// The settings store: any settings file loads, a write keeps every value the
// file held, and a second store that loads the written file writes it again
// byte for byte.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "platform/settings_store.h"
#include "platform/text_file.h"

namespace {

// The section names the file's lines seem to hold, for reading them back.
std::vector<std::string> sectionNamesIn(std::string_view text) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start < text.size() && names.size() < 16) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      names.emplace_back(line.substr(1, line.size() - 2));
    }
    start = end + 1;
  }
  return names;
}

bool sameNameAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const std::string config = tallyfold::fuzz::scratchFolder() + "/config";
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  std::filesystem::create_directories(config + "/tallyfold");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tallyfold;
  std::string_view input = fuzz::asText(data, size);
  const std::string path = SettingsStore(std::string(kSettingsApplication)).filePath();
  FUZZ_CHECK(path.starts_with(fuzz::scratchFolder()));
  FUZZ_CHECK(replaceFileAtomically(path, input));

  SettingsStore first{std::string(kSettingsApplication)};
  std::vector<std::string> names = sectionNamesIn(input);
  std::vector<std::vector<std::pair<std::string, std::string>>> before;
  for (const std::string& name : names) before.push_back(first.section(name));

  FUZZ_CHECK(first.set("Fuzz", "Key", "Value"));
  FUZZ_CHECK(first.get("fuzz", "KEY") == "Value");
  const std::string written = fuzz::fileContent(path);

  SettingsStore second{std::string(kSettingsApplication)};
  for (size_t i = 0; i < names.size(); ++i) {
    if (sameNameAscii(names[i], "Fuzz")) continue;
    FUZZ_CHECK(second.section(names[i]) == before[i]);
  }
  FUZZ_CHECK(second.set("Fuzz", "Key", "Value"));
  FUZZ_CHECK(fuzz::fileContent(path) == written);

  if (!names.empty()) {
    FUZZ_CHECK(second.deleteSection(names.front()));
    FUZZ_CHECK(SettingsStore(std::string(kSettingsApplication)).section(names.front()).empty());
  }
  return 0;
}
