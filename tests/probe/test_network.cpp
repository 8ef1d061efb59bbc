#include "test_network.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <system_error>

#include "probe/unique_fd.h"

extern char** environ;

namespace orvane2::test {
namespace {

using Clock = std::chrono::steady_clock;

std::system_error SystemError(const std::string& what) {
    return std::system_error(errno, std::generic_category(), what);
}

struct Pipe {
    UniqueFd read;
    UniqueFd write;
};

Pipe MakePipe() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        throw SystemError("pipe2");
    }
    return {UniqueFd(fds[0]), UniqueFd(fds[1])};
}

// Starts argv with stdin from /dev/null and stdout (and stderr, if asked) into a pipe.
pid_t Spawn(const std::vector<std::string>& argv, int outputFd, bool withStderr) {
    std::vector<char*> args;
    for (const auto& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, outputFd, 1);
    if (withStderr) {
        posix_spawn_file_actions_adddup2(&actions, outputFd, 2);
    }
    pid_t pid = -1;
    const int error = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        throw std::system_error(error, std::generic_category(), "cannot start " + argv[0]);
    }
    return pid;
}

int WaitForExit(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            throw SystemError("waitpid");
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string ScriptPath() {
    return ORVANE2_TEST_NETWORK_SCRIPT;
}

std::optional<std::string> WhyNoNamespaces() {
    if (geteuid() != 0) {
        return "network namespaces need root; run the tests as root to include these cases";
    }
    if (RunCommand({"ip", "-V"}).exitCode != 0) {
        return "the `ip` command (iproute2) is not available";
    }
    return std::nullopt;
}

// Unique among parallel test processes; the script recognises names of dead ones.
std::string NetworkName() {
    const auto tick = Clock::now().time_since_epoch().count() % 1000000000;
    return "orv2p-" + std::to_string(getpid()) + "-" + std::to_string(tick);
}

}  // namespace

CommandResult RunCommand(const std::vector<std::string>& argv) {
    Pipe output = MakePipe();
    const pid_t pid = Spawn(argv, output.write.get(), true);
    output.write.reset();
    CommandResult result;
    std::array<char, 4096> chunk;
    for (;;) {
        const ssize_t got = read(output.read.get(), chunk.data(), chunk.size());
        if (got > 0) {
            result.output.append(chunk.data(), static_cast<std::size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            break;
        }
    }
    result.exitCode = WaitForExit(pid);
    return result;
}

std::variant<std::unique_ptr<TestNetwork>, std::string> TestNetwork::Create(EchoPath path) {
    if (auto why = WhyNoNamespaces()) {
        return *why;
    }
    const std::string name = NetworkName();
    const CommandResult up =
        RunCommand({"bash", ScriptPath(), "up", name, path == EchoPath::kPingSocket ? "ping" : "raw"});
    if (up.exitCode == 77) {
        return "network namespaces are not available: " + up.output;
    }
    if (up.exitCode != 0) {
        RunCommand({"bash", ScriptPath(), "down", name});
        throw std::runtime_error("building the test network failed: " + up.output);
    }
    return std::unique_ptr<TestNetwork>(new TestNetwork(name, path));
}

TestNetwork::TestNetwork(std::string name, EchoPath path)
    : name_(std::move(name)), client_(name_ + "-c"), hosts_(name_ + "-h"), path_(path) {}

TestNetwork::~TestNetwork() {
    try {
        RunCommand({"bash", ScriptPath(), "down", name_});
    } catch (...) {
        // Nothing more can be done; the next `up` removes orphans.
    }
}

void TestNetwork::EnterNamespace(const std::string& ns) {
    const UniqueFd handle(open(("/run/netns/" + ns).c_str(), O_RDONLY | O_CLOEXEC));
    if (!handle || setns(handle.get(), CLONE_NEWNET) != 0) {
        throw SystemError("cannot enter network namespace " + ns);
    }
}

void TestNetwork::DropNetRaw() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    std::array<__user_cap_data_struct, _LINUX_CAPABILITY_U32S_3> data{};
    if (syscall(SYS_capget, &header, data.data()) != 0) {
        throw SystemError("capget");
    }
    const unsigned bit = 1u << CAP_NET_RAW;
    data[0].effective &= ~bit;
    data[0].permitted &= ~bit;
    data[0].inheritable &= ~bit;
    if (syscall(SYS_capset, &header, data.data()) != 0) {
        throw SystemError("capset");
    }
}

Responder::Responder(const TestNetwork& network, const std::vector<std::string>& actions) {
    std::vector<std::string> argv = {"ip", "netns", "exec", network.Hosts(), ORVANE2_ECHO_RESPONDER, kHostAddress};
    argv.insert(argv.end(), actions.begin(), actions.end());
    Pipe output = MakePipe();
    pid_ = Spawn(argv, output.write.get(), false);
    output.write.reset();

    // The responder prints "ready" once its socket is open.
    std::string seen;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (seen.find("ready\n") == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd entry{output.read.get(), POLLIN, 0};
        std::array<char, 256> chunk;
        ssize_t got = 0;
        if (left.count() <= 0 || poll(&entry, 1, static_cast<int>(left.count())) <= 0 ||
            (got = read(output.read.get(), chunk.data(), chunk.size())) <= 0) {
            kill(pid_, SIGKILL);
            WaitForExit(pid_);
            throw std::runtime_error("echo responder did not become ready; it said: " + seen);
        }
        seen.append(chunk.data(), static_cast<std::size_t>(got));
    }
}

Responder::~Responder() {
    kill(pid_, SIGTERM);
    try {
        WaitForExit(pid_);
    } catch (...) {
    }
}

}  // namespace orvane2::test
