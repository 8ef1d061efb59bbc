// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace orvane2 {

using TimePoint = std::chrono::system_clock::time_point;

// What the last completed check of a host found.
enum class HostState {
    NotChecked,    // no check has reached the host yet
    Answered,      // it answered the echo
    NoAnswer,      // no answer within the timeout (or the echo failed)
    Unresolved,    // its name did not resolve
    NotPermitted,  // the system lets the program send no ICMP
    CheckFailed,   // it could not be checked at all, for want of a resource (a thread, a socket)
};

struct HostCheck {
    HostState state = HostState::NotChecked;
    std::string address;             // the dotted address checked; empty when the name did not resolve
    std::int32_t roundTripMs = 0;    // of the last answer
    std::optional<TimePoint> since;  // when the state last changed
    std::string failure;             // what the check lacked; only for CheckFailed
};

// Records the outcome of a completed check: the time of change moves only when the state
// does.
void RecordCheck(HostCheck& check, HostState state, const std::string& address, std::int32_t roundTripMs,
                 TimePoint now);
// Records a check that could not be made, and what it lacked.
void RecordFailedCheck(HostCheck& check, const std::string& failure, TimePoint now);

// The state in the words the labels use: «отвечает, 3 мс», «не отвечает»…
std::string StateWords(const HostCheck& check);

// A time of day in local time, as strftime's pattern has it; empty when it cannot be told.
std::string LocalTimeText(TimePoint when, const char* pattern);

// The host's state in words, one fact a line: the host as written in the file, the
// address checked, the state, and since when (the date too when that was not today).
std::string DescribeHost(const std::string& hostName, const HostCheck& check, TimePoint now);

}  // namespace orvane2
