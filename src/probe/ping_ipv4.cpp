// SPDX-License-Identifier: MIT
#include "probe/ping_ipv4.h"

#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "probe/echo_reply.h"
#include "probe/host_batch.h"
#include "probe/status_codes.h"
#ifdef _WIN32
#include "probe/windows/probe_platform.h"
#else
#include "probe/linux/probe_platform.h"
#endif

namespace orvane2 {
namespace {

// Sockets library version 2.2, major version in the low byte.
constexpr std::uint16_t kSocketsVersion = 0x0202;

// The reply buffer holds one reply record, the echoed payload and 8 bytes more for
// the quoted header of an ICMP error.
constexpr std::size_t kReplyBufferOverhead = kEchoReplyRecordSize + 8;

// Result of Resolve when formatting or copying the found address failed.
constexpr std::int32_t kCopyFailed = 1;

// Closes an echo handle when the scope is left without an explicit Close(), so an
// exception cannot leak it.
class EchoHandleCloser {
public:
    EchoHandleCloser(ProbePlatform& platform, EchoHandle handle) : platform_(platform), handle_(handle) {}
    EchoHandleCloser(const EchoHandleCloser&) = delete;
    EchoHandleCloser& operator=(const EchoHandleCloser&) = delete;
    ~EchoHandleCloser()
    {
        if (open_) {
            platform_.CloseEcho(handle_);
        }
    }

    // Closes the handle once; true on success.
    bool Close()
    {
        open_ = false;
        return platform_.CloseEcho(handle_);
    }

private:
    ProbePlatform& platform_;
    EchoHandle handle_;
    bool open_ = true;
};

std::string TrimSpaces(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

// A failed step must never report 0, which callers take as success.
std::int32_t NonZero(std::int32_t code, std::int32_t fallback)
{
    return code != 0 ? code : fallback;
}

}  // namespace

#ifdef _WIN32
PingIPv4::PingIPv4() : PingIPv4(std::make_unique<WindowsProbePlatform>()) {}
#else
PingIPv4::PingIPv4() : PingIPv4(std::make_unique<LinuxProbePlatform>()) {}
#endif

PingIPv4::PingIPv4(std::unique_ptr<ProbePlatform> platform) : platform_(std::move(platform))
{
    if (!platform_) {
        throw std::invalid_argument("PingIPv4 needs a platform");
    }
}

PingIPv4::~PingIPv4() = default;

bool PingIPv4::Ping(const std::string& IP)
{
    return Ping(IP, kDefaultTimeoutMS, std::string());
}

bool PingIPv4::Ping(const std::string& IP, std::int32_t TimeoutMS)
{
    return Ping(IP, TimeoutMS, std::string());
}

bool PingIPv4::Ping(const std::string& IP, std::int32_t TimeoutMS, const std::string& Data)
{
    const bool answered = Echo(IP, TimeoutMS, Data);
    lastOutcome_ = answered                      ? PingOutcome::Answered
                   : Reason == kReasonOpenFailed ? OutcomeWithoutEcho(*platform_, Status)
                                                 : PingOutcome::NoAnswer;
    return answered;
}

PingOutcome OutcomeWithoutEcho(const ProbePlatform& platform, std::int32_t openError)
{
    return platform.RefusesIcmp(openError) ? PingOutcome::NotPermitted : PingOutcome::NoAnswer;
}

bool PingIPv4::Echo(const std::string& IP, std::int32_t TimeoutMS, const std::string& Data)
{
    Status = 0;
    bool result = false;

    const std::uint32_t address = platform_->ParseAddress(IP);
    if (address == kNotAnAddress) {
        Reason = kReasonNotAnAddress;
        return false;
    }

    const EchoHandle handle = platform_->OpenEcho();
    if (handle == kInvalidEchoHandle) {
        const std::int32_t openError = platform_->LastError();
        Reason = kReasonOpenFailed;
        Status = openError;
        return false;
    }
    EchoHandleCloser closer(*platform_, handle);

    // Checked before the buffer is made so that an absurd size costs no memory; the
    // handle is closed by `closer` on the way out and nothing has been sent.
    if (Data.size() > kMaxDataSize) {
        throw std::overflow_error("Ping payload is longer than 32767 bytes");
    }
    std::vector<std::byte> reply(Data.size() + kReplyBufferOverhead);

    const std::uint32_t replies =
        platform_->SendEcho(handle, address, Data.data(), static_cast<std::uint16_t>(Data.size()), reply, TimeoutMS);
    const std::int32_t sendError = platform_->LastError();
    if (replies == 0) {
        Reason = kReasonNoReply;
        Status = sendError;
    } else {
        // Only the echo reply from the address itself answers (EchoStatus): a record
        // reporting an ICMP error (host unreachable, TTL expired, ...) or a reply from
        // elsewhere means the host did not answer.
        const EchoReplyRecord record = ReadEchoReply(reply);
        if (const std::int32_t status = EchoStatus(record, address); status == codes::kIpSuccess) {
            result = true;
            RoundTripTime = static_cast<std::int32_t>(record.roundTripTime);
        } else {
            Reason = kReasonNoReply;
            Status = status;
        }
    }

    if (!closer.Close()) {
        const std::int32_t closeError = platform_->LastError();
        result = false;
        Reason = kReasonCloseFailed;
        Status = closeError;
    }
    return result;
}

std::int32_t PingIPv4::Resolve(const std::string& NameOrIP, std::string& IP)
{
    return ResolveOn(*platform_, NameOrIP, IP);
}

bool RequiresLookup(ProbePlatform& platform, const std::string& NameOrIP)
{
    return platform.ParseAddress(TrimSpaces(NameOrIP)) == kNotAnAddress;
}

std::int32_t ResolveOn(ProbePlatform& platform, const std::string& NameOrIP, std::string& IP)
{
    std::int32_t result = 0;
    const std::string name = TrimSpaces(NameOrIP);

    // Text that parses as an address is used as written, without a lookup.
    if (platform.ParseAddress(name) != kNotAnAddress) {
        IP = name;
        return 0;
    }

    const std::int32_t started = platform.StartSockets(kSocketsVersion);
    if (started != 0) {
        return started;
    }

    const std::optional<HostEntry> entry = platform.LookupHost(name);
    const std::int32_t lookupError = platform.LastError();
    if (!entry) {
        result = NonZero(lookupError, codes::kWsaHostNotFound);
    } else if (entry->addresses.empty()) {
        // The name exists but has no IPv4 address to offer.
        result = codes::kWsaNoData;
    } else {
        const std::optional<std::string> dotted = platform.FormatAddress(entry->addresses.front());
        if (!dotted) {
            result = kCopyFailed;
        } else {
            std::optional<std::string> copy = platform.CopyText(*dotted, dotted->size() + 1);
            if (!copy) {
                result = kCopyFailed;
            } else {
                IP = std::move(*copy);
            }
        }
    }

    const std::int32_t cleaned = platform.CleanupSockets();
    const std::int32_t cleanupError = platform.LastError();
    if (cleaned != 0) {
        result = NonZero(cleanupError, cleaned);
    }
    return result;
}

void PingIPv4::StartBatch(std::vector<std::string> names, std::int32_t TimeoutMS, ReportSink report)
{
    if (!batches_)
        batches_ = std::make_unique<HostBatches>(*platform_);
    batches_->Start(std::move(names), TimeoutMS, std::move(report));
}

}  // namespace orvane2
