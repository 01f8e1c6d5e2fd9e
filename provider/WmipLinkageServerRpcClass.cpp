#include "provider/WmipLinkageServerRpcClass.h"

#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/DBConnectionManager.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "platform/mfc/CException.h"

using brontel::utility::CWMIDebugLog;

namespace {

constexpr wchar_t kLinkageServerRpcClassSource[] = L"WmipLinkageServerRpcClass";

}  // namespace

WmipLinkageServerRpcClass::WmipLinkageServerRpcClass(const CAcsUser* connection, DBConnectionManager* manager)
    : CLSLRpcComClass(connection != nullptr ? connection->GetDatabase() : nullptr), m_manager(manager),
      m_connection(connection)
{
    InitializeCriticalSection(&m_lock);
}

WmipLinkageServerRpcClass::~WmipLinkageServerRpcClass()
{
    if (m_manager != nullptr && m_connection != nullptr)
        m_manager->ReleaseConnection(m_connection);
    DeleteCriticalSection(&m_lock);
}

BOOL WmipLinkageServerRpcClass::UpdateLinkageServer(int code, CfgMessage* message)
{
    const CriticalSectionLock guard(m_lock);
    try
    {
        return CLSLRpcComClass::UpdateLinkageServer(code, message);
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(kLinkageServerRpcClassSource, __LINE__, L"", E_FAIL, &e);
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kLinkageServerRpcClassSource, __LINE__, L"");
    }
    return FALSE;
}
