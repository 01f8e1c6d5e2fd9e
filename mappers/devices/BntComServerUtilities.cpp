#include "mappers/devices/BntComServerUtilities.h"

#include <array>
#include <ctime>

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

constexpr wchar_t kBntComServerUtilitiesSource[] = L"BntComServerUtilities.cpp";

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
    CWMIDebugLog::LogError(kBntComServerUtilitiesSource, __LINE__, line);
    return false;
}

// Removes the log row of an event that the communication server did not take, in a short
// transaction of its own (a savepoint of the caller's when one is open).
void TakeBack(CBntDatabase* database, const BntMessage& record, LONG serialNumber)
{
    const LONG panelId = static_cast<LONG>(record.Get(BntMessage::PanelID));
    try
    {
        CBntTransaction transaction(*database);
        database->ExecuteSQL(L"DELETE FROM EVENTS WHERE MACHINE = ? AND SERIALNUM = ?",
                             {CDBValue(panelId), CDBValue(serialNumber)});
        transaction.Commit();
    }
    catch (const CDBException& e)
    {
        CString line;
        line.Format(L"The event of panel %ld was not handed over, but its log row (serial number %ld) could not be "
                    L"removed.",
                    static_cast<long>(panelId), static_cast<long>(serialNumber));
        CWMIDebugLog::LogError(kBntComServerUtilitiesSource, __LINE__, line, 0, &e);
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

void BntComServerUtilities::LogEvent(CBntDatabase& database, const BntMessage& record, LONG serialNumber)
{
    // Outside a write's transaction another writer could draw the same number before this row.
    if (CBntCommitQueue::OpenLevels() == 0)
        throw CDBException(CDBException::kRetRefused, L"25000", 0,
                           L"An event is logged only inside a write's transaction.");
    const ULONGLONG card = record.ReadU64(BntMessage::kDataOffset);
    const CString extendedId = record.GetExtendedID();
    database.ExecuteSQL(
        L"INSERT INTO EVENTS (SERIALNUM, EVENT_TIME_UTC, MACHINE, DEVID, INPUTDEVID, EVENTTYPE, EVENTID, "
        L"EVENT_TEXT, CARDNUM, CARD_EXTENDED_ID) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
        {CDBValue(serialNumber), CDBValue(UtcText(static_cast<std::time_t>(record.Get(BntMessage::Time)))),
         CDBValue(record.Get(BntMessage::PanelID)), CDBValue(record.Get(BntMessage::DeviceID)),
         CDBValue(record.Get(BntMessage::InputID)), CDBValue(record.Get(BntMessage::EventType)),
         CDBValue(record.Get(BntMessage::EventSubtype)),
         record.GetText().IsEmpty() ? CDBValue() : CDBValue(record.GetText()),
         card != 0 ? CDBValue(static_cast<LONGLONG>(card)) : CDBValue(),
         extendedId.IsEmpty() ? CDBValue() : CDBValue(extendedId)});
}

bool BntComServerUtilities::SendLoggedEvent(CBntDatabase* database, const BntMessage& record, LONG serialNumber)
{
    if (database == nullptr)
        return false;
    bool taken = false;
    // Inside a transaction the server would be asked under its write lock.
    if (CBntCommitQueue::OpenLevels() != 0)
    {
        CWMIDebugLog::LogError(kBntComServerUtilitiesSource, __LINE__,
                               L"An event is not handed over inside a write's transaction.");
    }
    else if (const auto server =
                 RpcEndpointTable::Instance().BindInterface<ICommEventServer>(L"", kCommServerEventEndpoints))
    {
        taken = HandToCommServer(server, record);
    }
    else
    {
        CWMIDebugLog::LogError(kBntComServerUtilitiesSource, __LINE__,
                               L"The communication server of this computer cannot be reached.");
    }
    if (!taken)
        TakeBack(database, record, serialNumber);
    return taken;
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
