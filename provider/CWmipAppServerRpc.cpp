// CWmipApp's configuration messages to the communication, linkage and archive servers.
#include "inhouse/BntCoreDb/CBntCommitQueue.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "provider/CLSLRpcComClass.h"
#include "provider/CWmipApp.h"
#include "provider/CWmipServerRpcThreads.h"
#include "hardware/CfgMessage.h"
#include "provider/LCRSRpcComClass.h"
#include "provider/LRpcComClass.h"

using brontel::utility::CWMIDebugLog;

namespace {

constexpr wchar_t kAppServerRpcSource[] = L"CWmipApp.cpp";

// What a write announces waits for its commit, and a write that rolls back announces nothing:
// a copy of the message goes to the server's thread (which findThread answers, null when it
// cannot be had: missing is logged) once the write in progress on this thread has committed,
// or at once outside a transaction.
template <class FindThread, class Send>
void DeliverAfterCommit(int code, const CfgMessage& message, FindThread findThread, const wchar_t* missing, Send send)
{
    CBntCommitQueue::Defer([code, copy = message, findThread, missing, send]() mutable {
        auto* thread = findThread();
        if (thread == nullptr)
        {
            CWMIDebugLog::LogError(kAppServerRpcSource, __LINE__, missing);
            return;
        }
        send(*thread, code, copy);
    });
}

}  // namespace

LRpcComClass* CWmipApp::GetCommServerRpcThread()
{
    CWmipApp* app = GetCurrentApp();
    return app != nullptr ? app->m_serverRpcThreads->CommServer() : nullptr;
}

CLSLRpcComClass* CWmipApp::GetLinkageServerRpcThread()
{
    CWmipApp* app = GetCurrentApp();
    return app != nullptr ? app->m_serverRpcThreads->LinkageServer() : nullptr;
}

LCRSRpcComClass* CWmipApp::GetArchiveServerRpcThread()
{
    CWmipApp* app = GetCurrentApp();
    return app != nullptr ? app->m_serverRpcThreads->ArchiveServer() : nullptr;
}

void CWmipApp::UpdateCommServer(int code, CfgMessage& message)
{
    DeliverAfterCommit(
        code, message, [] { return GetCommServerRpcThread(); },
        L"Unable to retrieve RPC communication thread for Communication Server.",
        [](LRpcComClass& thread, int sentCode, CfgMessage& sent) {
            if (!thread.UpdateCommDriverOrKeep(sentCode, &sent))
                CWMIDebugLog::LogError(kAppServerRpcSource, __LINE__,
                                       L"A configuration message was lost for the Communication "
                                       L"Server: " +
                                           LCfgRpcSender::Describe(sentCode, sent.ToBlock()));
        });
}

void CWmipApp::UpdateLinkageServer(int code, CfgMessage& message)
{
    DeliverAfterCommit(
        code, message, [] { return GetLinkageServerRpcThread(); },
        L"Unable to retrieve RPC communication thread for Linkage Server.",
        [](CLSLRpcComClass& thread, int sentCode, CfgMessage& sent) { thread.UpdateLinkageServer(sentCode, &sent); });
}

void CWmipApp::UpdateArchiveServer(int code, CfgMessage& message)
{
    DeliverAfterCommit(
        code, message, [] { return GetArchiveServerRpcThread(); },
        L"Unable to retrieve RPC communication thread for Archive Server.",
        [](LCRSRpcComClass& thread, int sentCode, CfgMessage& sent) { thread.UpdateCommDriver(sentCode, &sent); });
}

void CWmipApp::SendCfgMessage(CfgMessage& message)
{
    const int code = message.GetCode();
    UpdateCommServer(code, message);
    UpdateLinkageServer(code, message);
    UpdateArchiveServer(code, message);
}
