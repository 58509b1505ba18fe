#pragma once
// A short description of this computer for error reports: host name, kernel and
// distribution, memory and the first network address that is not a loopback.

#include <string>

namespace tallyfold {

// One "Label: value" line each, ended by CR LF. Parts the system does not give
// are empty texts.
std::string systemSummary();

}  // namespace tallyfold
