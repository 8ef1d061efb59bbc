// SPDX-License-Identifier: MIT
#include "probe/host_batch.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <system_error>
#include <utility>

#include "probe/echo_reply.h"
#include "probe/ping_ipv4.h"
#include "probe/status_codes.h"

namespace orvane2 {

using Clock = EchoBatch::Clock;

// What the batch's threads share. The batch's own thread alone touches the platform,
// the echo batch (but for Wake) and the reports.
struct HostBatches::Batch {
    struct Resolution {
        std::size_t host = 0;
        std::int32_t result = 0;
        std::string address;
        std::string failure;  // what the lookup lacked: it could not be made
    };

    std::vector<std::string> names;
    std::int32_t timeoutMs = 0;
    HostProbe::ReportSink report;
    std::vector<bool> reported;  // by host: touched by the batch's own thread only
    std::unique_ptr<ProbePlatform> platform;
    std::vector<Resolution> dotted;                               // resolved without a lookup, in file order
    std::vector<std::size_t> toLookUp;                            // hosts whose names need a lookup
    std::vector<std::unique_ptr<ProbePlatform>> lookupPlatforms;  // one per lookup thread
    std::atomic<std::size_t> nextLookup = 0;                      // into toLookUp

    std::mutex mutex;  // guards what follows
    std::condition_variable changed;
    std::vector<Resolution> looked;  // lookups done and not yet taken by the batch's thread
    EchoBatch* echo = nullptr;       // while open: woken when a lookup is done
    bool stop = false;

    // Reports a host once, from the batch's own thread; false when it was reported before.
    bool Report(const HostReport& found)
    {
        if (reported.at(found.host))
            return false;
        reported[found.host] = true;
        report(found);
        return true;
    }

    // Tells the batch's thread that there is something new for it; under the mutex.
    void Notify()
    {
        if (echo != nullptr)
            echo->Wake();
        changed.notify_all();
    }
};

HostBatches::HostBatches(const ProbePlatform& model) : model_(model) {}

HostBatches::~HostBatches()
{
    if (running_) {
        const std::lock_guard lock(running_->mutex);
        running_->stop = true;
        running_->Notify();
    }
    if (thread_.joinable())
        thread_.join();
}

void HostBatches::Start(std::vector<std::string> names, std::int32_t timeoutMs, HostProbe::ReportSink report)
{
    if (thread_.joinable())
        thread_.join();  // the last batch is over, or nearly
    auto batch = std::make_shared<Batch>();
    batch->timeoutMs = timeoutMs;
    batch->report = std::move(report);
    batch->platform = model_.ForAnotherThread();
    batch->reported.assign(names.size(), false);
    for (std::size_t host = 0; host < names.size(); ++host) {
        Batch::Resolution resolution{host, 0, {}, {}};
        if (RequiresLookup(*batch->platform, names[host]))
            batch->toLookUp.push_back(host);
        else
            resolution.result = ResolveOn(*batch->platform, names[host], resolution.address),
            batch->dotted.push_back(std::move(resolution));
    }
    for (std::size_t i = 0; i < std::min(kLookupThreads, batch->toLookUp.size()); ++i)
        batch->lookupPlatforms.push_back(model_.ForAnotherThread());
    batch->names = std::move(names);
    thread_ = std::thread([batch] { Run(*batch); });  // std::system_error when no thread can be had
    running_ = batch;
}

void HostBatches::LookUp(Batch& batch, ProbePlatform& platform)
{
    for (;;) {
        const std::size_t next = batch.nextLookup++;
        if (next >= batch.toLookUp.size())
            return;
        Batch::Resolution resolution{batch.toLookUp[next], 0, {}, {}};
        try {
            resolution.result = ResolveOn(platform, batch.names[resolution.host], resolution.address);
        } catch (const std::exception& error) {  // no memory for the lookup, say
            resolution = {resolution.host, 0, {}, error.what()};
        }
        const std::lock_guard lock(batch.mutex);
        if (batch.stop)
            return;
        batch.looked.push_back(std::move(resolution));
        batch.Notify();
    }
}

void HostBatches::Run(Batch& batch)
{
    try {
        Check(batch);
    } catch (const std::exception& error) {
        ReportTheRest(batch, error.what());
    } catch (...) {
        ReportTheRest(batch, "unknown error");
    }
}

void HostBatches::ReportTheRest(Batch& batch, const std::string& failure)
{
    for (std::size_t host = 0; host < batch.names.size(); ++host) {
        HostReport found;
        found.host = host;
        found.outcome = PingOutcome::CheckFailed;
        found.failure = failure;
        try {
            batch.Report(found);
        } catch (...) {  // the sink's own failure: the host counts as reported
        }
    }
}

void HostBatches::Check(Batch& batch)
{
    ProbePlatform& platform = *batch.platform;
    std::unique_ptr<EchoBatch> echo;
    std::string missing;  // what the echo service lacked
    try {
        echo = platform.OpenEchoBatch();
    } catch (const std::system_error& error) {
        missing = error.what();
    }
    // Without an echo service every resolved host is reported at once, with this.
    const PingOutcome withoutEcho = !missing.empty() ? PingOutcome::CheckFailed
                                    : echo           ? PingOutcome::NoAnswer
                                                     : OutcomeWithoutEcho(platform, platform.LastError());
    {
        const std::lock_guard lock(batch.mutex);
        batch.echo = echo.get();
    }
    std::vector<std::jthread> lookups;
    // However Check ends: lookups still running report nothing, and the echo batch is
    // not woken once it goes; before the lookups are waited for.
    struct Over {
        Batch& batch;
        ~Over()
        {
            const std::lock_guard lock(batch.mutex);
            batch.stop = true;
            batch.echo = nullptr;
        }
    } over{batch};
    std::string noLookup;  // why not even one lookup thread could be started
    for (const auto& lookupPlatform : batch.lookupPlatforms) {
        try {
            lookups.emplace_back([&batch, &lookupPlatform] { LookUp(batch, *lookupPlatform); });
        } catch (const std::system_error& error) {  // the others take its share
            noLookup = error.what();
            break;
        }
    }

    std::size_t unreported = batch.names.size();
    std::vector<std::string> addresses(batch.names.size());
    const auto report = [&](std::size_t host, std::int32_t resolveResult, PingOutcome outcome, std::int32_t ms,
                            const std::string& failure = {}) {
        HostReport found;
        found.host = host;
        found.resolveResult = resolveResult;
        found.address = addresses[host];
        found.outcome = outcome;
        found.roundTripMs = ms;
        found.failure = outcome == PingOutcome::CheckFailed ? failure : std::string();
        if (batch.Report(found))
            --unreported;
    };
    if (lookups.empty())
        for (const std::size_t host : batch.toLookUp)
            report(host, 0, PingOutcome::CheckFailed, 0, noLookup);
    std::vector<std::uint32_t> destinations(batch.names.size());
    const EchoBatch::ResultSink collected = [&](std::size_t host, const EchoReplyRecord& result) {
        const bool answered = EchoStatus(result, destinations[host]) == codes::kIpSuccess;
        report(host, 0, answered ? PingOutcome::Answered : PingOutcome::NoAnswer,
               answered ? static_cast<std::int32_t>(result.roundTripTime) : 0);
    };

    std::deque<std::pair<std::size_t, std::uint32_t>> toSend;  // host, address
    auto nextSend = Clock::now();
    const auto take = [&](std::vector<Batch::Resolution>& resolutions) {
        if (toSend.empty())
            nextSend = std::max(nextSend, Clock::now());  // no catching up on idle time
        for (Batch::Resolution& resolution : resolutions) {
            addresses[resolution.host] = std::move(resolution.address);
            if (!resolution.failure.empty()) {
                addresses[resolution.host].clear();
                report(resolution.host, 0, PingOutcome::CheckFailed, 0, resolution.failure);
            } else if (resolution.result != 0) {
                addresses[resolution.host].clear();
                report(resolution.host, resolution.result, PingOutcome::NoAnswer, 0);
            } else if (const std::uint32_t address = platform.ParseAddress(addresses[resolution.host]);
                       !echo || address == kNotAnAddress) {
                report(resolution.host, 0, echo ? PingOutcome::NoAnswer : withoutEcho, 0, missing);
            } else {
                destinations[resolution.host] = address;
                toSend.emplace_back(resolution.host, address);
            }
        }
        resolutions.clear();
    };

    take(batch.dotted);
    while (unreported > 0) {
        std::vector<Batch::Resolution> looked;
        {
            std::unique_lock lock(batch.mutex);
            if (!echo)
                batch.changed.wait(lock, [&] { return batch.stop || !batch.looked.empty(); });
            if (batch.stop)
                break;
            looked.swap(batch.looked);
        }
        take(looked);
        // Every request that is due leaves now; a wait that overslept (a coarse timer)
        // is made up for with a few at once.
        for (auto now = Clock::now(); !toSend.empty() && nextSend <= now; nextSend += kSendSpacing) {
            echo->Send(toSend.front().first, toSend.front().second, batch.timeoutMs);
            toSend.pop_front();
        }
        if (echo && unreported > 0)
            echo->Collect(toSend.empty() ? Clock::time_point::max() : nextSend, collected);
    }
}

}  // namespace orvane2
