#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "probe/probe_platform.h"

namespace orvane2::test {

// A ProbePlatform that does what the test scripts and records what it was asked.
// Every operation sets the last error to its own scripted code, on success too,
// so a probe that reads the code of the wrong call is caught.
class FakeProbePlatform final : public ProbePlatform {
public:
    // Network-order address of a.b.c.d.
    static std::uint32_t Address(unsigned a, unsigned b, unsigned c, unsigned d);

    // ---- script -----------------------------------------------------------
    std::map<std::string, std::uint32_t> addresses;  // ParseAddress; others give kNotAnAddress
    std::int32_t parseError = 101;

    std::int32_t startResult = 0;
    std::int32_t startError = 102;

    std::optional<HostEntry> lookupResult = HostEntry{{Address(192, 0, 2, 10)}};
    std::int32_t lookupError = 103;

    bool formatFails = false;  // else the address in dotted form
    std::int32_t formatError = 104;

    bool copyFails = false;  // else the bounded copy
    std::int32_t copyError = 105;

    std::int32_t cleanupResult = 0;
    std::int32_t cleanupError = 106;

    EchoHandle openResult = 42;
    std::int32_t openError = 107;

    std::uint32_t sendReplies = 1;  // with replies, a record with the two values below
    std::uint32_t replyStatus = 0;
    std::uint32_t replyRoundTrip = 17;
    std::int32_t sendError = 108;

    bool closeSucceeds = true;
    std::int32_t closeError = 109;

    // ---- record -----------------------------------------------------------
    struct SentEcho {
        EchoHandle handle = 0;
        std::uint32_t destination = 0;
        std::string payload;
        std::uint16_t payloadSize = 0;
        std::size_t replySize = 0;
        bool replyZeroed = false;
        std::int32_t timeoutMs = 0;
    };
    std::vector<std::string> calls;  // operation names in call order
    std::vector<std::string> parsed;
    std::uint16_t startVersion = 0;
    std::string lookedUp;
    std::uint32_t formatted = 0;
    std::size_t copyBound = 0;
    std::vector<SentEcho> sent;
    std::vector<EchoHandle> closed;

    // ---- ProbePlatform ----------------------------------------------------
    std::int32_t LastError() const override { return lastError_; }
    std::uint32_t ParseAddress(const std::string& text) override;
    std::int32_t StartSockets(std::uint16_t version) override;
    std::int32_t CleanupSockets() override;
    std::optional<HostEntry> LookupHost(const std::string& name) override;
    std::optional<std::string> FormatAddress(std::uint32_t address) override;
    std::optional<std::string> CopyText(std::string_view text, std::size_t bound) override;
    EchoHandle OpenEcho() override;
    std::uint32_t SendEcho(EchoHandle handle, std::uint32_t destination, const char* payload,
                           std::uint16_t payloadSize, std::span<std::byte> reply, std::int32_t timeoutMs) override;
    bool CloseEcho(EchoHandle handle) override;

private:
    std::int32_t lastError_ = 0;
};

}  // namespace orvane2::test

#include <memory>

#include "probe/ping_ipv4.h"

namespace orvane2::test {

// A PingIPv4 running on a FakeProbePlatform that the test keeps scripting.
struct FakeProbe {
    FakeProbe() {
        auto owned = std::make_unique<FakeProbePlatform>();
        fake = owned.get();
        probe = std::make_unique<PingIPv4>(std::move(owned));
    }
    FakeProbePlatform* fake = nullptr;
    std::unique_ptr<PingIPv4> probe;
};

}  // namespace orvane2::test
