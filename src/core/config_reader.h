// SPDX-License-Identifier: MIT
#pragma once

#include "core/form_services.h"
#include "core/form_state.h"

#include <string>

namespace orvane2 {

// Messages the reader shows.
std::string NoGroupMessage();
std::string BadIntervalMessage();
std::string TooManyHostsMessage();
std::string TooManyGroupsMessage();
std::string UnreadableFileMessage(const std::string& path);

// Reads the configuration file at state.ConfigPath record by record, as it comes from
// the file: group records create group boxes, host records host labels, interval records
// set Timer1Interval. A host before any group ends the program with exit code 1, and so
// does a file that cannot be read.
void ReadConfiguration(FormState& state, FormServices& services);

}  // namespace orvane2
