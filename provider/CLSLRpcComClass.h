// CLSLRpcComClass: the RPC communication class of the linkage server: delivers configuration
// messages (UpdateLinkageServer) to the linkage server's configuration door; undelivered ones
// are kept in the failed-command store for its thread.
//
// Owned by the application object (through WmipLinkageServerRpcClass). Thread-safe as
// LCfgRpcSender.
#pragma once

#include "provider/LCfgRpcSender.h"

class CBntDatabase;
class CfgMessage;

class CLSLRpcComClass : public LCfgRpcSender
{
public:
    // The database stays the caller's and must outlive the object.
    explicit CLSLRpcComClass(CBntDatabase* database);
    ~CLSLRpcComClass() override;

    // Delivers one message with its code; TRUE when the server accepted it, FALSE for a null
    // message or a message kept for a later try.
    virtual BOOL UpdateLinkageServer(int code, CfgMessage* message);
    // Stops the thread; non-zero when it ended.
    BOOL ShutdownThread();

    CBntDatabase* GetDatabase() const { return m_database; }

private:
    CBntDatabase* const m_database;
};
