#pragma once
// User names of owner ids (getpwuid_r), cached: a report asks for the same few
// owners a million times. Safe to call from several threads.

#include <cstdint>
#include <string>

namespace tallyfold {

// Empty when the id names no user.
std::string userNameOf(uint32_t uid);
// The owner as ls -l shows it: the user name, or the number when the id names
// no user.
std::string ownerText(uint32_t uid);
// ownerText of a file's owner by its path; empty when the file cannot be
// examined.
std::string fileOwnerName(const std::string& path);

}  // namespace tallyfold
