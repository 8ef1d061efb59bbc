// SPDX-License-Identifier: MIT
// What the namespace tests of a batch share, on Linux and under Wine: the board of
// test_network.sh's hosts, and one batch over a list of hosts.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "probe/host_probe.h"

namespace orvane2::testing {

// 255 hosts, two in five silent (192.0.2.128/25) among answering ones (203.0.113.0/24), and
// what a batch must find for each: 'N' or 'A'.
inline std::pair<std::vector<std::string>, std::string> MixedBoard()
{
    std::pair<std::vector<std::string>, std::string> board;
    for (int i = 0, silent = 128, answering = 1; i < 255; ++i) {
        const bool quiet = i % 5 < 2;
        board.first.push_back(quiet ? "192.0.2." + std::to_string(silent++)
                                    : "203.0.113." + std::to_string(answering++));
        board.second += quiet ? 'N' : 'A';
    }
    return board;
}

// Runs one batch over names with a timeout of timeoutMs: what it found for each host in
// order ('A' answered, 'N' no answer, 'R' not resolved, 'F' not checked for want of a
// resource, '2' reported twice, '?' not
// reported within 10 s: a sequential check of 102 silent hosts would take 102 s), and how
// far echoes() (the echo requests counted somewhere) moved meanwhile.
inline std::pair<std::string, long> Batch(HostProbe& probe, const std::vector<std::string>& names,
                                          const std::function<long()>& echoes, std::int32_t timeoutMs = 1000)
{
    struct Found {  // shared with a batch that may outlive the wait
        std::mutex mutex;
        std::condition_variable changed;
        std::string hosts;
        std::size_t reported = 0;
    };
    const auto found = std::make_shared<Found>();
    found->hosts.assign(names.size(), '?');
    const long before = echoes();
    probe.StartBatch(names, timeoutMs, [found](const HostReport& report) {
        const std::lock_guard lock(found->mutex);
        char& host = found->hosts.at(report.host);
        host = host != '?'                                  ? '2'
               : report.resolveResult != 0                  ? 'R'
               : report.outcome == PingOutcome::Answered    ? 'A'
               : report.outcome == PingOutcome::CheckFailed ? 'F'
                                                            : 'N';
        ++found->reported;
        found->changed.notify_all();
    });
    std::unique_lock lock(found->mutex);
    found->changed.wait_for(lock, std::chrono::seconds(10), [&] { return found->reported >= names.size(); });
    return {found->hosts, echoes() - before};
}

}  // namespace orvane2::testing
