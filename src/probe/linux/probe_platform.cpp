// SPDX-License-Identifier: MIT
#include "probe/linux/probe_platform.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <system_error>

#include "probe/echo_reply.h"
#include "probe/linux/echo_batch.h"
#include "probe/linux/echo_router.h"
#include "probe/linux/icmp_socket.h"
#include "probe/linux/status_mapping.h"
#include "probe/linux/unique_fd.h"
#include "probe/status_codes.h"

namespace orvane2 {
namespace {

// Room the echo service needs beyond the payload: one reply record and the 8
// bytes of a quoted header.
constexpr std::size_t kReplyOverhead = kEchoReplyRecordSize + 8;

// A batch's socket or wake-up event that cannot be had for want of descriptors, memory
// or buffers is the batch's failure, not a matter of permission.
void ThrowForWantOfResource(int error)
{
    if (error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM)
        throw std::system_error(error, std::generic_category());
}

// The descriptor behind a handle, or -1 when the value cannot be one.
int DescriptorOf(EchoHandle handle)
{
    return handle >= 0 && handle <= INT_MAX ? static_cast<int>(handle) : -1;
}

}  // namespace

LinuxProbePlatform::LinuxProbePlatform(int sharedRawSocket) : sharedRawSocket_(sharedRawSocket) {}

std::int32_t LinuxProbePlatform::LastError() const
{
    return lastError_;
}

std::uint32_t LinuxProbePlatform::ParseAddress(const std::string& text)
{
    lastError_ = 0;
    return ::inet_addr(text.c_str());
}

std::int32_t LinuxProbePlatform::StartSockets(std::uint16_t version)
{
    if ((version & 0xFF) == 0) {
        lastError_ = codes::kWsaVerNotSupported;
        return codes::kWsaVerNotSupported;
    }
    ++startedSockets_;
    lastError_ = 0;
    return 0;
}

std::int32_t LinuxProbePlatform::CleanupSockets()
{
    if (startedSockets_ == 0) {
        lastError_ = codes::kWsaNotInitialised;
        return -1;
    }
    --startedSockets_;
    lastError_ = 0;
    return 0;
}

std::optional<HostEntry> LinuxProbePlatform::LookupHost(const std::string& name)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;  // one entry per address
    addrinfo* found = nullptr;
    const int error = ::getaddrinfo(name.c_str(), nullptr, &hints, &found);
    const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> owner(found, &::freeaddrinfo);
    if (error != 0) {
        lastError_ = WsaErrorForLookup(error);
        return std::nullopt;
    }
    HostEntry entry;
    for (const addrinfo* item = found; item != nullptr; item = item->ai_next) {
        if (item->ai_family == AF_INET && item->ai_addr != nullptr && item->ai_addrlen >= sizeof(sockaddr_in)) {
            sockaddr_in address{};
            std::memcpy(&address, item->ai_addr, sizeof address);
            entry.addresses.push_back(address.sin_addr.s_addr);
        }
    }
    lastError_ = 0;
    return entry;
}

std::optional<std::string> LinuxProbePlatform::FormatAddress(std::uint32_t address)
{
    in_addr value{};
    value.s_addr = address;
    char text[INET_ADDRSTRLEN] = {};
    if (::inet_ntop(AF_INET, &value, text, sizeof text) == nullptr) {
        lastError_ = errno;
        return std::nullopt;
    }
    lastError_ = 0;
    return std::string(text);
}

std::optional<std::string> LinuxProbePlatform::CopyText(std::string_view text, std::size_t bound)
{
    if (bound == 0) {
        // Not even the terminator fits.
        lastError_ = codes::kErrorInvalidParameter;
        return std::nullopt;
    }
    lastError_ = 0;
    return std::string(text.substr(0, bound - 1));
}

EchoHandle LinuxProbePlatform::OpenEcho()
{
    if (sharedRawSocket_ >= 0) {
        // Each probe gets its own descriptor of the shared socket, which CloseEcho closes.
        UniqueFd copy(::fcntl(sharedRawSocket_, F_DUPFD_CLOEXEC, 0));
        lastError_ = copy ? 0 : errno;
        if (!copy)
            return kInvalidEchoHandle;
        openEchoes_[copy.get()] = IcmpSocketKind::kRaw;
        return copy.release();
    }
    IcmpSocket socket = OpenIcmpSocket();
    lastError_ = socket.error;
    if (!socket.fd)
        return kInvalidEchoHandle;
    openEchoes_[socket.fd.get()] = socket.kind;
    return socket.fd.release();
}

std::unique_ptr<EchoBatch> LinuxProbePlatform::OpenEchoBatch()
{
    IcmpSocket own{UniqueFd(), IcmpSocketKind::kRaw, 0};
    if (sharedRawSocket_ < 0) {
        own = OpenIcmpSocket();
        if (!own.fd) {
            lastError_ = own.error;
            ThrowForWantOfResource(own.error);
            return nullptr;
        }
    }
    UniqueFd wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!wake) {
        lastError_ = errno;
        ThrowForWantOfResource(lastError_);
        return nullptr;
    }
    lastError_ = 0;
    return std::make_unique<LinuxEchoBatch>(std::move(own.fd), sharedRawSocket_, own.kind, std::move(wake));
}

bool LinuxProbePlatform::RefusesIcmp(std::int32_t openError) const
{
    return openError == EPERM || openError == EACCES;
}

std::uint32_t LinuxProbePlatform::SendEcho(EchoHandle handle, std::uint32_t destination, const char* payload,
                                           std::uint16_t payloadSize, std::span<std::byte> reply,
                                           std::int32_t timeoutMs)
{
    if (payload == nullptr && payloadSize != 0) {
        lastError_ = codes::kErrorInvalidParameter;
        return 0;
    }
    if (reply.size() < payloadSize + kReplyOverhead) {
        lastError_ = codes::kIpBufTooSmall;
        return 0;
    }
    const auto echo = openEchoes_.find(DescriptorOf(handle));
    if (echo == openEchoes_.end()) {
        lastError_ = codes::kErrorInvalidHandle;
        return 0;
    }
    const auto [fd, kind] = *echo;
    const std::span<const std::byte> request(reinterpret_cast<const std::byte*>(payload), payloadSize);
    const EchoReplyRecord record =
        ExchangeEcho(fd, kind, destination, request, timeoutMs, reply.subspan(kEchoReplyRecordSize));
    if (record.status != static_cast<std::uint32_t>(codes::kIpSuccess)) {
        lastError_ = static_cast<std::int32_t>(record.status);
        return 0;
    }
    WriteEchoReply(reply, record);
    lastError_ = 0;
    return 1;
}

bool LinuxProbePlatform::CloseEcho(EchoHandle handle)
{
    const int fd = DescriptorOf(handle);
    if (fd < 0) {
        lastError_ = EBADF;
        return false;
    }
    openEchoes_.erase(fd);
    // On Linux the descriptor is gone even when close reports EINTR.
    if (::close(fd) != 0 && errno != EINTR) {
        lastError_ = errno;
        return false;
    }
    lastError_ = 0;
    return true;
}

std::unique_ptr<ProbePlatform> LinuxProbePlatform::ForAnotherThread() const
{
    return std::make_unique<LinuxProbePlatform>(sharedRawSocket_);
}

}  // namespace orvane2
