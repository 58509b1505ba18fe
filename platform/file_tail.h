#pragma once
// The last bytes of a regular file, read without touching the rest of it (the
// tag reader asks this of every listed file, however large).

#include <cstddef>
#include <optional>
#include <string>

namespace tallyfold {

// Up to count bytes that end the file; fewer when the file is shorter. Empty
// when the path is not a regular file or cannot be read.
std::optional<std::string> readFileTail(const std::string& path, size_t count);
// The same of a file already open for reading.
std::optional<std::string> readOpenFileTail(int fd, size_t count);

}  // namespace tallyfold
