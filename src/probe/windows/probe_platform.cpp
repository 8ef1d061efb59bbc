// SPDX-License-Identifier: MIT
#include "probe/windows/probe_platform.h"

// winsock2.h must come before windows.h, and both before the IP helper headers.
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <icmpapi.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "probe/echo_reply.h"
#include "probe/status_codes.h"
#include "probe/windows/echo_batch.h"

namespace orvane2 {
namespace {

// UTF-8 to the system code page. Addresses and most names are ASCII and pass as
// they are; characters the code page lacks become its default character.
std::string ToSystemCodePage(const std::string& utf8)
{
    if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return utf8;
    }
    const int size = static_cast<int>(std::min<std::size_t>(utf8.size(), INT_MAX));
    const int wideSize = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideSize), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), wideSize);
    const int narrowSize = WideCharToMultiByte(CP_ACP, 0, wide.data(), wideSize, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(narrowSize), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), wideSize, narrow.data(), narrowSize, nullptr, nullptr);
    return narrow;
}

HANDLE EchoHandleOf(EchoHandle handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

std::int32_t WindowsProbePlatform::LastError() const
{
    return lastError_;
}

std::uint32_t WindowsProbePlatform::ParseAddress(const std::string& text)
{
    const std::string bytes = ToSystemCodePage(text);
    const unsigned long address = inet_addr(bytes.c_str());
    lastError_ = address == INADDR_NONE ? WSAGetLastError() : 0;
    return static_cast<std::uint32_t>(address);
}

std::int32_t WindowsProbePlatform::StartSockets(std::uint16_t version)
{
    WSADATA data{};
    // WSAStartup returns its error; WSAGetLastError is not usable before it succeeds.
    lastError_ = WSAStartup(version, &data);
    return lastError_;
}

std::int32_t WindowsProbePlatform::CleanupSockets()
{
    const int result = WSACleanup();
    lastError_ = result == 0 ? 0 : WSAGetLastError();
    return result;
}

std::optional<HostEntry> WindowsProbePlatform::LookupHost(const std::string& name)
{
    const std::string bytes = ToSystemCodePage(name);
    const hostent* found = gethostbyname(bytes.c_str());
    lastError_ = found == nullptr ? WSAGetLastError() : 0;
    if (found == nullptr) {
        return std::nullopt;
    }
    HostEntry entry;
    if (found->h_addrtype == AF_INET && found->h_length == sizeof(std::uint32_t) && found->h_addr_list != nullptr) {
        for (char** item = found->h_addr_list; *item != nullptr; ++item) {
            std::uint32_t address = 0;
            std::memcpy(&address, *item, sizeof address);
            entry.addresses.push_back(address);
        }
    }
    return entry;
}

std::optional<std::string> WindowsProbePlatform::FormatAddress(std::uint32_t address)
{
    in_addr value{};
    value.s_addr = address;
    const char* text = inet_ntoa(value);
    lastError_ = text == nullptr ? WSAGetLastError() : 0;
    if (text == nullptr) {
        return std::nullopt;
    }
    return std::string(text);
}

std::optional<std::string> WindowsProbePlatform::CopyText(std::string_view text, std::size_t bound)
{
    const std::string source(text);
    const int limit = static_cast<int>(std::min<std::size_t>(bound, INT_MAX));
    std::vector<char> copy(static_cast<std::size_t>(limit) + 1, '\0');
    const char* copied = lstrcpynA(copy.data(), source.c_str(), limit);
    lastError_ = copied == nullptr ? static_cast<std::int32_t>(GetLastError()) : 0;
    if (copied == nullptr) {
        return std::nullopt;
    }
    return std::string(copy.data());
}

EchoHandle WindowsProbePlatform::OpenEcho()
{
    const HANDLE handle = IcmpCreateFile();
    lastError_ = handle == INVALID_HANDLE_VALUE ? static_cast<std::int32_t>(GetLastError()) : 0;
    return reinterpret_cast<EchoHandle>(handle);
}

bool WindowsProbePlatform::RefusesIcmp(std::int32_t /*openError*/) const
{
    return false;
}

std::uint32_t WindowsProbePlatform::SendEcho(EchoHandle handle, std::uint32_t destination, const char* payload,
                                             std::uint16_t payloadSize, std::span<std::byte> reply,
                                             std::int32_t timeoutMs)
{
    if (reply.size() < kEchoReplyRecordSize) {
        lastError_ = codes::kIpBufTooSmall;
        return 0;
    }
    // The native record is bigger than the 28-byte one in a 64-bit process; the
    // room after the record (payload and error header) is kept as the caller sized it.
    const std::size_t room = reply.size() - kEchoReplyRecordSize;
    std::vector<std::byte> native(sizeof(ICMP_ECHO_REPLY) + room + kQuotedHeaderRoom);
    const DWORD count =
        IcmpSendEcho(EchoHandleOf(handle), static_cast<IPAddr>(destination), const_cast<char*>(payload), payloadSize,
                     nullptr, native.data(), static_cast<DWORD>(native.size()), static_cast<DWORD>(timeoutMs));
    const DWORD error = GetLastError();
    if (count == 0) {
        lastError_ = static_cast<std::int32_t>(error);
        return 0;
    }
    ICMP_ECHO_REPLY first{};
    std::memcpy(&first, native.data(), sizeof first);
    // Echoed data lies inside the native buffer; anything else is not copied.
    const auto* data = static_cast<const std::byte*>(first.Data);
    std::size_t dataSize = 0;
    if (data >= native.data() && data <= native.data() + native.size()) {
        const auto available = static_cast<std::size_t>(native.data() + native.size() - data);
        dataSize = std::min({static_cast<std::size_t>(first.DataSize), available, room});
        std::memcpy(reply.data() + kEchoReplyRecordSize, data, dataSize);
    }
    EchoReplyRecord record;
    record.address = first.Address;
    record.status = first.Status;
    record.roundTripTime = first.RoundTripTime;
    record.dataSize = static_cast<std::uint16_t>(dataSize);
    WriteEchoReply(reply, record);
    lastError_ = 0;
    return count;
}

bool WindowsProbePlatform::CloseEcho(EchoHandle handle)
{
    const BOOL closed = IcmpCloseHandle(EchoHandleOf(handle));
    lastError_ = closed ? 0 : static_cast<std::int32_t>(GetLastError());
    return closed != FALSE;
}

std::unique_ptr<EchoBatch> WindowsProbePlatform::OpenEchoBatch()
{
    return OpenWindowsEchoBatch(lastError_);
}

std::unique_ptr<ProbePlatform> WindowsProbePlatform::ForAnotherThread() const
{
    return std::make_unique<WindowsProbePlatform>();
}

}  // namespace orvane2
