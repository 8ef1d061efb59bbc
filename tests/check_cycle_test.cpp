#include "core/check_cycle.h"
#include "support/fake_probe.h"
#include "support/recording_form_services.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace orvane2 {
namespace {

using testing::FakeProbe;
using testing::RecordingFormServices;

// Records what the window would repaint, with the caption at that moment.
class RecordingSurface final : public BoardSurface {
public:
    explicit RecordingSurface(const FormState& state) : state_(state) {}
    void StatusCaptionChanged() override { log.push_back("status '" + state_.board.StatusString.caption.toStdString() + "'"); }
    void LabelColorChanged(int index) override { log.push_back("color " + std::to_string(index)); }
    std::vector<std::string> log;

private:
    const FormState& state_;
};

struct CycleFixture : ::testing::Test {
    FormState state;
    RecordingFormServices services;
    FakeProbe* probe = nullptr;
    RecordingSurface surface{state};
    CheckCycle cycle{state, services, surface};

    void SetUp() override
    {
        auto owned = std::make_unique<FakeProbe>();
        probe = owned.get();
        state.Pinger = std::move(owned);
    }

    void AddHosts(std::initializer_list<const char*> names)
    {
        for (const char* name : names) {
            ++state.HostCount;
            state.HostNames[state.HostCount] = QString::fromUtf8(name);
            state.board.NewLabel();
        }
        state.TotalHosts = state.HostCount;
    }

    std::optional<uint32_t> Color(int i) const { return state.board.Label1[i].foreColor; }
};

TEST_F(CycleFixture, ChecksHostsInOrderAndColoursThem)
{
    AddHosts({"10.0.0.1", "  gateway ", "10.0.0.3"});
    probe->addresses = {{"10.0.0.1", "10.0.0.1"}, {"  gateway ", "10.0.0.2"}, {"10.0.0.3", "10.0.0.3"}};
    probe->alive = {{"10.0.0.1", true}, {"10.0.0.3", true}};

    cycle.Timer1_Timer();

    EXPECT_EQ(probe->calls, (std::vector<std::string>{"Resolve 10.0.0.1", "Ping 10.0.0.1 1000 []",
                                                      "Resolve   gateway ", "Ping 10.0.0.2 1000 []",
                                                      "Resolve 10.0.0.3", "Ping 10.0.0.3 1000 []"}));
    EXPECT_EQ(Color(1), kAliveColor);
    EXPECT_EQ(Color(2), kDeadColor);
    EXPECT_EQ(Color(3), kAliveColor);
    EXPECT_EQ(kAliveColor, 0x008000u);
    EXPECT_EQ(kDeadColor, 0x0000FFu);
    EXPECT_EQ(surface.log, (std::vector<std::string>{"status 'Перепроверяем...'", "color 1", "color 2", "color 3",
                                                     "status ''"}));
    // One event pump before the cycle, one after the status line was set.
    EXPECT_EQ(services.log, (QStringList{"DoEvents", "DoEvents"}));
    EXPECT_EQ(state.ResolvedIP, QStringLiteral("10.0.0.3"));
    EXPECT_TRUE(state.HostAlive);
    EXPECT_TRUE(services.messages.empty());
}

TEST_F(CycleFixture, StatusLineIsPaintedBeforeTheFirstProbe)
{
    AddHosts({"10.0.0.1"});
    probe->addresses = {{"10.0.0.1", "10.0.0.1"}};
    int pumpsBeforePing = -1;
    probe->onPing = [&](const std::string&) {
        pumpsBeforePing = services.doEventsCalls;
        EXPECT_EQ(state.board.StatusString.caption, RecheckingStatus());
    };
    cycle.Timer1_Timer();
    EXPECT_EQ(pumpsBeforePing, 2);
    EXPECT_EQ(state.board.StatusString.caption, QString());
}

TEST_F(CycleFixture, AHostThatStopsAnsweringTurnsRed)
{
    AddHosts({"10.0.0.1"});
    probe->addresses = {{"10.0.0.1", "10.0.0.1"}};
    probe->alive = {{"10.0.0.1", true}};
    cycle.Timer1_Timer();
    EXPECT_EQ(Color(1), kAliveColor);
    probe->alive.clear();
    cycle.Timer1_Timer();
    EXPECT_EQ(Color(1), kDeadColor);
}

TEST_F(CycleFixture, UnresolvableNameIsReportedAsWrittenAndColouredRed)
{
    AddHosts({"10.0.0.1", "no-such-host.invalid"});
    probe->addresses = {{"10.0.0.1", "10.0.0.1"}};
    probe->alive = {{"10.0.0.1", true}};
    state.ResolvedIP = QStringLiteral("earlier");

    cycle.Timer1_Timer();

    EXPECT_EQ(services.Prompts(), QStringList{DnsMessage(QStringLiteral("no-such-host.invalid"))});
    EXPECT_EQ(DnsMessage(QStringLiteral("x")), QString::fromUtf8("Что-то не так. Проверьте свой DNS. x не резолвится"));
    EXPECT_EQ(services.messages[0].title, QStringLiteral("Orvane2"));
    // Red, although the echo before it (another host's) was answered.
    EXPECT_EQ(Color(2), kDeadColor);
    EXPECT_TRUE(state.HostAlive);
    EXPECT_EQ(state.ResolvedIP, QStringLiteral("10.0.0.1"));
    EXPECT_EQ(probe->calls.back(), "Resolve no-such-host.invalid");  // no echo without an address
}

TEST_F(CycleFixture, NoHostsOnlyFlashesTheStatusLine)
{
    cycle.Timer1_Timer();
    EXPECT_TRUE(probe->calls.empty());
    EXPECT_EQ(surface.log, (std::vector<std::string>{"status 'Перепроверяем...'", "status ''"}));
}

TEST_F(CycleFixture, TickDuringARunningCycleStartsNoSecondCycle)
{
    AddHosts({"a", "b"});
    probe->addresses = {{"b", "10.0.0.2"}};
    int nestedTicks = 0;
    // While the DNS message for "a" is open the timer falls due again, twice.
    services.onMsgBox = [&](const testing::ShownMessage&) {
        EXPECT_TRUE(cycle.Running());
        cycle.Timer1_Timer();
        cycle.Timer1_Timer();
        ++nestedTicks;
    };
    // And once inside each event pump.
    services.onDoEvents = [&] { cycle.Timer1_Timer(); };

    cycle.Timer1_Timer();

    EXPECT_EQ(nestedTicks, 1);
    EXPECT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(probe->calls, (std::vector<std::string>{"Resolve a", "Resolve b", "Ping 10.0.0.2 1000 []"}));
    EXPECT_EQ(Color(1), kDeadColor);
    EXPECT_EQ(Color(2), kDeadColor);
    EXPECT_FALSE(cycle.Running());
    // The next tick runs normally.
    services.onMsgBox = nullptr;
    services.onDoEvents = nullptr;
    cycle.Timer1_Timer();
    EXPECT_EQ(probe->calls.size(), 6u);
}

TEST_F(CycleFixture, HostCountIsRestoredForLaterCycles)
{
    AddHosts({"a", "b", "c"});
    cycle.Timer1_Timer();
    cycle.Timer1_Timer();
    EXPECT_EQ(services.messages.size(), 6u);  // every unresolvable host, every cycle
    EXPECT_EQ(state.TotalHosts, 3);
}

TEST_F(CycleFixture, RefusedIcmpIsExplainedOncePerRun)
{
    AddHosts({"127.0.0.1", "127.0.0.2"});
    probe->addresses = {{"127.0.0.1", "127.0.0.1"}, {"127.0.0.2", "127.0.0.2"}};
    struct Case {
        int32_t reason;
        int32_t status;
        bool explained;
    };
    for (const Case& c : {Case{2, EPERM, true}, Case{2, EACCES, true}, Case{2, EMFILE, false}, Case{3, 11010, false},
                          Case{4, EPERM, false}}) {
        FormState fresh;
        RecordingFormServices freshServices;
        auto owned = std::make_unique<FakeProbe>(*probe);
        owned->failReason = c.reason;
        owned->failStatus = c.status;
        fresh.Pinger = std::move(owned);
        fresh.HostNames = state.HostNames;
        fresh.board = state.board;
        fresh.TotalHosts = state.TotalHosts;
        RecordingSurface freshSurface(fresh);
        CheckCycle freshCycle(fresh, freshServices, freshSurface);
        freshCycle.Timer1_Timer();
        freshCycle.Timer1_Timer();
        const QStringList expected = c.explained ? QStringList{IcmpNotPermittedMessage()} : QStringList{};
        EXPECT_EQ(freshServices.Prompts(), expected) << c.reason << " " << c.status;
        EXPECT_EQ(fresh.board.Label1[1].foreColor, kDeadColor);
        EXPECT_EQ(fresh.board.Label1[2].foreColor, kDeadColor);
    }
    EXPECT_TRUE(IcmpNotPermittedMessage().contains(QStringLiteral("net.ipv4.ping_group_range")));
    EXPECT_TRUE(IcmpNotPermittedMessage().contains(QStringLiteral("cap_net_raw")));
}

}  // namespace
}  // namespace orvane2
