// LCfgRpcSender: the common base of the configuration-message RPC classes (LRpcComClass,
// CLSLRpcComClass, LCRSRpcComClass): delivers one message to its server (the server's
// configuration door on this computer, reached through the endpoint table) and keeps the
// messages that could not be delivered in a failed-command store, which its thread sends again
// every retry interval while it runs. In direct-to-store mode every message goes to the store
// and only the thread sends. Nothing leaves without a trace in the provider log: a kept
// message is logged with the server and its content, and so is one delivered from the store;
// at stop (or destruction) the store gets a last attempt and every message still undelivered
// is logged as an error line with its content, for an operator to redo. A message a server did
// not take when it was sent is logged as an error line at once, whether it is stored or dropped,
// so that the request that sent it knows whether the log keeps it (TakeUnreachedServers).
//
// Owned by the application object. Thread-safe: request threads send while the worker thread
// retries; m_sendLock serialises the remote calls, m_lock guards the store and the flags.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

#include "platform/win32/ThreadSafety.h"
#include "platform/mfc/CString.h"
#include "platform/rpc/RpcServiceEndpoints.h"
#include "provider/LWorkerThread.h"

class CfgMessage;

class LCfgRpcSender : public LWorkerThread
{
public:
    // The most messages the store keeps; a new one beyond it pushes out the oldest (logged).
    static constexpr std::size_t kMaxStoredMessages = 1000;
    // How long the thread waits between two passes over the store.
    static constexpr DWORD kDefaultRetryIntervalMs = 30000;

    // serverName names the server in log lines ("Communication Server").
    LCfgRpcSender(const RpcServiceEndpoints& endpoints, const wchar_t* serverName);
    ~LCfgRpcSender() override;

    // Switches to direct-to-store mode: every message goes to the store.
    void WriteAllCommandsToStore();
    // Replaces the retry interval (tests use short ones).
    void SetRetryInterval(DWORD milliseconds);
    // The messages waiting in the store.
    std::size_t GetStoredCount() const;
    // A server that did not take a message when it was sent, and whether the provider log
    // holds every message it missed (the error line of a stored or dropped message was written).
    struct UnreachedServer
    {
        CString name;
        bool logged = true;
    };
    // The servers of every sender in the process that did not take a message when it was
    // sent (whether it was then stored or dropped), since the last call: each named once, in
    // the order of their first failure. The list is emptied. A host reads it after a request
    // to tell its user that the panels were not told of the change.
    static std::vector<UnreachedServer> TakeUnreachedServers();
    // A message as the log shows it: its code, its byte count and its block in hexadecimal.
    static CString Describe(int code, const std::vector<BYTE>& block);

    // The thread: a pass over the store every retry interval until stopped. 0.
    UINT OnRun() override;
    // Stops the thread loop and waits within the polling limits, then makes the last attempt
    // on the store and logs what is still undelivered; TRUE when the thread ended.
    BOOL Stop() override;

protected:
    // What became of a message handed to DeliverMessage.
    enum class Delivery
    {
        Sent,     // the server accepted it now
        Stored,   // it waits in the store for the thread to send it
        Dropped,  // neither: it was logged and is gone
    };

    // Sends the message with its code; an undelivered message is stored when keepOnFailure is
    // set (or always in direct-to-store mode, where nothing is sent here), else dropped.
    Delivery DeliverMessage(int code, const CfgMessage& message, bool keepOnFailure);
    // DeliverMessage, TRUE only when the server accepted the message now.
    BOOL Deliver(int code, const CfgMessage& message, bool keepOnFailure);

private:
    struct StoredMessage
    {
        int code;
        std::vector<BYTE> block;
    };

    // One remote call; true when the server accepted the block.
    bool Send(int code, const std::vector<BYTE>& block);
    void Store(StoredMessage message);
    // Sends the stored messages in order and keeps those that still fail.
    void RetryStored();
    // The last attempt: RetryStored, then every message left is logged and the store emptied.
    void GiveUpStored();

    const RpcServiceEndpoints m_endpoints;
    const wchar_t* const m_serverName;

    std::mutex m_sendLock;
    mutable CheckedMutex m_lock;
    std::condition_variable m_wake;
    std::deque<StoredMessage> m_store GUARDED_BY(m_lock);
    bool m_directToStore GUARDED_BY(m_lock) = false;
    bool m_stopRequested GUARDED_BY(m_lock) = false;
    DWORD m_retryIntervalMs GUARDED_BY(m_lock) = kDefaultRetryIntervalMs;
};
