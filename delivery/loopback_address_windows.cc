#include "delivery/loopback_address.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace sarvilax {

namespace {

// The socket library is started for the parse, as every use of it asks.
class SocketLibrary {
 public:
  SocketLibrary() {
    WSADATA data;
    started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }
  ~SocketLibrary() {
    if (started_) WSACleanup();
  }
  SocketLibrary(const SocketLibrary&) = delete;
  SocketLibrary& operator=(const SocketLibrary&) = delete;

 private:
  bool started_ = false;
};

}  // namespace

bool IsLoopbackAddress(const std::string& host) {
  const SocketLibrary library;
  in_addr v4{};
  if (inet_pton(AF_INET, host.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
  in6_addr v6{};
  return inet_pton(AF_INET6, host.c_str(), &v6) == 1 && IN6_IS_ADDR_LOOPBACK(&v6);
}

}  // namespace sarvilax
