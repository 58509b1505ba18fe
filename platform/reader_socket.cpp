#include "platform/reader_socket.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>

namespace tallyfold {

namespace {

constexpr int kStopLookMs = 25;

void closeAll(const std::vector<int>& descriptors) {
  for (int fd : descriptors) ::close(fd);
}

// The descriptors of a received message's SCM_RIGHTS parts; all of them,
// so that the caller can close what it does not accept.
std::vector<int> descriptorsOf(msghdr& message) {
  std::vector<int> descriptors;
  for (cmsghdr* part = CMSG_FIRSTHDR(&message); part != nullptr;
       part = CMSG_NXTHDR(&message, part)) {
    if (part->cmsg_level != SOL_SOCKET || part->cmsg_type != SCM_RIGHTS) continue;
    const size_t count = (part->cmsg_len - CMSG_LEN(0)) / sizeof(int);
    for (size_t i = 0; i < count; ++i) {
      int fd = -1;
      std::memcpy(&fd, CMSG_DATA(part) + i * sizeof(int), sizeof(int));
      descriptors.push_back(fd);
    }
  }
  return descriptors;
}

// Waits until the socket has a message: true, or the reason it has none.
bool waitReadable(int socketFd, int timeoutMs, const std::atomic<bool>* stopFlag,
                  ReceiveResult& why) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (stopFlag != nullptr && stopFlag->load(std::memory_order_relaxed)) {
      why = ReceiveResult::Cancelled;
      return false;
    }
    int slice = stopFlag != nullptr ? kStopLookMs : -1;
    if (timeoutMs >= 0) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) {
        why = ReceiveResult::TimedOut;
        return false;
      }
      slice = slice < 0 ? static_cast<int>(left) : std::min<int>(slice, static_cast<int>(left));
    }
    pollfd wanted{socketFd, POLLIN, 0};
    const int ready = ::poll(&wanted, 1, slice);
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) {
      why = ReceiveResult::Failed;
      return false;
    }
  }
}

}  // namespace

bool makeMessageSocketPair(int ends[2]) {
  return ::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) == 0;
}

bool sendMessage(int socketFd, std::string_view bytes, const std::vector<int>& descriptors) {
  iovec part{const_cast<char*>(bytes.data()), bytes.size()};
  msghdr message{};
  message.msg_iov = &part;
  message.msg_iovlen = 1;
  std::vector<char> control;
  if (!descriptors.empty()) {
    control.assign(CMSG_SPACE(descriptors.size() * sizeof(int)), 0);
    message.msg_control = control.data();
    message.msg_controllen = control.size();
    cmsghdr* rights = CMSG_FIRSTHDR(&message);
    rights->cmsg_level = SOL_SOCKET;
    rights->cmsg_type = SCM_RIGHTS;
    rights->cmsg_len = CMSG_LEN(descriptors.size() * sizeof(int));
    std::memcpy(CMSG_DATA(rights), descriptors.data(), descriptors.size() * sizeof(int));
  }
  ssize_t sent;
  do {
    sent = ::sendmsg(socketFd, &message, MSG_NOSIGNAL);
  } while (sent < 0 && errno == EINTR);
  return sent == static_cast<ssize_t>(bytes.size());
}

ReceivedMessage receiveMessage(int socketFd, size_t maxBytes, size_t maxDescriptors, int timeoutMs,
                               const std::atomic<bool>* stopFlag) {
  ReceivedMessage received;
  // One byte more than allowed shows a message that is too long. The buffer
  // is the thread's own, kept between messages: answers are short, and
  // clearing the largest allowed size for each would cost more than reading.
  thread_local std::unique_ptr<char[]> buffer;
  thread_local size_t bufferSize = 0;
  if (bufferSize < maxBytes + 1) {
    buffer.reset(new char[maxBytes + 1]);
    bufferSize = maxBytes + 1;
  }
  std::vector<char> control(CMSG_SPACE((maxDescriptors + 1) * sizeof(int)), 0);
  iovec part{buffer.get(), maxBytes + 1};
  msghdr message{};
  const auto receive = [&](int flags) {
    message = msghdr{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control.data();
    message.msg_controllen = control.size();
    ssize_t got;
    do {
      got = ::recvmsg(socketFd, &message, MSG_CMSG_CLOEXEC | flags);
    } while (got < 0 && errno == EINTR);
    return got;
  };
  // A message already waiting is taken at once, without a wait.
  ssize_t got = receive(MSG_DONTWAIT);
  if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
    if (!waitReadable(socketFd, timeoutMs, stopFlag, received.result)) return received;
    got = receive(0);
  }
  received.descriptors = descriptorsOf(message);
  const bool tooLong = got > static_cast<ssize_t>(maxBytes) || (message.msg_flags & MSG_TRUNC);
  const bool tooMany =
      received.descriptors.size() > maxDescriptors || (message.msg_flags & MSG_CTRUNC) != 0;
  // A peer that ended with a message unread resets the connection.
  const bool peerGone = got < 0 && (errno == ECONNRESET || errno == EPIPE);
  if ((got == 0 && received.descriptors.empty()) || peerGone) {
    received.result = ReceiveResult::Closed;
  } else if (got < 0 || tooLong || tooMany) {
    received.result = ReceiveResult::Failed;
  } else {
    received.result = ReceiveResult::Message;
    received.bytes.assign(buffer.get(), static_cast<size_t>(got));
    return received;
  }
  closeAll(received.descriptors);
  received.descriptors.clear();
  received.bytes.clear();
  return received;
}

}  // namespace tallyfold
