// WmipCommServerRpcClass: the communication server's RPC thread as this system uses it: sends
// are serialised by its own lock, undelivered messages are kept for the thread, and a send that
// finds the database connection lost reconnects once (gives the connection back, takes a new
// pooled one, hands it to the base) and sends again, with no further attempt.
//
// Owned by CWmipServerRpcThreads, which lends it a pooled connection and the pool; the object
// gives the connection it holds back to the pool when destroyed. Thread-safe.
#pragma once

#include "platform/win32/ThreadSafety.h"
#include "platform/win32/Threading.h"
#include "provider/LRpcComClass.h"

class DBConnectionManager;

class WmipCommServerRpcClass : public LRpcComClass
{
public:
    // connection is a pooled connection of manager, now held by this object; the manager must
    // outlive the object.
    WmipCommServerRpcClass(const CAcsUser* connection, DBConnectionManager* manager);
    ~WmipCommServerRpcClass() override;

    // TRUE: undelivered messages wait in the store for the thread.
    BOOL KeepsFailedCommands() override;
    // The base's delivery under this object's lock, with the one reconnect; an exception is
    // logged and the message dropped. When no new connection can be had the message is not
    // sent again.
    Delivery UpdateMessage(int code, CfgMessage* message) override;

private:
    DBConnectionManager* const m_manager;
    CRITICAL_SECTION m_lock;
    const CAcsUser* m_connection GUARDED_BY(m_lock);
};
