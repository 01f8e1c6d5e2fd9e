#include "framework/CWmipWriteFrame.h"

#include "framework/CWmipClassMapper.h"
#include "framework/CWmipMessages.h"
#include "inhouse/BntCoreDb/CBntTransaction.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/Unknown.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"

#include <mutex>
#include <utility>

using brontel::utility::CWMIException;

namespace {

constexpr const wchar_t* kSourceFile = L"wpClassMapper.cpp";

std::mutex g_hookLock;
// Guarded by g_hookLock.
std::function<void()> g_beforeLock;
// Frames open on this thread: only the outermost one runs the test hook, as an inner one is
// already under its outer frame's lock.
thread_local int t_openFrames = 0;

void RunHookBeforeLock()
{
    std::function<void()> hook;
    {
        std::lock_guard guard(g_hookLock);
        hook = g_beforeLock;
    }
    if (hook)
        hook();
}

struct OpenFrame
{
    OpenFrame() { ++t_openFrames; }
    ~OpenFrame() { --t_openFrames; }
    OpenFrame(const OpenFrame&) = delete;
    OpenFrame& operator=(const OpenFrame&) = delete;
};

}  // namespace

HRESULT CWmipWriteFrame::Run(CWmipClassMapper& mapper, const Opening& opening, IWbemClassObject* named,
                             const wchar_t* method, const Write& write)
{
    CBntDatabase* database = mapper.GetDatabase();
    if (database == nullptr)
        throw CWMIException(kSourceFile, __LINE__, WBEM_E_FAILED, CWmipMessages::kNoConnection);
    if (t_openFrames == 0)
        RunHookBeforeLock();
    const OpenFrame open;
    // BEGIN IMMEDIATE: the write lock is taken before the first check, so what the checks read
    // stays as read until the commit.
    CBntTransaction transaction(*database);
    opening();
    mapper.RequireVisibleNamedRecords(named, method);
    const HRESULT hr = write(*database);
    if (SUCCEEDED(hr))
        transaction.Commit();
    return hr;
}

HRESULT CWmipWriteFrame::RunMethod(CWmipClassMapper& mapper, CWmipObjectPath* path, const wchar_t* method,
                                   IWbemClassObject* inParams, const MethodOpening& opening, const MethodWrite& write)
{
    ComPtr<IWbemClassObject> instance;
    return Run(
        mapper,
        [&] {
            if (path != nullptr)
            {
                instance.Attach(mapper.GetCurrentInstance(path));
                if (instance == nullptr)
                    throw CWMIException(kSourceFile, __LINE__, WBEM_E_NOT_FOUND, CWmipMessages::kNotFound);
            }
            opening(instance.Get());
        },
        inParams, method, [&](CBntDatabase& database) { return write(instance.Get(), database); });
}

void CWmipWriteFrame::TestHookBeforeLock(std::function<void()> hook)
{
    std::lock_guard guard(g_hookLock);
    g_beforeLock = std::move(hook);
}
