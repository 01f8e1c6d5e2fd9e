#include "provider/LRpcComClass.h"

#include "hardware/ICfgMessageServer.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "hardware/CfgMessage.h"

LRpcComClass::LRpcComClass(const CAcsUser* user)
    : LCfgRpcSender(kCommServerCfgEndpoints, L"Communication Server"), m_user(user)
{
}

LRpcComClass::~LRpcComClass() = default;

void LRpcComClass::SetAcsUser(const CAcsUser* user)
{
    const CheckedMutexLock lock(m_userLock);
    m_user = user;
}

const CAcsUser* LRpcComClass::GetAcsUser() const
{
    const CheckedMutexLock lock(m_userLock);
    return m_user;
}

void LRpcComClass::WriteAllCommandsDirectlyToFailedRpc()
{
    WriteAllCommandsToStore();
}

BOOL LRpcComClass::KeepsFailedCommands()
{
    return FALSE;
}

LCfgRpcSender::Delivery LRpcComClass::UpdateMessage(int code, CfgMessage* message)
{
    m_lostDatabaseConnection.store(0);
    if (message == nullptr)
        return Delivery::Dropped;
    const CAcsUser* user = GetAcsUser();
    const CBntDatabase* database = user != nullptr ? user->GetDatabase() : nullptr;
    if (database == nullptr || database->IsConnectionLost() || !database->IsOpen())
    {
        m_lostDatabaseConnection.store(1);
        return Delivery::Dropped;
    }
    return DeliverMessage(code, *message, KeepsFailedCommands() != FALSE);
}

BOOL LRpcComClass::UpdateCommDriver(int code, CfgMessage* message)
{
    return UpdateMessage(code, message) == Delivery::Sent ? TRUE : FALSE;
}

bool LRpcComClass::UpdateCommDriverOrKeep(int code, CfgMessage* message)
{
    return UpdateMessage(code, message) != Delivery::Dropped;
}

BOOL LRpcComClass::ShutdownThread(int, int, bool)
{
    return Kill(0);
}
