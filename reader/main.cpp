// tallyfold-reader: reads the tags and media facts of the files the program
// hands it, one
// request of a few open descriptors at a time, on the socket it finds at
// descriptor 3. It opens nothing itself. A file that crashes it, or exhausts
// its memory or CPU time, ends only this process; the program starts another.

#include <id3v2framefactory.h>
#include <tbytevectorstream.h>
#include <tstring.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "platform/reader_protocol.h"
#include "platform/reader_sandbox.h"
#include "platform/reader_socket.h"
#include "reader/audio_tag_file.h"
#include "reader/media_file.h"

namespace {

using namespace tallyfold;

constexpr int kSocketFd = 3;
// The request, its descriptors and the longest answer: fixed before the
// filter is in place, so that a read never asks for memory in a new way.
constexpr size_t kMaxRequestBytes = 64;

// Everything TagLib and the allocator set up on first use happens before
// the system call filter: the frame factory, text conversion, a large block.
void warmUp() {
  (void)TagLib::ID3v2::FrameFactory::instance();
  (void)TagLib::String("warm \xc3\xa9", TagLib::String::UTF8).to8Bit(true);
  std::vector<char> large(4 << 20, 1);
  TagLib::ByteVector bytes(large.data(), 1024);
  (void)bytes.find("x");
  prepareMediaReaders();
  // The local time zone is loaded once, here: MediaInfoLib converts the
  // times of videos with it.
  const std::time_t epoch = 0;
  std::tm local{};
  (void)localtime_r(&epoch, &local);
  (void)std::localtime(&epoch);
}

TagAnswer answerFor(int fd, AudioContainer container) {
  TagAnswer answer;
  try {
    answer.found = readAudioTagFile(fd, container, answer.text);
  } catch (...) {
    // Out of memory under its limit, or a container's length error on a
    // crafted file: that file has no tags.
    answer = TagAnswer{};
  }
  if (!answer.found) answer = TagAnswer{};
  return answer;
}

void closeAll(const std::vector<int>& descriptors) {
  for (int fd : descriptors) ::close(fd);
}

MediaAnswer mediaAnswerFor(int fd, MediaFormat format) {
  MediaAnswer answer;
  try {
    answer.found = readMediaFile(fd, format, answer.facts);
  } catch (...) {
    answer = MediaAnswer{};
  }
  if (!answer.found) answer = MediaAnswer{};
  return answer;
}

// Answers each file of a request in turn, closing its descriptor once read;
// false when the program is gone.
template <class Code, class Answer>
bool answerEach(std::vector<int>& descriptors, const std::vector<Code>& codes, Answer answer) {
  for (size_t i = 0; i < codes.size(); ++i) {
    armFileTimer();
    const std::string message = answer(descriptors[i], codes[i]);
    disarmFileTimer();
    ::close(descriptors[i]);
    descriptors[i] = -1;
    if (!sendMessage(kSocketFd, message)) {
      closeAll(descriptors);
      return false;
    }
  }
  return true;
}

// Answers one request; false (and the status to end with) when the reader
// is to end.
bool answerRequest(ReceivedMessage& request, int& status) {
  status = 0;
  if (isMediaRequest(request.bytes)) {
    const auto formats = parseMediaRequest(request.bytes, request.descriptors.size());
    if (formats) {
      return answerEach(request.descriptors, *formats, [](int fd, MediaFormat format) {
        return encodeMediaAnswer(mediaAnswerFor(fd, format));
      });
    }
  } else if (const auto containers = parseTagRequest(request.bytes, request.descriptors.size())) {
    return answerEach(request.descriptors, *containers, [](int fd, AudioContainer container) {
      return encodeTagAnswer(answerFor(fd, container));
    });
  }
  closeAll(request.descriptors);
  status = 2;
  return false;
}

// Answers requests until the program closes its end.
int serve() {
  for (;;) {
    ReceivedMessage request = receiveMessage(kSocketFd, kMaxRequestBytes, kMaxFilesPerRequest, -1);
    if (request.result == ReceiveResult::Closed) return 0;
    if (request.result != ReceiveResult::Message) return 2;
    int status = 0;
    if (!answerRequest(request, status)) return status;
  }
}

}  // namespace

int main() {
  warmUp();
  std::string why;
  if (!confineReader(kSocketFd, why)) {
    std::fprintf(stderr, "tallyfold-reader: %s\n", why.c_str());
    return 2;
  }
  // Once confined, the process ends without exit handlers: they may make
  // calls the filter forbids (a leak checker reads its own memory map), and
  // there is nothing left to flush.
  ::_exit(serve());
}
