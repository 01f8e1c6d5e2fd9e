#include "tests/e2e/DoorSink.h"

#include "platform/com/Bstr.h"
#include "platform/com/WbemConstants.h"

#include <algorithm>

namespace e2e
{
ComPtr<DoorSink> DoorSink::Create()
{
    return MakeComObject<DoorSink>();
}

HRESULT DoorSink::QueryInterface(REFIID iid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (iid != IUnknown::kIID && iid != IWbemObjectSink::kIID)
        return E_NOINTERFACE;
    *object = static_cast<IWbemObjectSink*>(this);
    AddRef();
    return S_OK;
}

HRESULT DoorSink::Indicate(LONG count, IWbemClassObject** objects)
{
    if (count < 0 || (count > 0 && objects == nullptr))
        return WBEM_E_INVALID_PARAMETER;
    const std::lock_guard<std::mutex> guard(m_lock);
    const bool finished = std::any_of(m_statuses.begin(), m_statuses.end(),
                                      [](const StatusReport& report) { return report.flags == WBEM_STATUS_COMPLETE; });
    for (LONG i = 0; i < count; ++i)
    {
        m_objects.emplace_back(objects[i]);
        m_objectsAfterFinal += finished ? 1 : 0;
    }
    return WBEM_S_NO_ERROR;
}

HRESULT DoorSink::SetStatus(LONG flags, HRESULT result, BSTR param, IWbemClassObject* statusObject)
{
    StatusReport report;
    report.flags = flags;
    report.result = result;
    report.hasText = param != nullptr;
    report.text = param != nullptr ? std::wstring(param, SysStringLen(param)) : std::wstring();
    report.statusObject = ComPtr<IWbemClassObject>(statusObject);
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        m_statuses.push_back(std::move(report));
    }
    m_finished.notify_all();
    return WBEM_S_NO_ERROR;
}

bool DoorSink::WaitForFinalStatus(std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> guard(m_lock);
    return m_finished.wait_for(guard, timeout,
                               [this]
                               {
                                   return std::any_of(m_statuses.begin(), m_statuses.end(),
                                                      [](const StatusReport& report)
                                                      { return report.flags == WBEM_STATUS_COMPLETE; });
                               });
}

std::vector<ComPtr<IWbemClassObject>> DoorSink::Objects() const
{
    const std::lock_guard<std::mutex> guard(m_lock);
    return m_objects;
}

std::vector<StatusReport> DoorSink::FinalStatuses() const
{
    const std::lock_guard<std::mutex> guard(m_lock);
    std::vector<StatusReport> finals;
    for (const StatusReport& report : m_statuses)
        if (report.flags == WBEM_STATUS_COMPLETE)
            finals.push_back(report);
    return finals;
}

int DoorSink::ProgressCount() const
{
    const std::lock_guard<std::mutex> guard(m_lock);
    return static_cast<int>(std::count_if(m_statuses.begin(), m_statuses.end(),
                                          [](const StatusReport& report)
                                          { return report.flags == WBEM_STATUS_PROGRESS; }));
}

int DoorSink::ObjectsAfterFinalStatus() const
{
    const std::lock_guard<std::mutex> guard(m_lock);
    return m_objectsAfterFinal;
}
} // namespace e2e
