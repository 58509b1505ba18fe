#pragma once
// The quicksort behind sortRange. Included by report/sorting.h; not to be
// included on its own.
//
// The exact steps matter, not only the result: the sort is not stable, and
// the order in which it leaves elements that compare equal (such as "a" and
// "A") is part of what a listing looks like. So the scheme below is kept as it
// is: middle element as pivot, scans that stop on equal elements, recursion
// into the smaller part, and insertion sort for short ranges.

#include <cstdint>
#include <utility>
#include <vector>

namespace tallyfold {

namespace sorting {

// Ranges with more elements than this plus one are partitioned first.
inline constexpr int64_t kInsertionSortSpan = 60;

template <class T, class Before>
void insertionSortRange(std::vector<T>& a, int64_t lo, int64_t hi, Before& before) {
  for (int64_t i = lo + 1; i <= hi; ++i) {
    T tmp = std::move(a[i]);
    int64_t j = i - 1;
    while (j >= lo && before(tmp, a[j])) {
      a[j + 1] = std::move(a[j]);
      --j;
    }
    a[j + 1] = std::move(tmp);
  }
}

// Returns the pivot's final index; what lies before it does not sort after
// the pivot, what lies after it does not sort before it.
template <class T, class Before>
int64_t partitionRange(std::vector<T>& a, int64_t lo, int64_t hi, Before& before) {
  const int64_t mid = lo + (hi - lo) / 2;
  T pivot = std::move(a[mid]);
  if (mid != lo) a[mid] = std::move(a[lo]);
  int64_t i = lo + 1;
  int64_t j = hi;
  for (;;) {
    while (i < j && before(a[i], pivot)) ++i;
    while (j >= i && before(pivot, a[j])) --j;
    if (i >= j) {
      if (j != lo) a[lo] = std::move(a[j]);
      a[j] = std::move(pivot);
      return j;
    }
    std::swap(a[i], a[j]);
    ++i;
    --j;
  }
}

// Recursion takes the smaller part and the loop the larger, so the depth
// stays logarithmic. Only a call tests the size: once a range is partitioned,
// the loop keeps partitioning its larger parts down to single elements.
template <class T, class Before>
void quickSortRange(std::vector<T>& a, int64_t lo, int64_t hi, Before& before) {
  if (hi - lo > kInsertionSortSpan) {
    while (lo < hi) {
      const int64_t p = partitionRange(a, lo, hi, before);
      if (p - lo <= hi - p) {
        quickSortRange(a, lo, p - 1, before);
        lo = p + 1;
      } else {
        quickSortRange(a, p + 1, hi, before);
        hi = p - 1;
      }
    }
  } else {
    insertionSortRange(a, lo, hi, before);
  }
}

}  // namespace sorting

template <class T, class Before>
void sortRange(std::vector<T>& a, Before before) {
  if (a.size() < 2) return;
  sorting::quickSortRange(a, 0, static_cast<int64_t>(a.size()) - 1, before);
}

}  // namespace tallyfold
