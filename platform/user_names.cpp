#include "platform/user_names.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace tallyfold {

namespace {

std::string lookUpUserName(uint32_t uid) {
  long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(suggested > 0 ? static_cast<size_t>(suggested) : 1024);
  for (;;) {
    passwd entry{};
    passwd* found = nullptr;
    int error = getpwuid_r(static_cast<uid_t>(uid), &entry, buffer.data(), buffer.size(), &found);
    if (error == ERANGE && buffer.size() < (1u << 20)) {
      buffer.resize(buffer.size() * 2);
      continue;
    }
    if (error != 0 || found == nullptr || found->pw_name == nullptr) return {};
    return found->pw_name;
  }
}

class UserNameCache {
 public:
  std::string nameOf(uint32_t uid) {
    {
      std::lock_guard lock(mutex_);
      auto known = names_.find(uid);
      if (known != names_.end()) return known->second;
    }
    // The look-up may ask a directory service; it runs without the lock so
    // other threads keep finding the names already known.
    std::string name = lookUpUserName(uid);
    std::lock_guard lock(mutex_);
    return names_.emplace(uid, std::move(name)).first->second;
  }

 private:
  std::mutex mutex_;
  std::unordered_map<uint32_t, std::string> names_;
};

UserNameCache& cache() {
  static UserNameCache instance;
  return instance;
}

}  // namespace

std::string userNameOf(uint32_t uid) {
  return cache().nameOf(uid);
}

std::string ownerText(uint32_t uid) {
  std::string name = userNameOf(uid);
  return name.empty() ? std::to_string(uid) : name;
}

std::string fileOwnerName(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return {};
  return ownerText(info.st_uid);
}

}  // namespace tallyfold
