#include "mappers/devices/BntComServerUtilities.h"

#include <array>
#include <ctime>
#include <optional>

#include "hardware/ICommEventServer.h"
#include "hardware/RpcBlock.h"
#include "inhouse/BntAccessSets/CBntRowSet.h"
#include "inhouse/BntCoreDb/CBntCommitQueue.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CBntTransaction.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "mappers/devices/CWmipLogicalDeviceRules.h"
#include "platform/rpc/RpcEndpointTable.h"
#include "platform/win32/SystemInfo.h"
#include "hardware/BntMessage.h"

using bnt::utility::BntMessage;
using brontel::utility::CWMIDebugLog;

namespace {

// The rows of one query of this helper.
class QuerySet : public CBntRowSet
{
public:
    QuerySet(CBntDatabase* database, const std::string& sql, const std::vector<CDBValue>& params) : CBntRowSet(database)
    {
        OpenQuery(sql, params);
    }
    using CBntRowSet::Long;
    using CBntRowSet::Text;
};

CString ThisComputer()
{
    std::array<wchar_t, MAX_COMPUTERNAME_LENGTH + 1> name{};
    DWORD size = static_cast<DWORD>(name.size());
    return GetComputerNameW(name.data(), &size) ? CString(name.data()) : CString();
}

// Seconds since 1970 as the event log's UTC text.
CString UtcText(std::time_t seconds)
{
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    std::array<char, 32> text{};
    std::strftime(text.data(), text.size(), "%Y-%m-%d %H:%M:%S", &utc);
    return CString(text.data());
}

constexpr wchar_t kSource[] = L"BntComServerUtilities.cpp";

// The record as the communication server's event door takes it.
std::vector<BYTE> EventBlock(const BntMessage& record)
{
    const std::vector<BYTE> text = RpcBlock::Utf16WithTerminator(record.GetText().GetWString());
    std::vector<BYTE> block(record.Record().begin(), record.Record().end());
    block.resize(BntMessage::kRecordSize + 4);
    RpcBlock::PutLong(block, BntMessage::kRecordSize, static_cast<LONG>(text.size()));
    block.insert(block.end(), text.begin(), text.end());
    return block;
}

// Hands the record to the communication server of this computer. True when it took it.
bool HandToCommServer(const std::shared_ptr<ICommEventServer>& server, const BntMessage& record)
{
    LONG answer = -1;
    const RPC_STATUS status = server->SubmitEvent(EventBlock(record), &answer);
    if (status == RPC_S_OK && answer == 0)
        return true;
    CString line;
    line.Format(L"The communication server refused the event (transport status %ld, answer %ld).",
                static_cast<long>(status), static_cast<long>(answer));
    CWMIDebugLog::LogError(kSource, __LINE__, line);
    return false;
}

// Hands the event to the communication server, then logs it (EVENTS) in a short transaction of
// its own: the row is written only once the server took the event, so the event log never shows
// an event that went nowhere, and no write lock is held while the server is asked. Without a
// serial number the panel's next one is drawn inside that transaction, as an access panel's
// server numbers an event as it logs it.
bool HandOverAndLog(CBntDatabase* database, const BntMessage& record, std::optional<LONG> serialNumber)
{
    if (database == nullptr)
        return false;
    // Inside a transaction the server would be asked under its write lock.
    if (CBntCommitQueue::OpenLevels() != 0)
    {
        CWMIDebugLog::LogError(kSource, __LINE__, L"An event is not handed over inside a write's transaction.");
        return false;
    }
    const auto server = RpcEndpointTable::Instance().BindInterface<ICommEventServer>(L"", kCommServerEventEndpoints);
    if (server == nullptr)
    {
        CWMIDebugLog::LogError(kSource, __LINE__, L"The communication server of this computer cannot be reached.");
        return false;
    }
    if (!HandToCommServer(server, record))
        return false;
    try
    {
        const ULONGLONG card = record.ReadU64(BntMessage::kDataOffset);
        const CString extendedId = record.GetExtendedID();
        CBntTransaction transaction(*database);
        const LONG serial = serialNumber ? *serialNumber
                                         : BntComServerUtilities::GetEventSerialNumber(
                                               database, static_cast<LONG>(record.Get(BntMessage::PanelID)));
        database->ExecuteSQL(
            L"INSERT INTO EVENTS (SERIALNUM, EVENT_TIME_UTC, MACHINE, DEVID, INPUTDEVID, EVENTTYPE, EVENTID, "
            L"EVENT_TEXT, CARDNUM, CARD_EXTENDED_ID) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
            {CDBValue(serial), CDBValue(UtcText(static_cast<std::time_t>(record.Get(BntMessage::Time)))),
             CDBValue(record.Get(BntMessage::PanelID)), CDBValue(record.Get(BntMessage::DeviceID)),
             CDBValue(record.Get(BntMessage::InputID)), CDBValue(record.Get(BntMessage::EventType)),
             CDBValue(record.Get(BntMessage::EventSubtype)),
             record.GetText().IsEmpty() ? CDBValue() : CDBValue(record.GetText()),
             card != 0 ? CDBValue(static_cast<LONGLONG>(card)) : CDBValue(),
             extendedId.IsEmpty() ? CDBValue() : CDBValue(extendedId)});
        transaction.Commit();
        return true;
    }
    catch (const CDBException& e)
    {
        // The server has the event; the log says which row is missing and why.
        CString line;
        line.Format(L"The event of panel %ld was handed over but could not be logged.",
                    static_cast<long>(record.Get(BntMessage::PanelID)));
        CWMIDebugLog::LogError(kSource, __LINE__, line, 0, &e);
        return false;
    }
}

}  // namespace

LONG BntComServerUtilities::GetEventSerialNumber(CBntDatabase* database, LONG panelId)
{
    if (database == nullptr)
        return 0;
    const QuerySet highest(database, "SELECT COALESCE(MAX(SERIALNUM), 0) + 1 FROM EVENTS WHERE MACHINE = ?",
                           {CDBValue(panelId)});
    return highest.Long(0);
}

bool BntComServerUtilities::LogAndSendControllerWithoutACommServerBasedEvent(CBntDatabase* database,
                                                                             const BntMessage& record)
{
    return HandOverAndLog(database, record, static_cast<LONG>(record.Get(BntMessage::SerialNumber)));
}

bool BntComServerUtilities::LogAndSendControllerBasedEvent(CBntDatabase* database, const BntMessage& record)
{
    return HandOverAndLog(database, record, std::nullopt);
}

std::vector<CString> BntComServerUtilities::FindAllLocalCommServersForOnlinePanels(CBntDatabase* database)
{
    std::vector<CString> hosts;
    if (database == nullptr)
        return hosts;
    QuerySet panels(database,
                    "SELECT TERMINALNA FROM ACCESSPANE WHERE ONLINE1 = 1 AND PANELTYPE <> ? AND TERMINALNA IS NOT NULL "
                    "AND LENGTH(TERMINALNA) > 0 ORDER BY PANELID",
                    // Logical sources have no communication server.
                    {CDBValue(CWmipLogicalDeviceRules::kLogicalSourcePanelType)});
    const CString computer = ThisComputer();
    for (; !panels.IsEOF(); panels.MoveNext())
    {
        const CString host = panels.Text(0);
        const bool local =
            host.CompareNoCase(L"localhost") == 0 || (!computer.IsEmpty() && host.CompareNoCase(computer) == 0);
        bool known = false;
        for (const CString& listed : hosts)
            known = known || listed.CompareNoCase(host) == 0;
        if (local && !known)
            hosts.push_back(host);
    }
    return hosts;
}
