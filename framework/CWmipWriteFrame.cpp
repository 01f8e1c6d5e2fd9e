#include "framework/CWmipWriteFrame.h"

#include "framework/CWmipClassMapperHooks.h"
#include "framework/CWmipMessages.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CBntTransaction.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/CStoredStamps.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/Unknown.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"

#include <mutex>
#include <utility>

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {

std::mutex g_hookLock;
// Guarded by g_hookLock.
std::function<void()> g_beforeLock;
// Frames open on this thread: only the outermost one runs the test hook, as an inner one is
// already under its outer frame's lock.
thread_local int t_openFrames = 0;

// One run of a door's request on this thread (AnswerCallerRequest); null outside one.
struct CallerAttempt
{
    // Set at construction: whether no run follows this one.
    bool last = false;
    // Set by a frame that found the caller's rights, or the request's list stamp, moved under its lock.
    bool stampsMoved = false;
};
thread_local CallerAttempt* t_attempt = nullptr;

class AttemptScope
{
public:
    explicit AttemptScope(CallerAttempt& attempt) { t_attempt = &attempt; }
    ~AttemptScope() { t_attempt = nullptr; }
    AttemptScope(const AttemptScope&) = delete;
    AttemptScope& operator=(const AttemptScope&) = delete;
};

// The caller's rights, or the options and tables its class definitions were made from, changed
// after its request read them: nothing of this request is written, and the door answers it anew
// (in its last run the write is refused).
[[noreturn]] void RefuseMoved(bool rights)
{
    t_attempt->stampsMoved = true;
    const wchar_t* const line =
        rights ? (t_attempt->last ? L"The caller's rights keep changing; the write is refused."
                                  : L"The caller's rights changed while the write waited; it is answered anew.")
               : (t_attempt->last ? L"The class definitions keep changing; the write is refused."
                                  : L"The class definitions changed while the write waited; it is answered anew.");
    CWMIDebugLog::LogInfo(kClassMapperLogSource, __LINE__, line);
    throw CWMIException(kClassMapperLogSource, __LINE__, WBEM_E_ACCESS_DENIED, CWmipMessages::kAccessDenied);
}

// Under the write lock: the caller's rights and the request's list stamp as they stand now, both
// stamps in one read of the frame's own transaction.
void RequireStampsStandLocked(const CAcsUser& caller, CBntDatabase& database)
{
    const CStoredStamps stored = CStoredStamps::Read(database);
    if (!stored.RightsStandAt(caller.GetRightsStamp()))
        RefuseMoved(true);
    if (!CStoredStamps::ListsStandForRequest(stored.lists))
        RefuseMoved(false);
}

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

HRESULT CWmipWriteFrame::Run(CWmipClassMapperHooks& mapper, const Opening& opening, IWbemClassObject* named,
                             const wchar_t* method, const Write& write)
{
    return RunFrame(mapper, opening, named, method, write, MethodRows::Written);
}

HRESULT CWmipWriteFrame::RunFrame(CWmipClassMapperHooks& mapper, const Opening& opening, IWbemClassObject* named,
                                  const wchar_t* method, const Write& write, MethodRows rows)
{
    return RunLocked(
        mapper.GetDatabase(), rows,
        [&mapper]() -> const CAcsUser* {
            CAcsUser* caller = nullptr;
            return SUCCEEDED(mapper.GetUser(&caller)) ? caller : nullptr;
        },
        [&](CBntDatabase& database) {
            opening();
            mapper.RequireVisibleNamedRecords(named, method);
            return write(database);
        });
}

HRESULT CWmipWriteFrame::RunForCaller(const CAcsUser& caller, const Write& write)
{
    return RunLocked(
        caller.GetDatabase(), MethodRows::Written, [&caller] { return &caller; }, write);
}

HRESULT CWmipWriteFrame::RunLocked(CBntDatabase* database, MethodRows rows,
                                   const std::function<const CAcsUser*()>& caller, const Write& steps)
{
    if (database == nullptr)
        throw CWMIException(kClassMapperLogSource, __LINE__, WBEM_E_FAILED, CWmipMessages::kNoConnection);
    // On a database that can only be read the lock below is no write lock, and a write that
    // leaves its rows after the commit (an audit record behind a hardware command) would fail
    // only once the server had acted: the request is refused before anything happens.
    if (rows == MethodRows::Written)
        database->RequireWritable();
    const bool outermost = t_openFrames == 0;
    if (outermost)
        RunHookBeforeLock();
    // Only a door's request has a caller whose rights are followed. Looked up before the lock is
    // taken, so that a login the look-up needs never waits for it.
    const CAcsUser* followed = outermost && t_attempt != nullptr ? caller() : nullptr;
    const OpenFrame open;
    // BEGIN IMMEDIATE: the write lock is taken before the first check, so what the checks read
    // stays as read until the commit.
    CBntTransaction transaction(*database);
    if (followed != nullptr)
        RequireStampsStandLocked(*followed, *database);
    const HRESULT hr = steps(*database);
    if (SUCCEEDED(hr))
        transaction.Commit();
    return hr;
}

HRESULT CWmipWriteFrame::RunMethod(CWmipClassMapperHooks& mapper, CWmipObjectPath* path, const wchar_t* method,
                                   IWbemClassObject* inParams, const MethodOpening& opening, const MethodWrite& write,
                                   MethodRows rows)
{
    ComPtr<IWbemClassObject> instance;
    try
    {
        return RunFrame(
            mapper,
            [&] {
                if (path != nullptr)
                {
                    instance.Attach(mapper.GetCurrentInstance(path));
                    if (instance == nullptr)
                        throw CWMIException(kClassMapperLogSource, __LINE__, WBEM_E_NOT_FOUND,
                                            CWmipMessages::kNotFound);
                }
                opening(instance.Get());
            },
            inParams, method, [&](CBntDatabase& database) { return write(instance.Get(), database); }, rows);
    }
    catch (const CDBException& failure)
    {
        const CString what = CString(L"The method ") + (method != nullptr ? method : L"") + L" failed.";
        ThrowNotWritten(kClassMapperLogSource, __LINE__, what, failure, CWmipMessages::kMethodNotWritten);
    }
}

void CWmipWriteFrame::ThrowNotWritten(const wchar_t* source, int line, const wchar_t* what, const CDBException& failure,
                                      const wchar_t* message)
{
    CWMIDebugLog::LogError(source, line, what, 0, &failure);
    if (failure.IsConnectionLost())
        throw;
    throw CWMIException(source, line, WBEM_E_FAILED, message);
}

HRESULT CWmipWriteFrame::AnswerCallerRequest(const std::function<HRESULT()>& request,
                                             const std::function<void()>& renew)
{
    if (t_attempt != nullptr)
        return request();
    for (int run = 1;; ++run)
    {
        CallerAttempt attempt;
        attempt.last = run == kCallerAttempts;
        HRESULT result = WBEM_E_FAILED;
        {
            const AttemptScope scope(attempt);
            // Each run reads the stamps anew with its caller.
            const CStoredStamps::RequestScope stamps;
            try
            {
                result = request();
            }
            catch (...)
            {
                if (!attempt.stampsMoved || attempt.last)
                    throw;
            }
        }
        // Also when the request turned the frame's refusal into an answer of its own: that answer
        // was decided on rights or definitions that no longer stand.
        if (!attempt.stampsMoved || attempt.last)
            return result;
        renew();
    }
}

void CWmipWriteFrame::TestHookBeforeLock(std::function<void()> hook)
{
    std::lock_guard guard(g_hookLock);
    g_beforeLock = std::move(hook);
}
