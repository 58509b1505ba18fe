#pragma once
// Parts of a test that must meet refused access: the tests run as root, which
// reads and writes everything, so those parts run in a child process that
// gives up root first (user and group 65534).

#include <functional>
#include <optional>
#include <string>

namespace tallyfold::test {

// What work returned in the child; nothing when the child could not give up
// root or did not finish.
std::optional<std::string> runUnprivileged(const std::function<std::string()>& work);
// True when the check held in the child.
bool holdsUnprivileged(const std::function<bool()>& check);

}  // namespace tallyfold::test
