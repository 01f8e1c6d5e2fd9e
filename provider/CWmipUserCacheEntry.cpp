#include "provider/CWmipUserCacheEntry.h"

#include <optional>

#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/DBConnectionManager.h"
#include "inhouse/BntUserDb/CBntAcsDBMgrCardholder.h"
#include "inhouse/BntUserDb/CBntAssignedAcLvlList.h"
#include "inhouse/BntUtility/CLogger.h"
#include "inhouse/BntUtility/CResult.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "platform/mfc/CException.h"
#include "platform/win32/SystemInfo.h"
#include "provider/CWmipApp.h"

using brontel::utility::CWMIDebugLog;

namespace {

constexpr wchar_t kUserCacheEntrySource[] = L"CWmipUserCache.cpp";
constexpr wchar_t kEntryErrorLog[] = L"BrontelError.log";
constexpr DWORD kOnityCheckFailure = 0x20010001u;

// Takes the entry lock when the entry has one.
class EntryLock
{
public:
    explicit EntryLock(CRITICAL_SECTION* lock)
    {
        if (lock != nullptr)
        {
            m_guard.emplace(*lock);
        }
    }

private:
    std::optional<CriticalSectionLock> m_guard;
};

}  // namespace

CWmipUserCacheEntry::CWmipUserCacheEntry(std::unique_ptr<CAcsUser> user, CRITICAL_SECTION* entryLock,
                                         ULONGLONG creationTick, DBConnectionManager* connections)
    : m_user(std::move(user)), m_entryLock(entryLock), m_creationTick(creationTick), m_connections(connections)
{
}

CWmipUserCacheEntry::~CWmipUserCacheEntry()
{
    m_cardholderManager.reset();
    if (m_connection != nullptr)
    {
        if (DBConnectionManager* connections = Connections())
        {
            connections->ReleaseConnection(m_connection);
        }
    }
}

int CWmipUserCacheEntry::AddRef()
{
    return m_useCount.fetch_add(1, std::memory_order_acq_rel) + 1;
}

int CWmipUserCacheEntry::Release()
{
    return m_useCount.fetch_sub(1, std::memory_order_acq_rel) - 1;
}

DBConnectionManager* CWmipUserCacheEntry::Connections() const
{
    return m_connections != nullptr ? m_connections : CWmipApp::GetConnectionManager();
}

const CAcsUser* CWmipUserCacheEntry::BorrowedConnection()
{
    if (m_connection == nullptr)
    {
        if (DBConnectionManager* connections = Connections())
        {
            m_connection = connections->Connection(0);
        }
    }
    return m_connection;
}

CBntAcsDBMgrCardholder* CWmipUserCacheEntry::GetCardholderAcsDbManager()
{
    const EntryLock guard(m_entryLock);
    if (m_cardholderManager != nullptr)
    {
        return m_cardholderManager.get();
    }
    const CAcsUser* connection = BorrowedConnection();
    if (connection == nullptr || connection->GetDatabase() == nullptr)
    {
        return nullptr;
    }
    try
    {
        auto layout = std::make_unique<LUDFDbMgr>(connection->GetDatabase());
        layout->Read(LUDFDbMgr::kAllObjectTypes);
        auto manager = std::make_unique<CBntAcsDBMgrCardholder>();
        manager->SetPrimaryDatabase(connection->GetDatabase());
        manager->SetUser(m_user.get());
        manager->SetUDFLayout(std::move(layout));
        m_cardholderManager = std::move(manager);
    }
    catch (const CException& e)
    {
        // Without its layout the manager would write cardholders without their fields.
        CWMIDebugLog::LogError(kUserCacheEntrySource, __LINE__, L"Unable to set up the cardholder database manager", 0,
                               &e);
    }
    return m_cardholderManager.get();
}

bool CWmipUserCacheEntry::CanOnityILSLevelBeAssigned(const CBntAssignedAcLvlList& assigned, LONG accessLevelId)
{
    CBntAssignedAcLvlList added;
    added.AddStandard(accessLevelId, 0);
    return CanOnityILSLevelBeAssigned(assigned, added);
}

bool CWmipUserCacheEntry::CanOnityILSLevelBeAssigned(const CBntAssignedAcLvlList& assigned,
                                                     const CBntAssignedAcLvlList& added)
{
    if (m_user == nullptr || !m_user->GetSystemOptions().BntSupportOnityLocks())
    {
        return true;
    }
    const EntryLock guard(m_entryLock);
    try
    {
        CWMIDebugLog::LogInfo(kUserCacheEntrySource, __LINE__,
                              L"In CWmipAccessLevelAssignmentMapper::CanOnityILSLevelBeAssigned...");
        const DWORD start = GetTickCount();
        bool overlap = false;
        for (const CBntAssignedAcLvlList::Entry& level : added.GetEntries())
        {
            for (const CBntAssignedAcLvlList::Entry& held : assigned.GetEntries())
            {
                overlap = DoReaderInformationListsOverlap(GetReaderInformationForAccessLevel(level.levelId),
                                                          GetReaderInformationForAccessLevel(held.levelId));
                if (overlap)
                {
                    break;
                }
            }
            if (overlap)
            {
                break;
            }
        }
        CString text;
        text.Format(L"Out CWmipAccessLevelAssignmentMapper::CanOnityILSLevelBeAssigned took %ld ms",
                    static_cast<LONG>(GetTickCount() - start));
        CWMIDebugLog::LogInfo(kUserCacheEntrySource, __LINE__, text);
        return !overlap;
    }
    catch (const CException& e)
    {
        CLogger::LogError(kEntryErrorLog, CResult(kOnityCheckFailure), kUserCacheEntrySource, __LINE__, &e);
    }
    catch (...)
    {
        CLogger::LogError(kEntryErrorLog, CResult(kOnityCheckFailure), kUserCacheEntrySource, __LINE__);
    }
    return true;
}

std::shared_ptr<const CWmipUserCacheEntry::ReaderList> CWmipUserCacheEntry::GetReaderInformationForAccessLevel(
    LONG accessLevelId)
{
    const auto known = m_readerInformation.find(accessLevelId);
    if (known != m_readerInformation.end())
    {
        return known->second;
    }
    const CAcsUser* connection = BorrowedConnection();
    if (connection == nullptr || connection->GetDatabase() == nullptr)
    {
        return std::make_shared<const ReaderList>();
    }
    CDynamicRecordset readers(connection->GetDatabase());
    readers.SetupJoin(L"ACCESSLVL", L"ACCESSLVID", L"ACCLVLINK", L"ACCESSLVID", CMultiFilterRecordset::InnerJoin);
    readers.AddJoin(L"ACCLVLINK", L"PANELID", L"READER", L"PANELID", CMultiFilterRecordset::InnerJoin);
    readers.AddJoin(L"ACCLVLINK", L"READERID", L"READER", L"READERID", CMultiFilterRecordset::InnerJoin);
    readers.AddJoin(L"READER", L"PANELID", L"ACCESSPANE", L"PANELID", CMultiFilterRecordset::InnerJoin);
    readers.AddColumnToSet(L"PANELID", L"READER");
    readers.AddColumnToSet(L"READERID", L"READER");
    bool first = true;
    for (const LONG panelType : kOnityPanelTypes)
    {
        readers.AddFilterLong(L"ACCESSPANE.PANELTYPE", panelType, CMultiFilterRecordset::Equal,
                              first ? CMultiFilterRecordset::AndFilter : CMultiFilterRecordset::OrFilter);
        first = false;
    }
    readers.AddFilterLong(L"ACCESSLVL.ACCESSLVID", accessLevelId);
    readers.OpenForwardOnly();
    auto list = std::make_shared<ReaderList>();
    for (; !readers.IsEOF(); readers.MoveNext())
    {
        list->emplace_back(readers.GetLong(0), readers.GetLong(1));
    }
    std::shared_ptr<const ReaderList> stored = std::move(list);
    m_readerInformation.emplace(accessLevelId, stored);
    return stored;
}

bool CWmipUserCacheEntry::DoReaderInformationListsOverlap(std::shared_ptr<const ReaderList> first,
                                                          std::shared_ptr<const ReaderList> second)
{
    if (first == nullptr || second == nullptr)
    {
        return false;
    }
    for (const auto& reader : *first)
    {
        for (const auto& other : *second)
        {
            if (reader == other)
            {
                return true;
            }
        }
    }
    return false;
}
