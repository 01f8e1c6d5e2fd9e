// AwaitLimit: how long a test waits for the work of another thread (a delivery, an event, a final
// status) before it fails instead of hanging. The work is awaited, never timed: a loaded machine
// under the sanitizers may take many seconds to run a background thread, and still passes; a
// broken one fails within the test's CTest limit.
#pragma once

#include <chrono>

namespace support {

inline constexpr std::chrono::seconds kAwaitLimit{240};

}  // namespace support
