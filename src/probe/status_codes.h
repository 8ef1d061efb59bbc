// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

// Error numbers as Windows reports them. The probe uses them on every platform so
// that a value in Status or in a Resolve result means the same thing everywhere.
namespace orvane2::codes {

// IP status values of the ICMP echo service (IP_* in ipexport.h).
inline constexpr std::int32_t kIpSuccess = 0;
inline constexpr std::int32_t kIpBufTooSmall = 11001;
inline constexpr std::int32_t kIpDestNetUnreachable = 11002;
inline constexpr std::int32_t kIpDestHostUnreachable = 11003;
inline constexpr std::int32_t kIpDestProtUnreachable = 11004;
inline constexpr std::int32_t kIpDestPortUnreachable = 11005;
inline constexpr std::int32_t kIpNoResources = 11006;
inline constexpr std::int32_t kIpPacketTooBig = 11009;
inline constexpr std::int32_t kIpReqTimedOut = 11010;
inline constexpr std::int32_t kIpBadRoute = 11012;
inline constexpr std::int32_t kIpTtlExpiredTransit = 11013;
inline constexpr std::int32_t kIpTtlExpiredReassem = 11014;
inline constexpr std::int32_t kIpParamProblem = 11015;
inline constexpr std::int32_t kIpGeneralFailure = 11050;

// General Windows error numbers (winerror.h).
inline constexpr std::int32_t kErrorInvalidHandle = 6;
inline constexpr std::int32_t kErrorNotEnoughMemory = 8;
inline constexpr std::int32_t kErrorInvalidParameter = 87;

// Windows Sockets error numbers (WSA* in winsock2.h).
inline constexpr std::int32_t kWsaVerNotSupported = 10092;
inline constexpr std::int32_t kWsaNotInitialised = 10093;
inline constexpr std::int32_t kWsaHostNotFound = 11001;
inline constexpr std::int32_t kWsaTryAgain = 11002;
inline constexpr std::int32_t kWsaNoRecovery = 11003;
inline constexpr std::int32_t kWsaNoData = 11004;

}  // namespace orvane2::codes
