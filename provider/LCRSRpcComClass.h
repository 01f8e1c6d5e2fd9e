// LCRSRpcComClass: the RPC communication class of the archive server: delivers configuration
// messages (UpdateCommDriver) to the archive server's configuration door; undelivered ones are
// kept in the failed-command store for its thread.
//
// Owned by the application object (through WmipArchiveServerRpcClass). Thread-safe as
// LCfgRpcSender.
#pragma once

#include "provider/LCfgRpcSender.h"

class CBntDatabase;
class CfgMessage;

class LCRSRpcComClass : public LCfgRpcSender
{
public:
    // The database stays the caller's and must outlive the object.
    explicit LCRSRpcComClass(CBntDatabase* database);
    ~LCRSRpcComClass() override;

    // Delivers one message with its code; TRUE when the server accepted it, FALSE for a null
    // message or a message kept for a later try.
    virtual BOOL UpdateCommDriver(int code, CfgMessage* message);
    // Stops the thread; non-zero when it ended. The flag is the original library's option.
    BOOL ShutdownThread(bool);

    CBntDatabase* GetDatabase() const { return m_database; }

private:
    CBntDatabase* const m_database;
};
