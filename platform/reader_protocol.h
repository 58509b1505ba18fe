#pragma once
// The messages between the program and its tag reader processes, on a Unix
// socket of whole messages (SOCK_SEQPACKET). A request names the containers
// of up to kMaxFilesPerRequest files whose open descriptors travel with it;
// the reader answers each file with one message of its own, in order.
//
// Both sides parse what they receive as bytes from a stranger: every length
// is checked against the bytes present and against the limits below, and a
// message that breaks any rule is refused whole.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/audio_tag_text.h"
#include "platform/media_facts.h"

namespace tallyfold {

inline constexpr size_t kMaxFilesPerRequest = 16;
// A text field longer than this is cut (at a character boundary) by the reader.
inline constexpr size_t kMaxAnswerTextBytes = 4096;
inline constexpr size_t kMaxAnswerGenres = 8;
// Four texts and the genres at their longest, with their lengths: no answer
// is longer.
inline constexpr size_t kMaxAnswerBytes = 64 * 1024;

std::string encodeTagRequest(const std::vector<AudioContainer>& containers);
// The containers of a request that came with descriptorCount descriptors;
// nothing when the bytes are no such request.
std::optional<std::vector<AudioContainer>> parseTagRequest(std::string_view bytes,
                                                           size_t descriptorCount);

// found: whether the file held a tag of its container (else text is blank).
struct TagAnswer {
  bool found = false;
  AudioTagText text;
};

// Texts are cut to their limits, genres beyond the limit dropped.
std::string encodeTagAnswer(const TagAnswer& answer);
std::optional<TagAnswer> parseTagAnswer(std::string_view bytes);

// A media request names the formats of its files as a tag request names
// their containers; its own first bytes tell the two apart.
std::string encodeMediaRequest(const std::vector<MediaFormat>& formats);
std::optional<std::vector<MediaFormat>> parseMediaRequest(std::string_view bytes,
                                                          size_t descriptorCount);
// Whether the bytes begin as a media request (else they are a tag request or
// nonsense).
bool isMediaRequest(std::string_view bytes);

// found: whether the file could be read as its format (else facts are blank).
struct MediaAnswer {
  bool found = false;
  MediaFacts facts;
};

std::string encodeMediaAnswer(const MediaAnswer& answer);
std::optional<MediaAnswer> parseMediaAnswer(std::string_view bytes);

}  // namespace tallyfold
