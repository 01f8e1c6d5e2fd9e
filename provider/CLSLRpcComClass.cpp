#include "provider/CLSLRpcComClass.h"

#include "hardware/ICfgMessageServer.h"
#include "hardware/CfgMessage.h"

CLSLRpcComClass::CLSLRpcComClass(CBntDatabase* database)
    : LCfgRpcSender(kLinkageServerCfgEndpoints, L"Linkage Server"), m_database(database)
{
}

CLSLRpcComClass::~CLSLRpcComClass() = default;

BOOL CLSLRpcComClass::UpdateLinkageServer(int code, CfgMessage* message)
{
    return message != nullptr ? Deliver(code, *message, true) : FALSE;
}

BOOL CLSLRpcComClass::ShutdownThread()
{
    return Kill(0);
}
