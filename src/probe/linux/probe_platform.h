// SPDX-License-Identifier: MIT
#pragma once

#include <map>

#include "probe/linux/icmp_socket.h"
#include "probe/probe_platform.h"

namespace orvane2 {

// The probe's platform on Linux: inet_addr and getaddrinfo for addresses and names,
// and ICMP echo through a raw socket shared by the probes and batches one at a time,
// when it is given one, else through a socket that OpenIcmpSocket opens for each Ping
// and each batch. A batch reads the shared socket itself; a Ping reads a duplicate of it. Error codes are
// the Windows numbers of status_codes.h, except the errno values that OpenEcho and
// CloseEcho report.
class LinuxProbePlatform final : public ProbePlatform {
public:
    LinuxProbePlatform() = default;
    // sharedRawSocket: a raw ICMP socket that outlives the platform, or -1.
    explicit LinuxProbePlatform(int sharedRawSocket);

    std::int32_t LastError() const override;

    std::uint32_t ParseAddress(const std::string& text) override;

    // Linux needs no start-up; these keep the sockets library's rules: version 0.x
    // is refused, and every clean-up must match an earlier start-up.
    std::int32_t StartSockets(std::uint16_t version) override;
    std::int32_t CleanupSockets() override;

    std::optional<HostEntry> LookupHost(const std::string& name) override;
    std::optional<std::string> FormatAddress(std::uint32_t address) override;
    std::optional<std::string> CopyText(std::string_view text, std::size_t bound) override;

    // The handle is the socket's file descriptor (a duplicate of the shared one). The
    // reply buffer must hold a reply record, the payload and 8 bytes more
    // (kIpBufTooSmall otherwise). Timeouts and ICMP errors return 0 with their IP
    // status as the last error.
    EchoHandle OpenEcho() override;
    // EPERM and EACCES: neither a ping socket nor a raw socket is allowed.
    bool RefusesIcmp(std::int32_t openError) const override;
    std::uint32_t SendEcho(EchoHandle handle, std::uint32_t destination, const char* payload, std::uint16_t payloadSize,
                           std::span<std::byte> reply, std::int32_t timeoutMs) override;
    bool CloseEcho(EchoHandle handle) override;

    std::unique_ptr<EchoBatch> OpenEchoBatch() override;
    std::unique_ptr<ProbePlatform> ForAnotherThread() const override;

private:
    int sharedRawSocket_ = -1;
    std::map<int, IcmpSocketKind> openEchoes_;  // the handles OpenEcho gave out, by descriptor
    std::int32_t lastError_ = 0;
    int startedSockets_ = 0;  // start-ups not yet cleaned up
};

}  // namespace orvane2
