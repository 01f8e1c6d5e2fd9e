#include "provider/LCfgRpcSender.h"

#include <algorithm>
#include <exception>

#include "common/StringHelpers.h"
#include "hardware/ICfgMessageServer.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "platform/mfc/CString.h"
#include "platform/rpc/RpcEndpointTable.h"
#include "hardware/CfgMessage.h"

using brontel::utility::CWMIDebugLog;

namespace {

constexpr wchar_t kLCfgRpcSenderSource[] = L"LCfgRpcSender";

// The servers that missed a message since TakeUnreachedServers last emptied the list.
struct UnreachedServers
{
    CheckedMutex lock;
    std::vector<LCfgRpcSender::UnreachedServer> servers GUARDED_BY(lock);
};

UnreachedServers& Unreached()
{
    static UnreachedServers servers;
    return servers;
}

// `logged`: the message's error line is in the log.
void NoteUnreached(const wchar_t* serverName, bool logged)
{
    UnreachedServers& unreached = Unreached();
    const CheckedMutexLock lock(unreached.lock);
    const auto found =
        std::find_if(unreached.servers.begin(), unreached.servers.end(),
                     [&](const LCfgRpcSender::UnreachedServer& server) { return server.name == serverName; });
    if (found == unreached.servers.end())
        unreached.servers.push_back({CString(serverName), logged});
    else
        found->logged = found->logged && logged;
}

}  // namespace

LCfgRpcSender::LCfgRpcSender(const RpcServiceEndpoints& endpoints, const wchar_t* serverName)
    : m_endpoints(endpoints), m_serverName(serverName)
{
}

LCfgRpcSender::~LCfgRpcSender()
{
    // The thread sends from the store, under this object's locks, until it ends.
    JoinBeforeDestruction();
    // An owner that never stopped the thread still gets the last attempt and the trace.
    GiveUpStored();
}

CString LCfgRpcSender::Describe(int code, const std::vector<BYTE>& block)
{
    CString text;
    text.Format(L"code %d, %d bytes: ", code, static_cast<int>(block.size()));
    return text + BytesToHexString(block.data(), static_cast<int>(block.size()));
}

std::vector<LCfgRpcSender::UnreachedServer> LCfgRpcSender::TakeUnreachedServers()
{
    UnreachedServers& unreached = Unreached();
    const CheckedMutexLock lock(unreached.lock);
    std::vector<UnreachedServer> servers;
    servers.swap(unreached.servers);
    return servers;
}

void LCfgRpcSender::WriteAllCommandsToStore()
{
    const CheckedMutexLock lock(m_lock);
    m_directToStore = true;
}

void LCfgRpcSender::SetRetryInterval(DWORD milliseconds)
{
    const CheckedMutexLock lock(m_lock);
    m_retryIntervalMs = milliseconds;
}

std::size_t LCfgRpcSender::GetStoredCount() const
{
    const CheckedMutexLock lock(m_lock);
    return m_store.size();
}

bool LCfgRpcSender::Send(int code, const std::vector<BYTE>& block)
{
    const std::lock_guard<std::mutex> lock(m_sendLock);
    const auto server = RpcEndpointTable::Instance().BindInterface<ICfgMessageServer>(L"", m_endpoints);
    if (server == nullptr)
        return false;
    LONG answer = -1;
    try
    {
        return server->UpdateConfiguration(code, block, &answer) == RPC_S_OK && answer == 0;
    }
    catch (const std::exception&)
    {
        return false;
    }
}

void LCfgRpcSender::Store(StoredMessage message)
{
    const CheckedMutexLock lock(m_lock);
    if (m_store.size() >= kMaxStoredMessages)
    {
        const StoredMessage& oldest = m_store.front();
        CWMIDebugLog::LogError(kLCfgRpcSenderSource, __LINE__,
                               CString(L"Failed-command store of the ") + m_serverName +
                                   L" full: the oldest message was dropped. " + Describe(oldest.code, oldest.block));
        m_store.pop_front();
    }
    m_store.push_back(std::move(message));
}

LCfgRpcSender::Delivery LCfgRpcSender::DeliverMessage(int code, const CfgMessage& message, bool keepOnFailure)
{
    StoredMessage stored{code, message.ToBlock()};
    bool direct = false;
    {
        const CheckedMutexLock lock(m_lock);
        direct = m_directToStore;
    }
    if (!direct && Send(code, stored.block))
        return Delivery::Sent;
    const bool keep = direct || keepOnFailure;
    const CString text =
        (keep ? CString(L"A configuration message for the ") + m_serverName +
                    L" is kept in the failed-command store for a retry: "
              : CString(L"A configuration message could not be delivered to the ") + m_serverName + L": ") +
        Describe(code, stored.block);
    if (direct)
        CWMIDebugLog::LogInfo(kLCfgRpcSenderSource, __LINE__, text);
    else
        // An error line, written at once: the panels were not told, and the request that sent the
        // message learns whether the log keeps it.
        NoteUnreached(m_serverName, CWMIDebugLog::LogError(kLCfgRpcSenderSource, __LINE__, text));
    if (!keep)
        return Delivery::Dropped;
    Store(std::move(stored));
    return Delivery::Stored;
}

BOOL LCfgRpcSender::Deliver(int code, const CfgMessage& message, bool keepOnFailure)
{
    return DeliverMessage(code, message, keepOnFailure) == Delivery::Sent ? TRUE : FALSE;
}

void LCfgRpcSender::RetryStored()
{
    std::deque<StoredMessage> pending;
    {
        const CheckedMutexLock lock(m_lock);
        pending.swap(m_store);
    }
    std::deque<StoredMessage> failed;
    for (StoredMessage& message : pending)
    {
        if (Send(message.code, message.block))
            CWMIDebugLog::LogInfo(kLCfgRpcSenderSource, __LINE__,
                                  CString(L"A kept configuration message was delivered to the ") + m_serverName +
                                      L": " + Describe(message.code, message.block));
        else
            failed.push_back(std::move(message));
    }
    if (failed.empty())
        return;
    const CheckedMutexLock lock(m_lock);
    // Messages stored while this pass ran come after the older ones that failed again.
    for (StoredMessage& message : m_store)
        failed.push_back(std::move(message));
    while (failed.size() > kMaxStoredMessages)
        failed.pop_front();
    m_store.swap(failed);
}

UINT LCfgRpcSender::OnRun()
{
    CheckedMutexLock lock(m_lock);
    while (!m_stopRequested)
    {
        lock.WaitFor(m_wake, std::chrono::milliseconds(m_retryIntervalMs),
                     [this]() REQUIRES(m_lock) { return m_stopRequested; });
        if (m_stopRequested)
            break;
        // The pass sends without m_lock, so request threads can store meanwhile.
        lock.Unlock();
        RetryStored();
        lock.Lock();
    }
    return 0;
}

BOOL LCfgRpcSender::Stop()
{
    {
        const CheckedMutexLock lock(m_lock);
        m_stopRequested = true;
    }
    m_wake.notify_all();
    const BOOL stopped = WaitForStopped();
    GiveUpStored();
    return stopped;
}

void LCfgRpcSender::GiveUpStored()
{
    RetryStored();
    std::deque<StoredMessage> undelivered;
    {
        const CheckedMutexLock lock(m_lock);
        undelivered.swap(m_store);
    }
    // The process will not try again: each message is left in the log for an operator to redo.
    for (const StoredMessage& message : undelivered)
        CWMIDebugLog::LogError(kLCfgRpcSenderSource, __LINE__,
                               CString(L"A configuration message was never delivered to the ") + m_serverName + L": " +
                                   Describe(message.code, message.block));
}
