// SPDX-License-Identifier: MIT
#include "probe/linux/capabilities.h"

#include <sys/capability.h>

#include <memory>
#include <type_traits>

namespace orvane2 {
namespace {

struct CapabilityStateFree {
    void operator()(cap_t state) const { cap_free(state); }
};
using CapabilityState = std::unique_ptr<std::remove_pointer_t<cap_t>, CapabilityStateFree>;

}  // namespace

bool RaiseNetRaw()
{
    const CapabilityState state(cap_get_proc());
    cap_value_t netRaw[] = {CAP_NET_RAW};
    cap_flag_value_t permitted = CAP_CLEAR;
    return state && cap_get_flag(state.get(), CAP_NET_RAW, CAP_PERMITTED, &permitted) == 0 && permitted == CAP_SET &&
           cap_set_flag(state.get(), CAP_EFFECTIVE, 1, netRaw, CAP_SET) == 0 && cap_set_proc(state.get()) == 0;
}

bool DropEveryCapability()
{
    const CapabilityState none(cap_init());
    if (!none || cap_set_proc(none.get()) != 0) {
        return false;
    }
    const CapabilityState now(cap_get_proc());
    return now && cap_compare(now.get(), none.get()) == 0;
}

}  // namespace orvane2
