#pragma once

#include <sys/types.h>

#include <exception>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <utility>
#include <variant>
#include <vector>

// A private two-namespace network for the probe's system tests (see
// test_network.sh), the echo responder running in it, and a way to run code in
// the client namespace.
namespace orvane2::test {

inline const std::string kClientAddress = "192.0.2.1";
inline const std::string kHostAddress = "192.0.2.2";       // where the responder listens
inline const std::string kOtherHostAddress = "192.0.2.3";  // a second address of that host
inline const std::string kUnreachableAddress = "198.51.100.7";  // the host reports it unreachable
inline const std::string kUnroutedAddress = "198.51.100.200";   // no route from the client

// Which way the client may send echo requests: only through a ping socket
// (ping_group_range open, CAP_NET_RAW dropped), or only through a raw socket
// (ping_group_range closed).
enum class EchoPath { kPingSocket, kRawSocket };

inline void PrintTo(EchoPath path, std::ostream* os) {
    *os << (path == EchoPath::kPingSocket ? "ping socket" : "raw socket");
}

struct CommandResult {
    int exitCode = -1;
    std::string output;  // stdout and stderr together
};

// Runs argv[0] (looked up in PATH) with stdin from /dev/null and waits for it.
CommandResult RunCommand(const std::vector<std::string>& argv);

class TestNetwork {
public:
    // The network, or why this machine cannot have one (not root, no `ip`, no
    // namespaces). Throws when building it fails for another reason.
    static std::variant<std::unique_ptr<TestNetwork>, std::string> Create(EchoPath path);

    TestNetwork(const TestNetwork&) = delete;
    TestNetwork& operator=(const TestNetwork&) = delete;
    ~TestNetwork();

    const std::string& Client() const { return client_; }
    const std::string& Hosts() const { return hosts_; }

    // Runs f on a thread that has joined the client namespace, with the socket
    // rights of the network's EchoPath, and returns its result.
    template <typename F>
    auto InClient(F f) const {
        return RunInNamespace(client_, path_ == EchoPath::kPingSocket, std::move(f));
    }
    // The same with CAP_NET_RAW dropped whatever the path.
    template <typename F>
    auto InClientWithoutNetRaw(F f) const {
        return RunInNamespace(client_, true, std::move(f));
    }

private:
    TestNetwork(std::string name, EchoPath path);

    template <typename F>
    static auto RunInNamespace(const std::string& ns, bool dropNetRaw, F f) {
        using Result = decltype(f());
        std::optional<Result> result;
        std::exception_ptr failure;
        std::thread worker([&] {
            try {
                EnterNamespace(ns);
                if (dropNetRaw) {
                    DropNetRaw();
                }
                result.emplace(f());
            } catch (...) {
                failure = std::current_exception();
            }
        });
        worker.join();
        if (failure) {
            std::rethrow_exception(failure);
        }
        return std::move(*result);
    }

    // Both act on the calling thread only.
    static void EnterNamespace(const std::string& ns);
    static void DropNetRaw();

    std::string name_;
    std::string client_;
    std::string hosts_;
    EchoPath path_;
};

// The echo responder running in the hosts namespace, answering requests for
// kHostAddress with the given actions (see echo_responder.cpp); stopped when
// destroyed.
class Responder {
public:
    Responder(const TestNetwork& network, const std::vector<std::string>& actions);
    Responder(const Responder&) = delete;
    Responder& operator=(const Responder&) = delete;
    ~Responder();

private:
    pid_t pid_ = -1;
};

}  // namespace orvane2::test
