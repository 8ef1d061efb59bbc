// SPDX-License-Identifier: MIT
#pragma once

#include "probe/probe_platform.h"

namespace orvane2 {

// The probe's platform on Windows: Windows Sockets (ws2_32) for addresses and names,
// the ICMP echo service of iphlpapi for echo requests. Text from the program is
// UTF-8 and reaches the sockets library in the system code page. Error codes are
// the ones Windows reports: GetLastError, WSAGetLastError, and IP status values for
// a send that got no reply.
class WindowsProbePlatform final : public ProbePlatform {
public:
    std::int32_t LastError() const override;

    std::uint32_t ParseAddress(const std::string& text) override;
    std::int32_t StartSockets(std::uint16_t version) override;
    std::int32_t CleanupSockets() override;
    std::optional<HostEntry> LookupHost(const std::string& name) override;
    std::optional<std::string> FormatAddress(std::uint32_t address) override;
    std::optional<std::string> CopyText(std::string_view text, std::size_t bound) override;

    // The handle is the echo service's HANDLE. The reply record is written in the
    // 28-byte layout of echo_reply.h whatever the size of the native record, with
    // as much of the echoed data after it as the buffer holds.
    EchoHandle OpenEcho() override;
    // Never: the echo service needs no permission, and its errors are of the moment.
    bool RefusesIcmp(std::int32_t openError) const override;
    std::uint32_t SendEcho(EchoHandle handle, std::uint32_t destination, const char* payload, std::uint16_t payloadSize,
                           std::span<std::byte> reply, std::int32_t timeoutMs) override;
    bool CloseEcho(EchoHandle handle) override;

    // One echo handle for the batch, its requests completed by APCs on the batch's
    // thread (windows/echo_batch.h).
    std::unique_ptr<EchoBatch> OpenEchoBatch() override;
    std::unique_ptr<ProbePlatform> ForAnotherThread() const override;

private:
    std::int32_t lastError_ = 0;
};

}  // namespace orvane2
