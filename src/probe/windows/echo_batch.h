// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "probe/probe_platform.h"

namespace orvane2 {

// Room in a native reply buffer for the IP header (up to 60 bytes) that an ICMP error
// quotes. Windows itself needs only the 8 bytes of the echo header, but Wine's echo
// service reads an incoming error into a buffer sized from the reply buffer; cut short,
// the error cannot be matched to the request and the request waits out its timeout
// instead of reporting, say, an unreachable host.
inline constexpr std::size_t kQuotedHeaderRoom = 60;

// A batch of echo requests on the ICMP echo service's own asynchronous calls: one echo
// handle, every request sent with IcmpSendEcho2 and completed by an APC that the service
// queues to the sending thread, which runs it while Collect waits alertably. No thread,
// event or wait handle per request, so any number may be out at once. Null when the
// echo handle or the wake-up event cannot be made, with the system's error in error;
// std::system_error when that is for want of handles or memory.
std::unique_ptr<EchoBatch> OpenWindowsEchoBatch(std::int32_t& error);

}  // namespace orvane2
