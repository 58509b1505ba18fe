// Job files: any bytes load, and what a loaded job writes reads back as the
// same job (writing is a fixed point after one load).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/job.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tallyfold;
  std::string_view input = fuzz::asText(data, size);

  Job loaded;
  FUZZ_CHECK(loadJob(fuzz::inputFile(input), loaded));
  const std::string written = jobFileText(loaded);

  Job reloaded;
  FUZZ_CHECK(loadJob(fuzz::inputFile(written), reloaded));
  FUZZ_CHECK(jobFileText(reloaded) == written);
  FUZZ_CHECK(reloaded.locations.size() == loaded.locations.size());
  return 0;
}
