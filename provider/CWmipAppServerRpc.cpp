// CWmipApp's configuration messages to the communication, linkage and archive servers.
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "provider/CLSLRpcComClass.h"
#include "provider/CWmipApp.h"
#include "provider/CWmipServerRpcThreads.h"
#include "provider/CfgMessage.h"
#include "provider/LCRSRpcComClass.h"
#include "provider/LRpcComClass.h"

using brontel::utility::CWMIDebugLog;

namespace {

constexpr wchar_t kSource[] = L"CWmipApp.cpp";

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

bool CWmipApp::UpdateCommServer(int code, CfgMessage& message)
{
    LRpcComClass* thread = GetCommServerRpcThread();
    if (thread == nullptr)
    {
        CWMIDebugLog::LogError(kSource, __LINE__,
                               L"Unable to retrieve RPC communication thread for Communication Server.");
        return false;
    }
    return thread->UpdateCommDriverOrKeep(code, &message);
}

void CWmipApp::UpdateLinkageServer(int code, CfgMessage& message)
{
    CLSLRpcComClass* thread = GetLinkageServerRpcThread();
    if (thread == nullptr)
    {
        CWMIDebugLog::LogError(kSource, __LINE__, L"Unable to retrieve RPC communication thread for Linkage Server.");
        return;
    }
    thread->UpdateLinkageServer(code, &message);
}

void CWmipApp::UpdateArchiveServer(int code, CfgMessage& message)
{
    LCRSRpcComClass* thread = GetArchiveServerRpcThread();
    if (thread == nullptr)
    {
        CWMIDebugLog::LogError(kSource, __LINE__, L"Unable to retrieve RPC communication thread for Archive Server.");
        return;
    }
    thread->UpdateCommDriver(code, &message);
}

void CWmipApp::SendCfgMessage(CfgMessage& message)
{
    const int code = message.GetCode();
    UpdateCommServer(code, message);
    UpdateLinkageServer(code, message);
    UpdateArchiveServer(code, message);
}
