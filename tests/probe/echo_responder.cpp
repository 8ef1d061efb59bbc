// Test responder: answers ICMP echo requests for one address on a raw socket, in
// whatever way the test asks. Run it inside a network namespace whose own stack
// ignores echo requests (net.ipv4.icmp_echo_ignore_all=1).
//
//   echo_responder ADDRESS [ACTION...]
//
// For every echo request sent to ADDRESS it performs the actions in order:
//   reply               the correct echo reply
//   reply-wrong-id      an echo reply with identifier + 1
//   reply-wrong-seq     an echo reply with sequence number + 1
//   reply-from:ADDR     the correct echo reply, sent from ADDR (a local address)
//   unreachable:CODE    destination unreachable with CODE, quoting the request
//   time-exceeded:CODE  time exceeded with CODE, quoting the request
//   wait:MS             pause MS milliseconds
//   flood:MIX:MS[:RATE] send attack packets at the requester for MS milliseconds,
//                       RATE a second (see icmp_flood.h), none of them the answer
// Without actions it stays silent. Repeating an action sends it again
// (duplicates). One setting may stand among the actions:
//   flood-log:PATH      append one line per flood to PATH: when it began, how many
//                       packets of each kind it sent, and when
// Prints "ready" when listening; runs until killed.
#include <arpa/inet.h>
#include <linux/icmp.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "icmp_flood.h"
#include "probe/unique_fd.h"

namespace {

using orvane2::UniqueFd;
using Bytes = std::vector<unsigned char>;

constexpr unsigned char kEchoReplyType = 0;
constexpr unsigned char kUnreachableType = 3;
constexpr unsigned char kEchoRequestType = 8;
constexpr unsigned char kTimeExceededType = 11;

struct Action {
    enum class Kind { kReply, kError, kWait, kFlood } kind = Kind::kReply;
    int idDelta = 0;
    int sequenceDelta = 0;
    in_addr_t source = 0;  // 0: the listening address
    unsigned char type = 0;
    unsigned char code = 0;
    int waitMs = 0;
    orvane2::test::flood::Plan flood;
};

// Where floods are logged (the flood-log setting); empty: nowhere.
std::string floodLog;

in_addr_t ParseIp(const std::string& text) {
    in_addr address{};
    if (inet_pton(AF_INET, text.c_str(), &address) != 1) {
        throw std::invalid_argument("not an IPv4 address: " + text);
    }
    return address.s_addr;
}

int ParseNumber(const std::string& text) {
    std::size_t used = 0;
    const int value = std::stoi(text, &used);
    if (used != text.size() || value < 0) {
        throw std::invalid_argument("not a number: " + text);
    }
    return value;
}

Action ParseAction(const std::string& text) {
    const auto colon = text.find(':');
    const std::string word = text.substr(0, colon);
    const std::string argument = colon == std::string::npos ? "" : text.substr(colon + 1);
    Action action;
    if (word == "reply" && colon == std::string::npos) {
    } else if (word == "reply-wrong-id") {
        action.idDelta = 1;
    } else if (word == "reply-wrong-seq") {
        action.sequenceDelta = 1;
    } else if (word == "reply-from") {
        action.source = ParseIp(argument);
    } else if (word == "unreachable" || word == "time-exceeded") {
        action.kind = Action::Kind::kError;
        action.type = word == "unreachable" ? kUnreachableType : kTimeExceededType;
        action.code = static_cast<unsigned char>(ParseNumber(argument));
    } else if (word == "wait") {
        action.kind = Action::Kind::kWait;
        action.waitMs = ParseNumber(argument);
    } else if (word == "flood") {
        action.kind = Action::Kind::kFlood;
        action.flood = orvane2::test::flood::ParsePlan(argument);
    } else {
        throw std::invalid_argument("unknown action: " + text);
    }
    return action;
}

// RFC 1071 checksum, written here independently of the probe's own.
std::uint16_t Checksum(const Bytes& bytes) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        sum += static_cast<std::uint32_t>(bytes[i] << 8);
        if (i + 1 < bytes.size()) {
            sum += bytes[i + 1];
        }
    }
    while (sum >> 16) {
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return static_cast<std::uint16_t>(~sum);
}

void SetChecksum(Bytes& message) {
    message[2] = message[3] = 0;
    const std::uint16_t sum = Checksum(message);
    message[2] = static_cast<unsigned char>(sum >> 8);
    message[3] = static_cast<unsigned char>(sum & 0xFF);
}

// Sends an ICMP message to `to` from the local address `from`; the kernel adds
// the IP header and fragments when needed.
void SendIcmp(const Bytes& message, in_addr_t from, in_addr_t to) {
    const UniqueFd fd(socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP));
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = from;
    sockaddr_in remote{};
    remote.sin_family = AF_INET;
    remote.sin_addr.s_addr = to;
    if (!fd || bind(fd.get(), reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        sendto(fd.get(), message.data(), message.size(), 0, reinterpret_cast<sockaddr*>(&remote), sizeof remote) < 0) {
        std::perror("echo_responder: send");
    }
}

void Perform(const Action& action, const Bytes& request, std::size_t ipHeaderLength, in_addr_t listening) {
    in_addr_t requester = 0;
    std::memcpy(&requester, request.data() + 12, sizeof requester);
    const in_addr_t from = action.source != 0 ? action.source : listening;
    switch (action.kind) {
    case Action::Kind::kWait:
        std::this_thread::sleep_for(std::chrono::milliseconds(action.waitMs));
        return;
    case Action::Kind::kFlood: {
        orvane2::test::flood::Target target;
        target.client = requester;
        target.host = listening;
        target.id = static_cast<std::uint16_t>((request[ipHeaderLength + 4] << 8) | request[ipHeaderLength + 5]);
        target.sequence = static_cast<std::uint16_t>((request[ipHeaderLength + 6] << 8) | request[ipHeaderLength + 7]);
        orvane2::test::flood::Run(action.flood, target, floodLog);
        return;
    }
    case Action::Kind::kReply: {
        Bytes reply(request.begin() + static_cast<long>(ipHeaderLength), request.end());
        reply[0] = kEchoReplyType;
        reply[1] = 0;
        const auto id = static_cast<std::uint16_t>(((reply[4] << 8) | reply[5]) + action.idDelta);
        const auto sequence = static_cast<std::uint16_t>(((reply[6] << 8) | reply[7]) + action.sequenceDelta);
        reply[4] = static_cast<unsigned char>(id >> 8);
        reply[5] = static_cast<unsigned char>(id & 0xFF);
        reply[6] = static_cast<unsigned char>(sequence >> 8);
        reply[7] = static_cast<unsigned char>(sequence & 0xFF);
        SetChecksum(reply);
        SendIcmp(reply, from, requester);
        return;
    }
    case Action::Kind::kError: {
        // Type, code, checksum, 4 unused bytes, then the request's IP header and
        // the first 8 bytes after it.
        Bytes error = {action.type, action.code, 0, 0, 0, 0, 0, 0};
        error.insert(error.end(), request.begin(), request.begin() + static_cast<long>(ipHeaderLength + 8));
        SetChecksum(error);
        SendIcmp(error, from, requester);
        return;
    }
    }
}

int Run(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: echo_responder ADDRESS [ACTION...]\n");
        return 2;
    }
    const in_addr_t listening = ParseIp(argv[1]);
    std::vector<Action> actions;
    for (int i = 2; i < argc; ++i) {
        const std::string text = argv[i];
        if (text.starts_with("flood-log:")) {
            floodLog = text.substr(text.find(':') + 1);
        } else {
            actions.push_back(ParseAction(text));
        }
    }

    const UniqueFd fd(socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP));
    if (!fd) {
        std::perror("echo_responder: socket");
        return 1;
    }
    icmp_filter onlyRequests{~(1u << kEchoRequestType)};
    setsockopt(fd.get(), SOL_RAW, ICMP_FILTER, &onlyRequests, sizeof onlyRequests);
    std::printf("ready\n");
    std::fflush(stdout);

    Bytes packet(65536);
    for (;;) {
        const ssize_t got = recv(fd.get(), packet.data(), packet.size(), 0);
        if (got < 20) {
            continue;
        }
        const Bytes request(packet.begin(), packet.begin() + got);
        const std::size_t ipHeaderLength = static_cast<std::size_t>(request[0] & 0x0F) * 4;
        in_addr_t destination = 0;
        std::memcpy(&destination, request.data() + 16, sizeof destination);
        if (request[9] != IPPROTO_ICMP || request.size() < ipHeaderLength + 8 || destination != listening ||
            request[ipHeaderLength] != kEchoRequestType) {
            continue;
        }
        for (const Action& action : actions) {
            Perform(action, request, ipHeaderLength, listening);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "echo_responder: %s\n", error.what());
        return 2;
    }
}
