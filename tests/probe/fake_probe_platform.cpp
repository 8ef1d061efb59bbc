#include "fake_probe_platform.h"

#include <algorithm>
#include <cstring>

namespace orvane2::test {

std::uint32_t FakeProbePlatform::Address(unsigned a, unsigned b, unsigned c, unsigned d) {
    const unsigned char bytes[4] = {static_cast<unsigned char>(a), static_cast<unsigned char>(b),
                                    static_cast<unsigned char>(c), static_cast<unsigned char>(d)};
    std::uint32_t address = 0;
    std::memcpy(&address, bytes, sizeof address);
    return address;
}

std::uint32_t FakeProbePlatform::ParseAddress(const std::string& text) {
    calls.push_back("ParseAddress");
    parsed.push_back(text);
    lastError_ = parseError;
    const auto found = addresses.find(text);
    return found == addresses.end() ? kNotAnAddress : found->second;
}

std::int32_t FakeProbePlatform::StartSockets(std::uint16_t version) {
    calls.push_back("StartSockets");
    startVersion = version;
    lastError_ = startError;
    return startResult;
}

std::int32_t FakeProbePlatform::CleanupSockets() {
    calls.push_back("CleanupSockets");
    lastError_ = cleanupError;
    return cleanupResult;
}

std::optional<HostEntry> FakeProbePlatform::LookupHost(const std::string& name) {
    calls.push_back("LookupHost");
    lookedUp = name;
    lastError_ = lookupError;
    return lookupResult;
}

std::optional<std::string> FakeProbePlatform::FormatAddress(std::uint32_t address) {
    calls.push_back("FormatAddress");
    formatted = address;
    lastError_ = formatError;
    if (formatFails) {
        return std::nullopt;
    }
    unsigned char bytes[4];
    std::memcpy(bytes, &address, sizeof bytes);
    return std::to_string(bytes[0]) + "." + std::to_string(bytes[1]) + "." + std::to_string(bytes[2]) + "." +
           std::to_string(bytes[3]);
}

std::optional<std::string> FakeProbePlatform::CopyText(std::string_view text, std::size_t bound) {
    calls.push_back("CopyText");
    copyBound = bound;
    lastError_ = copyError;
    if (copyFails || bound == 0) {
        return std::nullopt;
    }
    return std::string(text.substr(0, bound - 1));
}

EchoHandle FakeProbePlatform::OpenEcho() {
    calls.push_back("OpenEcho");
    lastError_ = openError;
    return openResult;
}

std::uint32_t FakeProbePlatform::SendEcho(EchoHandle handle, std::uint32_t destination, const char* payload,
                                          std::uint16_t payloadSize, std::span<std::byte> reply,
                                          std::int32_t timeoutMs) {
    calls.push_back("SendEcho");
    SentEcho echo;
    echo.handle = handle;
    echo.destination = destination;
    echo.payload.assign(payload, payloadSize);
    echo.payloadSize = payloadSize;
    echo.replySize = reply.size();
    echo.replyZeroed = std::all_of(reply.begin(), reply.end(), [](std::byte b) { return b == std::byte{0}; });
    echo.timeoutMs = timeoutMs;
    sent.push_back(std::move(echo));
    lastError_ = sendError;
    if (sendReplies > 0 && reply.size() >= 28) {
        // A 32-bit ICMP_ECHO_REPLY: status at offset 4, round trip at offset 8; the
        // other bytes are filled with noise the probe must not read.
        std::fill_n(reply.begin(), 28, std::byte{0xEE});
        std::memcpy(reply.data() + 4, &replyStatus, sizeof replyStatus);
        std::memcpy(reply.data() + 8, &replyRoundTrip, sizeof replyRoundTrip);
    }
    return sendReplies;
}

bool FakeProbePlatform::CloseEcho(EchoHandle handle) {
    calls.push_back("CloseEcho");
    closed.push_back(handle);
    lastError_ = closeError;
    return closeSucceeds;
}

}  // namespace orvane2::test
