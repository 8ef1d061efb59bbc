// SPDX-License-Identifier: MIT
#include "core/argument_string.h"

namespace orvane2 {

std::string ArgumentString(int argc, const char* const* argv)
{
    std::string joined;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            joined += ' ';
        joined += argv[i];
    }
    return joined;
}

}  // namespace orvane2
