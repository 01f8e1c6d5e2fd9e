#include "tools/provixa/ProvixaSimulation.h"

#include <sqlite3.h>

#include <filesystem>
#include <stdexcept>

#include "hardware/AapProcedure.h"
#include "hardware/RpcBlock.h"
#include "simulation/SimulatedInstallation.h"
#include "tools/provixa/ProvixaInstallation.h"
#include "tools/provixa/ProvixaLineWriter.h"
#include "tools/provixa/ProvixaText.h"

namespace {

// The online pattern: a status byte with bit 0 set.
constexpr BYTE kOnline = 0x01;
constexpr std::size_t kHeaderSize = 16;
constexpr std::size_t kHeaderStatusOffset = 5;
constexpr std::size_t kRecordSize = 56;
constexpr std::size_t kRecordStatusOffset = 8;

support::SimulatedAnswer Filling(std::function<void(std::span<BYTE>)> fill)
{
    support::SimulatedAnswer answer;
    answer.fill = std::move(fill);
    return answer;
}

void AnswerOnline(support::SimulatedDriverServer& driver)
{
    driver.SetAnswer(static_cast<LONG>(AapProcedure::GetPanelDeviceStatus), Filling([](std::span<BYTE> block) {
                         RpcBlock::PutByte(block, kHeaderStatusOffset, kOnline);
                         for (std::size_t at = kHeaderSize; at + kRecordSize <= block.size(); at += kRecordSize)
                             RpcBlock::PutByte(block, at + kRecordStatusOffset, kOnline);
                     }));
    driver.SetAnswer(static_cast<LONG>(AapProcedure::GetDeviceStatus),
                     Filling([](std::span<BYTE> block) { RpcBlock::PutLong(block, 8, 1); }));
    driver.SetAnswer(static_cast<LONG>(AapProcedure::GetIntrusionPanelStatus),
                     Filling([](std::span<BYTE> block) { RpcBlock::PutByte(block, 4, kOnline); }));
    driver.SetAnswer(static_cast<LONG>(AapProcedure::GetElevatorTerminalStatus),
                     Filling([](std::span<BYTE> block) { RpcBlock::PutLong(block, 4, kOnline); }));
}

}  // namespace

std::vector<std::wstring> ProvixaSimulation::PanelHosts()
{
    std::filesystem::path file;
    std::string error;
    if (!ProvixaInstallation::DatabaseFile(&file, &error))
        throw std::runtime_error(error);
    const ProvixaInstallation::Database db = ProvixaInstallation::OpenDatabase(file, &error);
    sqlite3_stmt* statement = nullptr;
    if (!db || sqlite3_prepare_v2(db.get(), "SELECT DISTINCT TERMINALNA FROM ACCESSPANE WHERE TERMINALNA <> ''", -1,
                                  &statement, nullptr) != SQLITE_OK)
        throw std::runtime_error("cannot read the panels of " + file.string());
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> owned(statement, sqlite3_finalize);
    std::vector<std::wstring> hosts;
    while (sqlite3_step(statement) == SQLITE_ROW)
    {
        if (const unsigned char* text = sqlite3_column_text(statement, 0))
            hosts.push_back(ProvixaText::FromUtf8(reinterpret_cast<const char*>(text)));
    }
    return hosts;
}

ProvixaSimulation::ProvixaSimulation(ProvixaLineWriter& trace)
{
    std::vector<std::wstring> hosts = PanelHosts();
    hosts.emplace_back();
    m_servers = std::make_unique<support::SimulatedInstallation>(hosts);
    AnswerOnline(m_servers->Driver());
    for (support::SimulatedServer* server : m_servers->Servers())
    {
        // Calls may arrive on the configuration threads as well as on the request thread.
        server->SetObserver([&trace](const support::SimulatedServer& self, const support::SimulatedCall& call) {
            trace.WriteLine(ProvixaText::ToUtf8(self.Describe(call)));
        });
    }
}

ProvixaSimulation::~ProvixaSimulation() = default;

void ProvixaSimulation::RelayEventsTo(
    std::function<void(std::span<const BYTE> record, const std::wstring& text)> receiver)
{
    m_servers->CommEventServer().SetRelay(std::move(receiver));
}
