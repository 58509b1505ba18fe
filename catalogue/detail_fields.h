#pragma once
// The fields of a file's details that the catalogue keeps, in the order of
// its file_detail columns: ten texts, the six media numbers, then the three
// media texts. Writing a scan, reading it back and keeping it in memory all
// go through these lists, so a field is never kept by one and lost by another.

#include <array>
#include <cstdint>
#include <string>
#include <type_traits>

#include "report/file_detail_reader.h"

namespace tallyfold {

// Every field is listed: a field added to the details must be added below.
static_assert(sizeof(AudioTags) == 6 * sizeof(std::string));
static_assert(sizeof(MediaFacts) == 6 * sizeof(uint32_t) + 3 * sizeof(std::string));
static_assert(sizeof(FileDetails) ==
              4 * sizeof(std::string) + sizeof(AudioTags) + sizeof(MediaFacts));

// Details is FileDetails or const FileDetails; the pointers follow its constness.
template <class Details>
using DetailText = std::conditional_t<std::is_const_v<Details>, const std::string, std::string>;
template <class Details>
using DetailNumber = std::conditional_t<std::is_const_v<Details>, const uint32_t, uint32_t>;

template <class Details>
std::array<DetailText<Details>*, 10> detailTextsOf(Details& d) {
  return {&d.owner,       &d.version,    &d.crc32,     &d.sha256,     &d.tags.title,
          &d.tags.artist, &d.tags.album, &d.tags.year, &d.tags.genre, &d.tags.comment};
}

template <class Details>
std::array<DetailNumber<Details>*, 6> mediaNumbersOf(Details& d) {
  return {&d.media.durationMs, &d.media.bitrateKbps, &d.media.sampleRate,
          &d.media.channels,   &d.media.width,       &d.media.height};
}

template <class Details>
std::array<DetailText<Details>*, 3> mediaTextsOf(Details& d) {
  return {&d.media.taken, &d.media.camera, &d.media.codec};
}

}  // namespace tallyfold
