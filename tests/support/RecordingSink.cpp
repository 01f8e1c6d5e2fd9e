#include "tests/support/RecordingSink.h"

#include "platform/com/Bstr.h"
#include "platform/com/Variant.h"
#include "platform/com/WbemConstants.h"

#include <algorithm>
#include <iterator>

namespace support {
namespace {
bool IsFinal(const StatusReport& report)
{
    return report.flags == WBEM_STATUS_COMPLETE;
}
}  // namespace

ComPtr<RecordingSink> RecordingSink::Create()
{
    return MakeComObject<RecordingSink>();
}

HRESULT RecordingSink::Indicate(LONG count, IWbemClassObject** objects)
{
    const HRESULT checked = CheckObjects(count, objects);
    if (FAILED(checked))
        return checked;
    const CheckedMutexLock guard(m_lock);
    const bool finished = std::any_of(m_statuses.begin(), m_statuses.end(), IsFinal);
    for (LONG i = 0; i < count; ++i)
    {
        m_objects.emplace_back(objects[i]);
        m_objectsAfterFinal += finished ? 1 : 0;
    }
    m_indicated.notify_all();
    return WBEM_S_NO_ERROR;
}

HRESULT RecordingSink::SetStatus(LONG flags, HRESULT result, BSTR param, IWbemClassObject* statusObject)
{
    StatusReport report;
    report.flags = flags;
    report.result = result;
    report.hasText = param != nullptr;
    report.text = param != nullptr ? std::wstring(param, SysStringLen(param)) : std::wstring();
    report.statusObject = ComPtr<IWbemClassObject>(statusObject);
    {
        const CheckedMutexLock guard(m_lock);
        m_statuses.push_back(std::move(report));
    }
    m_finished.notify_all();
    return WBEM_S_NO_ERROR;
}

bool RecordingSink::WaitForFinalStatus(std::chrono::milliseconds timeout)
{
    CheckedMutexLock guard(m_lock);
    return guard.WaitFor(m_finished, timeout, [this]() REQUIRES(m_lock) {
        return std::any_of(m_statuses.begin(), m_statuses.end(), IsFinal);
    });
}

bool RecordingSink::WaitForObjects(std::size_t count, std::chrono::milliseconds timeout)
{
    CheckedMutexLock guard(m_lock);
    return guard.WaitFor(m_indicated, timeout, [this, count]() REQUIRES(m_lock) { return m_objects.size() >= count; });
}

std::vector<ComPtr<IWbemClassObject>> RecordingSink::Objects() const
{
    const CheckedMutexLock guard(m_lock);
    return m_objects;
}

std::vector<StatusReport> RecordingSink::Statuses() const
{
    const CheckedMutexLock guard(m_lock);
    return m_statuses;
}

std::vector<StatusReport> RecordingSink::FinalStatuses() const
{
    const CheckedMutexLock guard(m_lock);
    std::vector<StatusReport> finals;
    std::copy_if(m_statuses.begin(), m_statuses.end(), std::back_inserter(finals), IsFinal);
    return finals;
}

int RecordingSink::ProgressCount() const
{
    const CheckedMutexLock guard(m_lock);
    return static_cast<int>(std::count_if(m_statuses.begin(), m_statuses.end(), [](const StatusReport& report) {
        return report.flags == WBEM_STATUS_PROGRESS;
    }));
}

int RecordingSink::ObjectsAfterFinalStatus() const
{
    const CheckedMutexLock guard(m_lock);
    return m_objectsAfterFinal;
}

std::wstring RecordingSink::LastDescription() const
{
    const std::vector<StatusReport> finals = FinalStatuses();
    if (finals.empty() || finals.back().statusObject == nullptr)
        return std::wstring();
    _variant_t value;
    if (FAILED(finals.back().statusObject->Get(L"Description", 0, &value, nullptr, nullptr)) || value.vt != VT_BSTR ||
        value.bstrVal == nullptr)
        return std::wstring();
    return value.bstrVal;
}
}  // namespace support
