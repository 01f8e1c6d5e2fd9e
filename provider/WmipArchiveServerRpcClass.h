// WmipArchiveServerRpcClass: the archive server's RPC thread as this system uses it: sends are
// serialised by its own lock and exceptions inside a send are logged, never passed on.
//
// Owned by CWmipServerRpcThreads; it holds the pooled connection whose database it works from
// and gives it back when destroyed. Thread-safe.
#pragma once

#include "platform/win32/Threading.h"
#include "provider/LCRSRpcComClass.h"

class CAcsUser;
class DBConnectionManager;

class WmipArchiveServerRpcClass : public LCRSRpcComClass
{
public:
    // connection is a pooled connection of manager, now held by this object; the manager must
    // outlive the object.
    WmipArchiveServerRpcClass(const CAcsUser* connection, DBConnectionManager* manager);
    ~WmipArchiveServerRpcClass() override;

    BOOL UpdateCommDriver(int code, CfgMessage* message) override;

private:
    DBConnectionManager* const m_manager;
    const CAcsUser* const m_connection;
    CRITICAL_SECTION m_lock;
};
