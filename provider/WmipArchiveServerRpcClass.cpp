#include "provider/WmipArchiveServerRpcClass.h"

#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/DBConnectionManager.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "platform/mfc/CException.h"

using brontel::utility::CWMIDebugLog;

namespace {

constexpr wchar_t kArchiveServerRpcClassSource[] = L"WmipArchiveServerRpcClass";

}  // namespace

WmipArchiveServerRpcClass::WmipArchiveServerRpcClass(const CAcsUser* connection, DBConnectionManager* manager)
    : LCRSRpcComClass(connection != nullptr ? connection->GetDatabase() : nullptr), m_manager(manager),
      m_connection(connection)
{
    InitializeCriticalSection(&m_lock);
}

WmipArchiveServerRpcClass::~WmipArchiveServerRpcClass()
{
    if (m_manager != nullptr && m_connection != nullptr)
        m_manager->ReleaseConnection(m_connection);
    DeleteCriticalSection(&m_lock);
}

BOOL WmipArchiveServerRpcClass::UpdateCommDriver(int code, CfgMessage* message)
{
    const CriticalSectionLock guard(m_lock);
    try
    {
        return LCRSRpcComClass::UpdateCommDriver(code, message);
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(kArchiveServerRpcClassSource, __LINE__, L"", E_FAIL, &e);
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kArchiveServerRpcClassSource, __LINE__, L"");
    }
    return FALSE;
}
