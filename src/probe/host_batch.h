// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "probe/host_probe.h"
#include "probe/probe_platform.h"

namespace orvane2 {

// Runs PingIPv4's batches, one at a time. A batch has a thread of its own, which sends
// every request and collects every result on one EchoBatch and reports each host; names
// are looked up meanwhile on at most kLookupThreads threads of the batch's, each
// lookup blocking only its own thread. Every thread works on a platform of its own,
// made from the model's on the thread that starts the batch.
class HostBatches {
public:
    static constexpr std::size_t kLookupThreads = 8;
    // Requests leave at least this far apart, so that the answers of a whole board come
    // spread over a few hundred milliseconds rather than all in the same instant.
    static constexpr std::chrono::microseconds kSendSpacing{1000};

    explicit HostBatches(const ProbePlatform& model);
    // Stops the running batch and waits for its threads (a lookup in progress ends first).
    ~HostBatches();
    HostBatches(const HostBatches&) = delete;
    HostBatches& operator=(const HostBatches&) = delete;

    // As HostProbe::StartBatch.
    void Start(std::vector<std::string> names, std::int32_t timeoutMs, HostProbe::ReportSink report);

private:
    struct Batch;
    // The batch's thread: Check, and when that fails, every host not yet reported as
    // CheckFailed with the failure's description; nothing escapes from it.
    static void Run(Batch& batch);
    static void Check(Batch& batch);
    static void ReportTheRest(Batch& batch, const std::string& failure);
    static void LookUp(Batch& batch, ProbePlatform& platform);

    const ProbePlatform& model_;
    std::shared_ptr<Batch> running_;
    std::thread thread_;
};

}  // namespace orvane2
