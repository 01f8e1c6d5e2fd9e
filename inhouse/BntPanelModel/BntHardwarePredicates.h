// The reader and alarm panel predicates of the installation's hardware utility library, over
// the controller types stored with readers (READER.CTRLTYPE) and alarm panels
// (ALARMPANEL.CTRLTYPE). The installation's controller types:
//   readers: 1 standard reader; 20 and 21 onboard readers of a two-reader door; 30 logical
//     slave reader (the second reader of a door, reached through its master);
//   alarm panels: 0 input/output board; 40 and 41 elevator alarm panels.
//
// Stateless; safe from any thread.
#pragma once

#include <cstddef>

#include "platform/win32/WinTypes.h"

// True for an onboard reader that shares its door with a partner reader.
bool BntIsOnboardReader2(LONG controlType);

namespace Bnt::IR::Utility::Hardware {

// True for a reader that is the logical slave of another; the second argument names the
// reader's own mode and is not used by any controller type of the installation.
bool BntReaderLogicalSlave(LONG controlType, LONG mode);
// True for an alarm panel that serves an elevator.
bool BntIsElevatorAlarmPanel(LONG controllerType);

}  // namespace Bnt::IR::Utility::Hardware
