// SPDX-License-Identifier: MIT
#include "core/host_check.h"

#include <ctime>

namespace orvane2 {

namespace {

std::tm LocalTime(TimePoint when)
{
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    // The window's thread is the only one that asks for the time of day.
    const std::tm* local = std::localtime(&seconds);
    return local != nullptr ? *local : std::tm{};
}

std::string Format(const std::tm& time, const char* pattern)
{
    char text[32] = {};
    return std::strftime(text, sizeof text, pattern, &time) > 0 ? text : "";
}

}  // namespace

std::string StateWords(const HostCheck& check)
{
    switch (check.state) {
        case HostState::NotChecked:
            return "ещё не проверялся";
        case HostState::Answered:
            // The echo service counts whole milliseconds: 0 is a reply within the first.
            return "отвечает, " + (check.roundTripMs > 0 ? std::to_string(check.roundTripMs) : std::string("<1")) +
                   " мс";
        case HostState::NoAnswer:
            return "не отвечает";
        case HostState::Unresolved:
            return "имя не резолвится";
        case HostState::NotPermitted:
            return "нет права отправлять ICMP";
        case HostState::CheckFailed:
            return "не удалось проверить: " + check.failure;
    }
    return {};
}

std::string LocalTimeText(TimePoint when, const char* pattern)
{
    return Format(LocalTime(when), pattern);
}

void RecordCheck(HostCheck& check, HostState state, const std::string& address, std::int32_t roundTripMs, TimePoint now)
{
    if (check.state != state || !check.since)
        check.since = now;
    check.state = state;
    check.address = address;
    if (state == HostState::Answered)
        check.roundTripMs = roundTripMs;
    check.failure.clear();
}

void RecordFailedCheck(HostCheck& check, const std::string& failure, TimePoint now)
{
    RecordCheck(check, HostState::CheckFailed, {}, 0, now);
    check.failure = failure;
}

std::string DescribeHost(const std::string& hostName, const HostCheck& check, TimePoint now)
{
    // Appended in place: at -O3 (a Release build) GCC 12 takes "literal" + a temporary
    // string for an overlapping copy and warns (-Wrestrict).
    std::string text = hostName;
    if (!check.address.empty() && check.address != hostName)
        text.append("\n").append(check.address);
    text.append("\n").append(StateWords(check));
    if (check.since) {
        const std::tm since = LocalTime(*check.since);
        const std::tm today = LocalTime(now);
        const bool sameDay = since.tm_year == today.tm_year && since.tm_yday == today.tm_yday;
        text.append("\nс ").append(Format(since, sameDay ? "%H:%M:%S" : "%d.%m.%Y %H:%M:%S"));
    }
    return text;
}

}  // namespace orvane2
