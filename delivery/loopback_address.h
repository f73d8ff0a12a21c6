// Whether a relay host written as a numeric address is this machine. The
// address syntax is the system's own (inet_pton): loopback_address_posix.cc
// and loopback_address_windows.cc.
#ifndef SARVILAX_DELIVERY_LOOPBACK_ADDRESS_H_
#define SARVILAX_DELIVERY_LOOPBACK_ADDRESS_H_

#include <string>

namespace sarvilax {

// True for an IPv4 address in 127.0.0.0/8 and for the IPv6 address ::1, in
// any spelling the system accepts; false for anything else, host names
// included.
bool IsLoopbackAddress(const std::string& host);

}  // namespace sarvilax

#endif  // SARVILAX_DELIVERY_LOOPBACK_ADDRESS_H_
