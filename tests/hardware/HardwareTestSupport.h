// Helpers of the hardware client tests: little-endian blocks written as word lists, and a
// fixture that registers the simulated servers under a test host in a fresh PROVIXA_HOME.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <vector>

#include "hardware/RpcBlock.h"
#include "tests/support/SimulatedInstallation.h"
#include "tests/support/TemporaryHome.h"

namespace hardwaretest
{

// The host the tests' servers listen on.
constexpr wchar_t kHost[] = L"PANELHOST";

// 32-bit little-endian words.
inline std::vector<BYTE> Words(std::initializer_list<LONG> words)
{
    std::vector<BYTE> block(words.size() * 4);
    std::size_t offset = 0;
    for (const LONG word : words) {
        RpcBlock::PutLong(block, offset, word);
        offset += 4;
    }
    return block;
}

// The block with bytes set at an offset.
inline std::vector<BYTE> With(std::vector<BYTE> block, std::size_t offset, std::initializer_list<BYTE> bytes)
{
    for (const BYTE b : bytes) {
        if (offset >= block.size())
            block.resize(offset + 1);
        block[offset++] = b;
    }
    return block;
}

class SimulatedServersTest : public ::testing::Test
{
protected:
    support::TemporaryHome m_home;
    support::SimulatedInstallation m_servers{{kHost}};

    support::SimulatedDriverServer& Driver() { return m_servers.Driver(); }
};

}  // namespace hardwaretest
