// Runs the built program over the demo installation and compares what enum and query print,
// byte for byte, with the output the host gave before it printed instances as they arrive
// (golden/, captured from that host; "@COMPUTER@" stands for this computer's name in paths).
#include "tests/tools/provixa/ProvixaProgramTest.h"

#include "platform/win32/SystemInfo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
using provixa_program::ReadAll;

std::string ComputerName()
{
    wchar_t buffer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    EXPECT_TRUE(GetComputerNameW(buffer, &size));
    // Computer names are ASCII.
    std::string name;
    for (DWORD i = 0; i < size; ++i)
        name += static_cast<char>(buffer[i]);
    return name;
}

std::string WithComputer(std::string text)
{
    static const std::string kPlaceholder = "@COMPUTER@";
    const std::string name = ComputerName();
    for (std::size_t at; (at = text.find(kPlaceholder)) != std::string::npos;)
        text.replace(at, kPlaceholder.size(), name);
    return text;
}

class ProvixaGoldenOutput : public provixa_program::ProvixaProgramTest
{
};
}  // namespace

TEST_F(ProvixaGoldenOutput, EnumAndQueryPrintWhatTheWholeListPrinted)
{
    ASSERT_EQ(Provixa({"init"}).status, 0);
    const struct
    {
        std::vector<std::string> args;
        const char* golden;
    } cases[] = {
        {{"--as", "admin", "enum", "Bnt_Cardholder"}, "enum-cardholders.txt"},
        {{"--as", "admin", "--json", "enum", "Bnt_Cardholder"}, "enum-cardholders.json"},
        {{"--as", "porter", "query", "SELECT * FROM Bnt_Badge WHERE BADGEKEY > 1"}, "query-badges-porter.txt"},
        {{"--as", "admin", "--json", "query", "SELECT LASTNAME, FIRSTNAME FROM Bnt_Cardholder WHERE ID < 5"},
         "query-names.json"},
        {{"--as", "admin", "query", "SELECT * FROM Bnt_Cardholder WHERE ID = 999"}, "query-none.txt"},
        {{"--as", "admin", "--json", "query", "SELECT * FROM Bnt_Cardholder WHERE ID = 999"}, "query-none.json"},
    };
    for (const auto& c : cases)
    {
        const provixa_program::Outcome run = Provixa(c.args);
        EXPECT_EQ(run.status, 0) << c.golden << "\n" << run.err;
        EXPECT_EQ(run.err, "") << c.golden;
        EXPECT_EQ(run.out, WithComputer(ReadAll(std::filesystem::path(PROVIXA_GOLDEN_DIR) / c.golden))) << c.golden;
    }
}
