#include "support/temp_dir.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace tallyfold::test {

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "tallyfold-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(
           path_, fs::directory_options::skip_permission_denied, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_directory(ec) && !it->is_symlink(ec)) {
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
  }
  // A second pass: folders made readable above may hold more unreadable ones.
  for (int pass = 0; pass < 8; ++pass) {
    std::error_code walk;
    bool changed = false;
    for (auto it = fs::recursive_directory_iterator(path_, walk);
         !walk && it != fs::recursive_directory_iterator(); it.increment(walk)) {
      if (it->is_directory(walk) && !it->is_symlink(walk)) {
        auto perms = fs::status(it->path(), walk).permissions();
        if ((perms & fs::perms::owner_all) != fs::perms::owner_all) {
          fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, walk);
          changed = true;
        }
      }
    }
    if (!changed) break;
  }
  fs::remove_all(path_, ec);
}

std::string TempDir::operator/(std::string_view relative) const {
  return path_ + "/" + std::string(relative);
}

std::string TempDir::makeDir(std::string_view relative) const {
  std::string full = *this / relative;
  fs::create_directories(full);
  return full;
}

std::string TempDir::writeFile(std::string_view relative, std::string_view bytes) const {
  std::string full = *this / relative;
  fs::create_directories(fs::path(full).parent_path());
  std::ofstream out(full, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + full);
  return full;
}

std::string TempDir::makeSizedFile(std::string_view relative, uint64_t size) const {
  std::string full = writeFile(relative);
  if (truncate(full.c_str(), static_cast<off_t>(size)) != 0) {
    throw std::runtime_error("cannot size " + full);
  }
  return full;
}

void TempDir::setMtime(const std::string& path, int64_t seconds) {
  struct timespec times[2];
  times[0].tv_sec = static_cast<time_t>(seconds);
  times[0].tv_nsec = 0;
  times[1] = times[0];
  if (utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
    throw std::runtime_error("cannot set time of " + path);
  }
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << "cannot read " << path;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace tallyfold::test
