#pragma once
// Reads of an open file that stop after a budget of bytes: a tag lies near
// the start or the end of a file, and a parser that would search a file of
// gigabytes for its next page finds the end of the budget instead.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tallyfold {

inline constexpr uint64_t kTagReadBudgetBytes = 8ULL << 20;

// Whether the open file begins with these bytes.
bool fileStartsWith(int fd, std::string_view bytes);

class BudgetedFile {
 public:
  BudgetedFile(int fd, uint64_t budget);

  // Reads up to count bytes at offset; fewer (0 at last) once the budget is
  // spent, at the end of the file, or on an error.
  size_t readAt(uint64_t offset, char* into, size_t count);
  // The file's size, or 0 when it cannot be learnt.
  uint64_t size() const;
  uint64_t spent() const { return spent_; }

 private:
  int fd_;
  uint64_t budget_;
  uint64_t spent_ = 0;
};

}  // namespace tallyfold
