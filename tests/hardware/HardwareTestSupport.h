// Helpers of the hardware client tests: the block helpers of tests/support, and a fixture that registers the simulated
// servers under a test host in a fresh PROVIXA_HOME.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "simulation/SimulatedInstallation.h"
#include "tests/support/BlockBytes.h"
#include "tests/support/TemporaryHome.h"

namespace hardwaretest {

// The host the tests' servers listen on.
constexpr wchar_t kHost[] = L"PANELHOST";

using support::With;
using support::Words;

class SimulatedServersTest : public ::testing::Test
{
protected:
    support::TemporaryHome m_home;
    support::SimulatedInstallation m_servers{{kHost}};

    support::SimulatedDriverServer& Driver() { return m_servers.Driver(); }
};

}  // namespace hardwaretest
