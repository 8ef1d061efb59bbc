// Real name lookups in the client namespace, whose resolv.conf names 127.0.0.1,
// where nothing listens: a name outside /etc/hosts fails at once and no query
// leaves the machine.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <variant>

#include "test_network.h"

namespace orvane2::test {
namespace {

struct Resolved {
    int result = -1;
    std::string ip;
};

class LookupInNamespace : public ::testing::Test {
protected:
    void SetUp() override {
        auto created = TestNetwork::Create(EchoPath::kRawSocket);
        if (auto* why = std::get_if<std::string>(&created)) {
            GTEST_SKIP() << *why;
        }
        network_ = std::move(std::get<std::unique_ptr<TestNetwork>>(created));
    }

    Resolved Resolve(const std::string& name, const std::string& earlier) const {
        const CommandResult run =
            RunCommand({"ip", "netns", "exec", network_->Client(), ORVANE2_PROBE_TOOL, "resolve", name, earlier});
        EXPECT_EQ(run.exitCode, 0) << run.output;
        Resolved resolved;
        const auto resultAt = run.output.find("result=");
        const auto ipAt = run.output.find("\nip=");
        if (resultAt == std::string::npos || ipAt == std::string::npos) {
            ADD_FAILURE() << "unexpected output: " << run.output;
            return resolved;
        }
        resolved.result = std::stoi(run.output.substr(resultAt + 7));
        resolved.ip = run.output.substr(ipAt + 4);
        resolved.ip = resolved.ip.substr(0, resolved.ip.find('\n'));
        return resolved;
    }

    std::unique_ptr<TestNetwork> network_;
};

TEST_F(LookupInNamespace, FailedLookupReturnsTryAgainAndKeepsIp) {
    const Resolved resolved = Resolve(" orvane2-no-such-host.invalid ", "192.0.2.99");
    EXPECT_EQ(resolved.result, 11002) << "no name server answered: try again later";
    EXPECT_EQ(resolved.ip, "192.0.2.99");
}

TEST_F(LookupInNamespace, EmptyNameIsNotFound) {
    // Only spaces: nothing is left to look up, and the C library says so itself.
    const Resolved resolved = Resolve("   ", "192.0.2.99");
    EXPECT_EQ(resolved.result, 11001);
    EXPECT_EQ(resolved.ip, "192.0.2.99");
}

TEST_F(LookupInNamespace, AllOnesAddressIsLookedUpAsAName) {
    // The parser cannot accept it, so it goes to the lookup, which knows it.
    const Resolved resolved = Resolve("255.255.255.255", "earlier");
    EXPECT_EQ(resolved.result, 0);
    EXPECT_EQ(resolved.ip, "255.255.255.255");
}

TEST_F(LookupInNamespace, HostsFileNamesStillResolve) {
    const Resolved resolved = Resolve("localhost", "earlier");
    EXPECT_EQ(resolved.result, 0);
    EXPECT_EQ(resolved.ip, "127.0.0.1");
}

}  // namespace
}  // namespace orvane2::test
