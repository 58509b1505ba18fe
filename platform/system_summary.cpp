#include "platform/system_summary.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>

namespace tallyfold {

namespace {

constexpr uint64_t kMebibyte = 1024 * 1024;

std::string hostName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

std::string kernelText() {
  utsname system{};
  if (uname(&system) != 0) return {};
  return std::string(system.sysname) + " " + system.release;
}

// PRETTY_NAME of os-release, without its quotes.
std::string distributionName() {
  for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
      if (line.rfind("PRETTY_NAME=", 0) != 0) continue;
      std::string value = line.substr(12);
      if (value.size() >= 2 && (value.front() == '"' || value.front() == '\''))
        value = value.substr(1, value.size() - 2);
      return value;
    }
  }
  return {};
}

std::string addressText(const sockaddr* address) {
  char text[INET6_ADDRSTRLEN] = {};
  const void* bytes = nullptr;
  if (address->sa_family == AF_INET)
    bytes = &reinterpret_cast<const sockaddr_in*>(address)->sin_addr;
  else if (address->sa_family == AF_INET6)
    bytes = &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr;
  if (bytes == nullptr || inet_ntop(address->sa_family, bytes, text, sizeof text) == nullptr)
    return {};
  return text;
}

bool isLoopback(const sockaddr* address) {
  if (address->sa_family == AF_INET) {
    uint32_t ip = ntohl(reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr);
    return (ip >> 24) == 127;
  }
  if (address->sa_family == AF_INET6) {
    const in6_addr& ip = reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr;
    return IN6_IS_ADDR_LOOPBACK(&ip) || IN6_IS_ADDR_LINKLOCAL(&ip);
  }
  return true;
}

// The host name's own addresses first; Debian maps the name to 127.0.1.1, so
// the interfaces are asked when the name gives only loopback addresses.
std::string hostAddress(const std::string& host) {
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  std::string address;
  if (!host.empty() && getaddrinfo(host.c_str(), nullptr, &hints, &found) == 0) {
    for (addrinfo* it = found; it != nullptr && address.empty(); it = it->ai_next)
      if (!isLoopback(it->ai_addr)) address = addressText(it->ai_addr);
    freeaddrinfo(found);
  }
  return address;
}

std::string interfaceAddress() {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return {};
  std::string address;
  for (ifaddrs* it = list; it != nullptr && address.empty(); it = it->ifa_next)
    if (it->ifa_addr != nullptr && !isLoopback(it->ifa_addr)) address = addressText(it->ifa_addr);
  freeifaddrs(list);
  return address;
}

std::string mebibytes(uint64_t bytes) {
  return std::to_string((bytes + kMebibyte / 2) / kMebibyte) + " MiB";
}

}  // namespace

std::string systemSummary() {
  std::string host = hostName();
  std::string os = kernelText();
  std::string distribution = distributionName();
  if (!distribution.empty()) os += os.empty() ? distribution : " (" + distribution + ")";
  struct sysinfo memory {};
  bool haveMemory = sysinfo(&memory) == 0;
  std::string address = hostAddress(host);
  if (address.empty()) address = interfaceAddress();

  std::string text;
  text += "Computer Name: " + host + "\r\n";
  text += "OS : " + os + "\r\n";
  text +=
      "Total Ram: " + (haveMemory ? mebibytes(uint64_t{memory.totalram} * memory.mem_unit) : "") +
      "\r\n";
  text += "Ram Available: " +
          (haveMemory ? mebibytes(uint64_t{memory.freeram} * memory.mem_unit) : "") + "\r\n";
  text += "IP Address: " + address + "\r\n";
  return text;
}

}  // namespace tallyfold
