// SPDX-License-Identifier: MIT
#include "probe/windows/echo_batch.h"

// winsock2.h must come before windows.h; winternl.h declares the I/O APC routine that
// icmpapi.h then takes for IcmpSendEcho2, as Windows since Vista and Wine call it.
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <winternl.h>
#define PIO_APC_ROUTINE_DEFINED
#include <icmpapi.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <deque>
#include <system_error>
#include <utility>
#include <vector>

#include "probe/status_codes.h"

namespace orvane2 {
namespace {

using Clock = EchoBatch::Clock;

// The service reports every request at its own deadline. Past that by kLateResult, a
// request counts as timed out all the same, and a batch being closed waits at most
// kLateReturn past the last deadline for the service to give its buffers back: a faulty
// service must not hold up the cycle, nor the program, for ever.
constexpr auto kLateResult = std::chrono::milliseconds(1000);
constexpr auto kLateReturn = std::chrono::milliseconds(5000);

// The native reply buffer of one request: one reply record, the 8 bytes of the echo
// header that an error quotes, the quoted IP header, and the I/O status block that an
// asynchronous call keeps at its end.
constexpr std::size_t kReplyBufferSize = sizeof(ICMP_ECHO_REPLY) + 8 + kQuotedHeaderRoom + sizeof(IO_STATUS_BLOCK);

struct Requests;

EchoReplyRecord TimedOut()
{
    EchoReplyRecord result;
    result.status = static_cast<std::uint32_t>(codes::kIpReqTimedOut);
    return result;
}

// One echo request, from its send until the service has given its buffer back.
struct Request {
    Requests* owner = nullptr;
    std::size_t number = 0;
    Clock::time_point deadline;
    bool withService = false;  // the service holds the buffer: its APC has not run yet
    bool reported = false;     // its result has been handed to Collect
    alignas(ICMP_ECHO_REPLY) std::byte reply[kReplyBufferSize] = {};
};

// All that the APCs touch, apart from the batch: a service that never gives its buffers
// back is left this, and nothing is freed under it.
struct Requests {
    std::deque<Request> sent;  // a request stays where it is while more are added
    std::vector<std::pair<std::size_t, EchoReplyRecord>> ready;
    std::size_t withService = 0;

    void Report(Request& request, const EchoReplyRecord& result)
    {
        if (request.reported)
            return;
        request.reported = true;
        ready.emplace_back(request.number, result);
    }
};

// What the service wrote for a completed request that it counted replies for: the first
// reply record, or, for none, the error that says why (EchoBatch::ResultSink).
EchoReplyRecord ResultOf(const Request& request, DWORD replies, std::int32_t error)
{
    EchoReplyRecord result;
    if (replies == 0) {
        result.status = static_cast<std::uint32_t>(error != 0 ? error : codes::kIpGeneralFailure);
        return result;
    }
    ICMP_ECHO_REPLY first{};
    std::memcpy(&first, request.reply, sizeof first);
    result.address = first.Address;
    result.status = first.Status;
    result.roundTripTime = first.RoundTripTime;
    return result;
}

// Run by the service, through an APC on the thread that sent the request, while that
// thread waits alertably.
void NTAPI Completed(void* context, IO_STATUS_BLOCK* /*status*/, ULONG /*reserved*/)
{
    Request& request = *static_cast<Request*>(context);
    if (!request.withService)
        return;
    request.withService = false;
    --request.owner->withService;
    SetLastError(0);
    const DWORD replies = IcmpParseReplies(request.reply, sizeof request.reply);
    request.owner->Report(request, ResultOf(request, replies, static_cast<std::int32_t>(GetLastError())));
}

struct EchoCloser {
    void operator()(HANDLE echo) const { IcmpCloseHandle(echo); }
};
struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};

class WindowsEchoBatch final : public EchoBatch {
public:
    using Echo = std::unique_ptr<void, EchoCloser>;
    using Event = std::unique_ptr<void, HandleCloser>;
    WindowsEchoBatch(Echo echo, Event wake) : echo_(std::move(echo)), wake_(std::move(wake)) {}
    ~WindowsEchoBatch() override;
    WindowsEchoBatch(const WindowsEchoBatch&) = delete;
    WindowsEchoBatch& operator=(const WindowsEchoBatch&) = delete;

    void Send(std::size_t request, std::uint32_t destination, std::int32_t timeoutMs) override;
    void Collect(Clock::time_point until, const ResultSink& sink) override;
    void Wake() override { SetEvent(wake_.get()); }

private:
    // Reports as timed out the requests that the service keeps too long past their
    // deadline, and returns when the next one falls due.
    Clock::time_point ReportOverdue(Clock::time_point now);

    Echo echo_;
    Event wake_;
    std::unique_ptr<Requests> requests_ = std::make_unique<Requests>();
};

// An echo handle or event that cannot be had for want of handles or memory is the
// batch's failure (EchoBatch).
void ThrowForWantOfResource(std::int32_t error)
{
    if (error == ERROR_TOO_MANY_OPEN_FILES || error == ERROR_NOT_ENOUGH_MEMORY || error == ERROR_OUTOFMEMORY ||
        error == ERROR_NO_SYSTEM_RESOURCES)
        throw std::system_error(error, std::system_category());
}

// Milliseconds from now until then for a wait: rounded up, so that a wait never ends
// before then, and never INFINITE.
DWORD WaitMs(Clock::time_point now, Clock::time_point then)
{
    if (then <= now)
        return 0;
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(then - now).count();
    return static_cast<DWORD>(std::min<long long>(ms, INFINITE - 1));
}

WindowsEchoBatch::~WindowsEchoBatch()
{
    // Closing the handle cancels what is still out on Windows; Wine lets each request
    // run to its deadline. Either way every buffer comes back through its APC, which
    // runs here, before the buffers go.
    echo_.reset();
    Clock::time_point last = Clock::now();
    for (const Request& request : requests_->sent)
        last = std::max(last, request.deadline);
    last += kLateReturn;
    for (Clock::time_point now = Clock::now(); requests_->withService > 0 && now < last; now = Clock::now())
        SleepEx(WaitMs(now, last), TRUE);
    if (requests_->withService > 0)
        static_cast<void>(requests_.release());  // left to the service, which may still write them
}

void WindowsEchoBatch::Send(std::size_t number, std::uint32_t destination, std::int32_t timeoutMs)
{
    const auto timeout = static_cast<DWORD>(std::max(timeoutMs, 0));
    Request& request = requests_->sent.emplace_back();
    request.owner = requests_.get();
    request.number = number;
    request.deadline = Clock::now() + std::chrono::milliseconds(timeout);
    const DWORD replies = IcmpSendEcho2(echo_.get(), nullptr, &Completed, &request, destination, nullptr, 0, nullptr,
                                        request.reply, sizeof request.reply, timeout);
    const auto error = static_cast<std::int32_t>(GetLastError());
    if (replies == 0 && error == ERROR_IO_PENDING) {
        request.withService = true;
        ++requests_->withService;
        return;
    }
    // Done at once: the send failed, or the service already had the answer.
    requests_->Report(request, ResultOf(request, replies, error));
}

Clock::time_point WindowsEchoBatch::ReportOverdue(Clock::time_point now)
{
    Clock::time_point next = Clock::time_point::max();
    for (Request& request : requests_->sent) {
        if (!request.withService || request.reported)
            continue;
        if (now >= request.deadline + kLateResult)
            requests_->Report(request, TimedOut());
        else
            next = std::min(next, request.deadline + kLateResult);
    }
    return next;
}

void WindowsEchoBatch::Collect(Clock::time_point until, const ResultSink& sink)
{
    for (;;) {
        const Clock::time_point now = Clock::now();
        const Clock::time_point overdue = ReportOverdue(now);
        if (!requests_->ready.empty())
            break;
        // Alertable: the APCs queued meanwhile run in here (WAIT_IO_COMPLETION), also
        // when `until` has passed and the wait is for no time at all.
        const DWORD woke = WaitForSingleObjectEx(wake_.get(), WaitMs(now, std::min(until, overdue)), TRUE);
        if (woke != WAIT_IO_COMPLETION && (woke != WAIT_TIMEOUT || Clock::now() >= until))
            break;
    }
    const auto results = std::exchange(requests_->ready, {});
    for (const auto& [number, result] : results)
        sink(number, result);
}

}  // namespace

std::unique_ptr<EchoBatch> OpenWindowsEchoBatch(std::int32_t& error)
{
    WindowsEchoBatch::Event wake(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!wake) {
        error = static_cast<std::int32_t>(GetLastError());
        ThrowForWantOfResource(error);
        return nullptr;
    }
    const HANDLE echo = IcmpCreateFile();
    if (echo == INVALID_HANDLE_VALUE) {
        error = static_cast<std::int32_t>(GetLastError());
        ThrowForWantOfResource(error);
        return nullptr;
    }
    error = 0;
    return std::make_unique<WindowsEchoBatch>(WindowsEchoBatch::Echo(echo), std::move(wake));
}

}  // namespace orvane2
