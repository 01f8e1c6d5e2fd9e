#include "framework/CWmipListObjectClassCache.h"

#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntCoreDb/CSqlText.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/DBConnectionManager.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"

using brontel::utility::CWMIDebugLog;

namespace {
constexpr const wchar_t* kListObjectClassCacheSourceFile = L"wpListObjectClassCache.cpp";
}

CWmipListObjectClassCache::CWmipListObjectClassCache(const CAcsUser* connection, DBConnectionManager* manager)
    : m_connection(connection), m_manager(manager)
{
    if (m_connection == nullptr || m_connection->GetDatabase() == nullptr)
        return;
    try
    {
        CDynamicRecordset lists(m_connection->GetDatabase());
        lists.SetTable(L"DDTBL");
        lists.AddColumnToSet(L"ID", L"DDTBL");
        lists.AddColumnToSet(L"NAME", L"DDTBL");
        lists.AddColumnToSet(L"TBLNAME", L"DDTBL");
        lists.AddFilterInt(L"DDTBL.ISLIST", 1);
        lists.AddOrderBy(L"ID", L"DDTBL");
        lists.OpenForwardOnly();
        for (; !lists.IsEOF(); lists.MoveNext())
        {
            CWmipListDescriptor descriptor;
            descriptor.id = lists.GetLong(0);
            descriptor.displayName = lists.GetText(1);
            descriptor.table = lists.GetText(2);
            // The table name becomes SQL text and a class name: only an identifier is served.
            if (!CSqlText::IsValidIdentifier(std::wstring_view(descriptor.table, descriptor.table.GetLength()), false))
            {
                CWMIDebugLog::LogError(kListObjectClassCacheSourceFile, __LINE__,
                                       L"User-defined list with an invalid table skipped: " + descriptor.table);
                continue;
            }
            descriptor.className = CString(kClassPrefix) + descriptor.table;
            m_descriptors.emplace(descriptor.className, descriptor);
        }
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(kListObjectClassCacheSourceFile, __LINE__, L"Unable to load the user-defined lists.", 0,
                               &e);
    }
}

CWmipListObjectClassCache::~CWmipListObjectClassCache()
{
    if (m_manager != nullptr && m_connection != nullptr)
        m_manager->ReleaseConnection(m_connection);
}

const CWmipListDescriptor* CWmipListObjectClassCache::Find(const CString& className) const
{
    const auto found = m_descriptors.find(className);
    return found != m_descriptors.end() ? &found->second : nullptr;
}
