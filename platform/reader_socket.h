#pragma once
// Whole messages with open descriptors over a Unix socket pair
// (SOCK_SEQPACKET): what the program and its reader processes say to each
// other.

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tallyfold {

// Both ends close on exec; false when no pair could be made.
bool makeMessageSocketPair(int ends[2]);

// Sends bytes as one message with the descriptors attached. False when the
// peer is gone or the message could not be sent whole.
bool sendMessage(int socketFd, std::string_view bytes, const std::vector<int>& descriptors = {});

enum class ReceiveResult { Message, Closed, TimedOut, Cancelled, Failed };

// Receives one message of at most maxBytes (a longer one is Failed) and the
// descriptors that came with it (at most maxDescriptors; any beyond are
// closed and make the message Failed). The caller owns the descriptors.
// timeoutMs < 0 waits without end; stopFlag, when given, is looked at every
// few tens of milliseconds and ends the wait as Cancelled.
struct ReceivedMessage {
  ReceiveResult result = ReceiveResult::Failed;
  std::string bytes;
  std::vector<int> descriptors;
};
ReceivedMessage receiveMessage(int socketFd, size_t maxBytes, size_t maxDescriptors, int timeoutMs,
                               const std::atomic<bool>* stopFlag = nullptr);

}  // namespace tallyfold
