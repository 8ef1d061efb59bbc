// SPDX-License-Identifier: MIT
#include "probe/host_batch.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <utility>

#include "probe/ping_ipv4.h"

namespace orvane2 {

using Clock = EchoBatch::Clock;

// What the batch's threads share. The batch's own thread alone touches the platform,
// the echo batch (but for Wake) and the reports.
struct HostBatches::Batch {
    struct Resolution {
        std::size_t host = 0;
        std::int32_t result = 0;
        std::string address;
    };

    std::vector<std::string> names;
    std::int32_t timeoutMs = 0;
    HostProbe::ReportSink report;
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
    for (std::size_t host = 0; host < names.size(); ++host) {
        Batch::Resolution resolution{host, 0, {}};
        if (RequiresLookup(*batch->platform, names[host]))
            batch->toLookUp.push_back(host);
        else
            resolution.result = ResolveOn(*batch->platform, names[host], resolution.address),
            batch->dotted.push_back(std::move(resolution));
    }
    for (std::size_t i = 0; i < std::min(kLookupThreads, batch->toLookUp.size()); ++i)
        batch->lookupPlatforms.push_back(model_.ForAnotherThread());
    batch->names = std::move(names);
    running_ = batch;
    thread_ = std::thread([batch] { Run(*batch); });
}

void HostBatches::LookUp(Batch& batch, ProbePlatform& platform)
{
    for (;;) {
        const std::size_t next = batch.nextLookup++;
        if (next >= batch.toLookUp.size())
            return;
        Batch::Resolution resolution{batch.toLookUp[next], 0, {}};
        resolution.result = ResolveOn(platform, batch.names[resolution.host], resolution.address);
        const std::lock_guard lock(batch.mutex);
        if (batch.stop)
            return;
        batch.looked.push_back(std::move(resolution));
        batch.Notify();
    }
}

void HostBatches::Run(Batch& batch)
{
    ProbePlatform& platform = *batch.platform;
    const std::unique_ptr<EchoBatch> echo = platform.OpenEchoBatch();
    // Without an echo service every resolved host is reported at once, with this.
    const PingOutcome withoutEcho =
        !echo && platform.RefusesIcmp(platform.LastError()) ? PingOutcome::NotPermitted : PingOutcome::NoAnswer;
    {
        const std::lock_guard lock(batch.mutex);
        batch.echo = echo.get();
    }
    std::vector<std::jthread> lookups;
    std::string lookupFailure;  // why a lookup thread could not start
    for (const auto& lookupPlatform : batch.lookupPlatforms) {
        try {
            lookups.emplace_back([&batch, &lookupPlatform] { LookUp(batch, *lookupPlatform); });
        } catch (const std::system_error& error) {
            lookupFailure = error.what();
            break;  // the threads that started look up every name between them
        }
    }

    std::size_t unreported = batch.names.size();
    std::vector<std::string> addresses(batch.names.size());
    const auto report = [&](std::size_t host, std::int32_t resolveResult, PingOutcome outcome, std::int32_t ms) {
        HostReport found;
        found.host = host;
        found.resolveResult = resolveResult;
        found.address = addresses[host];
        found.outcome = outcome;
        found.roundTripMs = ms;
        --unreported;
        batch.report(found);
    };
    const EchoBatch::ResultSink collected = [&](std::size_t host, const EchoResult& result) {
        const bool answered = result.status == 0;
        report(host, 0, answered ? PingOutcome::Answered : PingOutcome::NoAnswer,
               answered ? static_cast<std::int32_t>(result.roundTripMs) : 0);
    };

    std::deque<std::pair<std::size_t, std::uint32_t>> toSend;  // host, address
    auto nextSend = Clock::now();
    const auto take = [&](std::vector<Batch::Resolution>& resolutions) {
        if (toSend.empty())
            nextSend = std::max(nextSend, Clock::now());  // no catching up on idle time
        for (Batch::Resolution& resolution : resolutions) {
            addresses[resolution.host] = std::move(resolution.address);
            if (resolution.result != 0) {
                addresses[resolution.host].clear();
                report(resolution.host, resolution.result, PingOutcome::NoAnswer, 0);
            } else if (const std::uint32_t address = platform.ParseAddress(addresses[resolution.host]);
                       !echo || address == kNotAnAddress) {
                report(resolution.host, 0, echo ? PingOutcome::NoAnswer : withoutEcho, 0);
            } else {
                toSend.emplace_back(resolution.host, address);
            }
        }
        resolutions.clear();
    };

    if (lookups.empty()) {
        // Not one lookup thread: the names that wait for one cannot be checked this time.
        for (std::size_t next = batch.nextLookup.exchange(batch.toLookUp.size()); next < batch.toLookUp.size();
             ++next) {
            HostReport failed;
            failed.host = batch.toLookUp[next];
            failed.outcome = PingOutcome::CheckFailed;
            failed.failure = lookupFailure;
            --unreported;
            batch.report(failed);
        }
    }
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
    const std::lock_guard lock(batch.mutex);
    batch.stop = true;  // lookups still running report nothing
    batch.echo = nullptr;
}

}  // namespace orvane2
