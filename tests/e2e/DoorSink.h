// DoorSink: the IWbemObjectSink a client of the WMI door hands to an asynchronous call; the
// shared recording sink of tests/support.
#pragma once

#include "tests/support/RecordingSink.h"

namespace e2e {
using StatusReport = support::StatusReport;
using DoorSink = support::RecordingSink;
}  // namespace e2e
