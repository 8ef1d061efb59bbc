// SPDX-License-Identifier: MIT
#pragma once

namespace orvane2 {

// Makes CAP_NET_RAW effective when it is in the process's permitted set (a file
// capability, or root); false when it is not permitted or cannot be raised.
bool RaiseNetRaw();

// Empties the permitted, effective and inheritable sets for good (the ambient set
// follows the permitted one) and checks that the kernel holds nothing more for this
// process; false when a capability is still held. The bounding set stays, so that the
// program started again after a configuration switch gets its file's capability again.
bool DropEveryCapability();

}  // namespace orvane2
