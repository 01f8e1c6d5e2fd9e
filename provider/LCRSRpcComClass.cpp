#include "provider/LCRSRpcComClass.h"

#include "hardware/ICfgMessageServer.h"
#include "hardware/CfgMessage.h"

LCRSRpcComClass::LCRSRpcComClass(CBntDatabase* database)
    : LCfgRpcSender(kArchiveServerCfgEndpoints, L"Archive Server"), m_database(database)
{
}

LCRSRpcComClass::~LCRSRpcComClass() = default;

BOOL LCRSRpcComClass::UpdateCommDriver(int code, CfgMessage* message)
{
    return message != nullptr ? Deliver(code, *message, true) : FALSE;
}

BOOL LCRSRpcComClass::ShutdownThread(bool)
{
    return Kill(0);
}
