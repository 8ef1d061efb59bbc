// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace orvane2 {

// Windows IP status for an ICMP error message (destination unreachable, time
// exceeded, parameter problem) of the given type and code; codes without a status
// of their own get the nearest one.
std::int32_t IpStatusForIcmpError(std::uint8_t type, std::uint8_t code);

// Windows IP status for an errno value from sending or receiving an echo.
std::int32_t IpStatusForErrno(int error);

// Windows Sockets error number for a failed getaddrinfo; never 0.
std::int32_t WsaErrorForLookup(int gaiError);

}  // namespace orvane2
