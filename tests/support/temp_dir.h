#pragma once
// A temporary folder for one test, removed with everything in it afterwards
// (permissions are restored first so unreadable folders go too).

#include <cstdint>
#include <string>
#include <string_view>

namespace tallyfold::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder's path, without trailing "/".
  const std::string& path() const { return path_; }
  // path() + "/" + relative.
  std::string operator/(std::string_view relative) const;

  // Creates a folder (and its parents) below the temporary folder.
  std::string makeDir(std::string_view relative) const;
  // Writes a file (parents created); returns its full path.
  std::string writeFile(std::string_view relative, std::string_view bytes = {}) const;
  // A file of the given size without writing its bytes (sparse).
  std::string makeSizedFile(std::string_view relative, uint64_t size) const;
  // Sets a file's last-modified time (seconds since the epoch).
  static void setMtime(const std::string& path, int64_t seconds);

 private:
  std::string path_;
};

// Reads a whole file; fails the test when it cannot.
std::string readFile(const std::string& path);

}  // namespace tallyfold::test
