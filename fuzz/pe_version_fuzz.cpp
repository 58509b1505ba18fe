// The PE version reader: any file reads without fault or reads outside it,
// whatever its headers claim, and gives the same answer every time.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "platform/pe_version.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tallyfold;
  std::string_view input = fuzz::asText(data, size);
  const std::optional<std::array<uint16_t, 4>> version = readPeFileVersion(fuzz::inputFile(input));
  if (version) FUZZ_CHECK(size >= 64);
  FUZZ_CHECK(readPeFileVersion(fuzz::inputFile(input)) == version);
  return 0;
}
