// Exclusion lists: any file loads, saving and loading again gives the same
// lists, and every loaded entry matches itself.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "scan/exclusions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tallyfold;
  std::string_view input = fuzz::asText(data, size);

  const ExclusionLists lists = loadExclusionList(fuzz::inputFile(input));
  const std::string savedPath = fuzz::scratchFolder() + "/exclusion.lst";
  FUZZ_CHECK(saveExclusionList(savedPath, lists));
  const ExclusionLists reloaded = loadExclusionList(savedPath);
  FUZZ_CHECK(reloaded.fileNames == lists.fileNames);
  FUZZ_CHECK(reloaded.folders == lists.folders);
  FUZZ_CHECK(reloaded.extensions == lists.extensions);

  const ExclusionMatcher matcher(lists);
  for (const std::string& name : lists.fileNames) FUZZ_CHECK(matcher.isFileNameExcluded(name));
  for (const std::string& folder : lists.folders) {
    // The entry "/" is kept in the list but matches nothing: the root's own
    // files always stay listed.
    FUZZ_CHECK(matcher.isFolderExcluded(folder) == (folder != "/"));
  }
  for (const std::string& extension : lists.extensions) {
    // "*.ext" with one dot matches any name that ends in ".ext".
    if (extension.size() < 2 || !extension.starts_with("*.") ||
        extension.find('.', 2) != std::string::npos) {
      continue;
    }
    FUZZ_CHECK(matcher.isExtensionExcluded("name" + extension.substr(1)));
  }
  (void)matcher.isExtensionExcluded(input);
  (void)matcher.isFileNameExcluded(input);
  return 0;
}
