// LRpcComClass: the RPC communication class of the communication server: delivers
// configuration messages (UpdateCommDriver) to the server's configuration door, working from a
// pooled database connection it is lent. Before each message it checks that connection: a
// lost connection sends nothing and raises the lost-database-connection indicator, so the
// owner can reconnect and send again. Messages that cannot be delivered are stored for the
// thread to retry when KeepsFailedCommands answers TRUE, and dropped (logged) otherwise.
//
// Owned by the application object (through WmipCommServerRpcClass). Thread-safe as
// LCfgRpcSender; the connection and the indicator are guarded by m_userLock.
#pragma once

#include <atomic>
#include <mutex>

#include "platform/win32/ThreadSafety.h"
#include "provider/LCfgRpcSender.h"

class CAcsUser;
class CfgMessage;

class LRpcComClass : public LCfgRpcSender
{
public:
    explicit LRpcComClass(const CAcsUser* user);
    ~LRpcComClass() override;

    // Replaces the connection the class works from.
    void SetAcsUser(const CAcsUser* user);
    const CAcsUser* GetAcsUser() const;
    // Every message goes to the failed-command store; only the thread sends.
    void WriteAllCommandsDirectlyToFailedRpc();

    // Whether undelivered messages are kept for the thread; the base answers FALSE.
    virtual BOOL KeepsFailedCommands();
    // Delivers one message with its code. TRUE when the server accepted it; FALSE for a null
    // message, a lost connection (the indicator then reads 1) or an undelivered message.
    BOOL UpdateCommDriver(int code, CfgMessage* message);
    // Delivers one message as UpdateCommDriver does; true when the server accepted it or it
    // waits in the failed-command store for the thread, which will deliver it; false when it
    // is lost (CWmipApp then logs it with its content).
    bool UpdateCommDriverOrKeep(int code, CfgMessage* message);

    // 1 when the last UpdateCommDriver found the database connection lost, else 0.
    int GetLostDatabaseConnection() const { return m_lostDatabaseConnection.load(); }

    // Stops the thread (a stop request and the bounded wait). Non-zero when it ended; the
    // arguments are the original library's options, which this class needs not.
    BOOL ShutdownThread(int, int, bool);

protected:
    // The checks and the delivery behind both update calls.
    virtual Delivery UpdateMessage(int code, CfgMessage* message);

private:
    mutable CheckedMutex m_userLock;
    const CAcsUser* m_user GUARDED_BY(m_userLock);  // lent, not owned
    std::atomic<int> m_lostDatabaseConnection{0};
};
