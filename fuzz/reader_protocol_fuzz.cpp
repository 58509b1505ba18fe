// The messages of the reader processes (tags and media facts): the reader parses requests, the
// program parses answers, each from the other process. Any input parses or is
// refused without fault, and what parses is exactly what the encoder writes
// for the parsed value (nothing accepted beyond the format).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_support.h"
#include "platform/reader_protocol.h"
#include "platform/utf8_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tallyfold;
  if (size == 0) return 0;
  // The first byte chooses the message kind and, for a request, how many
  // descriptors came with it.
  const uint8_t choice = data[0];
  const std::string_view message = fuzz::asText(data + 1, size - 1);
  if ((choice & 1) == 0) {
    const size_t descriptors = (choice >> 1) % (kMaxFilesPerRequest + 2);
    if (const auto containers = parseTagRequest(message, descriptors)) {
      FUZZ_CHECK(containers->size() == descriptors);
      FUZZ_CHECK(containers->size() <= kMaxFilesPerRequest);
      FUZZ_CHECK(encodeTagRequest(*containers) == message);
    }
    if (const auto formats = parseMediaRequest(message, descriptors)) {
      FUZZ_CHECK(isMediaRequest(message));
      FUZZ_CHECK(formats->size() == descriptors);
      FUZZ_CHECK(encodeMediaRequest(*formats) == message);
    }
    return 0;
  }
  if (const std::optional<MediaAnswer> media = parseMediaAnswer(message)) {
    for (const std::string* text :
         {&media->facts.taken, &media->facts.camera, &media->facts.codec}) {
      FUZZ_CHECK(text->size() <= kMaxAnswerTextBytes);
      FUZZ_CHECK(isValidUtf8(*text));
    }
    FUZZ_CHECK(encodeMediaAnswer(*media) == message);
  }
  const std::optional<TagAnswer> answer = parseTagAnswer(message);
  if (!answer) return 0;
  FUZZ_CHECK(message.size() <= kMaxAnswerBytes);
  const AudioTagText& text = answer->text;
  for (const std::string* field : {&text.title, &text.artist, &text.album, &text.comment}) {
    FUZZ_CHECK(field->size() <= kMaxAnswerTextBytes);
    FUZZ_CHECK(isValidUtf8(*field));
  }
  FUZZ_CHECK(text.genres.size() <= kMaxAnswerGenres);
  FUZZ_CHECK(encodeTagAnswer(*answer) == message);
  return 0;
}
