#include "listing/listing_header.h"

#ifndef TALLYFOLD_VERSION
#define TALLYFOLD_VERSION "0"
#endif

namespace tallyfold {

std::string listingProgramVersion() {
  return TALLYFOLD_VERSION;
}

}  // namespace tallyfold
