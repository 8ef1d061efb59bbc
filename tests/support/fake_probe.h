#pragma once

#include "probe/host_probe.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace orvane2::testing {

// A probe whose answers are set per host: names listed in `addresses` resolve, others
// do not; addresses listed in `alive` answer the echo. Every call is logged.
class FakeProbe final : public HostProbe {
public:
    int32_t Resolve(const std::string& NameOrIP, std::string& IP) override
    {
        calls.push_back("Resolve " + NameOrIP);
        const auto found = addresses.find(NameOrIP);
        if (found == addresses.end())
            return 11001;
        IP = found->second;
        return 0;
    }
    bool Ping(const std::string& IP, int32_t TimeoutMS, const std::string& Data) override
    {
        calls.push_back("Ping " + IP + " " + std::to_string(TimeoutMS) + " [" + Data + "]");
        if (onPing)
            onPing(IP);
        if (alive.count(IP) > 0)
            return true;
        Reason = failReason;
        Status = failStatus;
        return false;
    }

    std::map<std::string, std::string> addresses;
    std::map<std::string, bool> alive;
    std::vector<std::string> calls;
    int32_t failReason = 3;      // a silent host by default
    int32_t failStatus = 11010;  // request timed out
    std::function<void(const std::string&)> onPing;
};

}  // namespace orvane2::testing
