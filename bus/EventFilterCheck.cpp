#include "bus/EventFilterCheck.h"

#include "bus/IEventFilterChecker.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "platform/com/BstrOwner.h"
#include "platform/com/ComClassTable.h"
#include "platform/com/ComError.h"

namespace corvessa {

namespace {

constexpr wchar_t kEventFilterCheckSource[] = L"EventSubscriptionManager";
// In-process server and handler, local and remote server.
constexpr DWORD kCheckerContext = 0x17;

// Undoes the calling thread's COM initialisation at scope end, but only one that succeeded:
// a thread the host runs in the other threading mode keeps its own initialisation.
class ComThreadScope
{
public:
    ComThreadScope() : m_initialized(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComThreadScope()
    {
        if (m_initialized)
        {
            CoUninitialize();
        }
    }
    ComThreadScope(const ComThreadScope&) = delete;
    ComThreadScope& operator=(const ComThreadScope&) = delete;

private:
    const bool m_initialized;
};

ComPtr<IEventFilterChecker> CreateChecker()
{
    ComPtr<IUnknown> object;
    void* raw = nullptr;
    if (FAILED(CoCreateInstance(CLSID_EventFilterChecker, nullptr, kCheckerContext, IID_IUnknown, &raw)))
    {
        return {};
    }
    object.Attach(static_cast<IUnknown*>(raw));
    // Whether it runs is told by the interface query and the call that follow, not by this.
    static_cast<void>(OleRun(object.Get()));
    return object.As<IEventFilterChecker>();
}

}  // namespace

bool EventFilterCheck::IsFilterAccepted(const std::string& filter)
{
    // Declared first: the checker is released before COM is uninitialised.
    const ComThreadScope com;
    const ComPtr<IEventFilterChecker> checker = CreateChecker();
    if (!checker)
    {
        brontel::utility::CWMIDebugLog::LogInfo(
            kEventFilterCheckSource, __LINE__,
            L"EventSubscriptionManager::ValidateEventSubscriptionFilter - Warning - the event filter checker is not "
            L"available; the filter is accepted without a check.");
        return true;
    }
    const CString text = brontel::utility::ConvertUtf8ToCString(filter);
    const BstrOwner argument(SysAllocStringLen(text.GetString(), static_cast<UINT>(text.GetLength())));
    if (!argument && !filter.empty())
    {
        _com_issue_error(E_OUTOFMEMORY);
    }
    VARIANT_BOOL valid = VARIANT_FALSE;
    const HRESULT hr = checker->IsValidFilter(argument.Get(), &valid);
    if (FAILED(hr))
    {
        _com_issue_error(hr);
    }
    return valid != VARIANT_FALSE;
}

}  // namespace corvessa
