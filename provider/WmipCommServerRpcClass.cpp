#include "provider/WmipCommServerRpcClass.h"

#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/DBConnectionManager.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "platform/mfc/CException.h"

using brontel::utility::CWMIDebugLog;

namespace {

constexpr wchar_t kCommServerRpcClassSource[] = L"WmipCommServerRpcClass";

}  // namespace

WmipCommServerRpcClass::WmipCommServerRpcClass(const CAcsUser* connection, DBConnectionManager* manager)
    : LRpcComClass(connection), m_manager(manager), m_connection(connection)
{
    InitializeCriticalSection(&m_lock);
}

WmipCommServerRpcClass::~WmipCommServerRpcClass()
{
    if (m_manager != nullptr && m_connection != nullptr)
        m_manager->ReleaseConnection(m_connection);
    DeleteCriticalSection(&m_lock);
}

BOOL WmipCommServerRpcClass::KeepsFailedCommands()
{
    return TRUE;
}

LCfgRpcSender::Delivery WmipCommServerRpcClass::UpdateMessage(int code, CfgMessage* message)
{
    const CriticalSectionLock guard(m_lock);
    try
    {
        const Delivery sent = LRpcComClass::UpdateMessage(code, message);
        if (GetLostDatabaseConnection() != 1)
            return sent;
        CWMIDebugLog::LogError(kCommServerRpcClassSource, __LINE__,
                               L"Lost connection to the database! Will attempt one reconnect...");
        if (m_manager == nullptr)
            return Delivery::Dropped;
        if (m_connection != nullptr)
            m_manager->ReleaseConnection(m_connection);
        m_connection = m_manager->Connection(0);
        SetAcsUser(m_connection);
        // Without a new connection there is nothing to send from: the message is not resent.
        if (m_connection == nullptr)
            return Delivery::Dropped;
        return LRpcComClass::UpdateMessage(code, message);
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(kCommServerRpcClassSource, __LINE__, L"", E_FAIL, &e);
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kCommServerRpcClassSource, __LINE__, L"");
    }
    return Delivery::Dropped;
}
