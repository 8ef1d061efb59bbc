#pragma once

#include "window/form_services.h"
#include "window/form_state.h"

namespace orvane2 {

// Messages the reader shows.
QString NoGroupMessage();
QString BadIntervalMessage();
QString TooManyHostsMessage();

// Reads the configuration file at state.ConfigPath record by record: group records
// create group boxes, host records host labels, interval records set Timer1Interval.
// A host before any group ends the program with exit code 1.
void ReadConfiguration(FormState& state, FormServices& services);

// The same for text already read, record by record (used by ReadConfiguration).
void ReadConfigurationRecords(FormState& state, FormServices& services, const QStringList& records);

}  // namespace orvane2
