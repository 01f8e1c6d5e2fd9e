// RecordingSink: the IWbemObjectSink a test hands to an asynchronous call. Keeps every object
// indicated and every SetStatus call (final and progress alike, in order, with the result
// text and the status object), so a test can check that a call reported exactly one final
// status and what it carried.
//
// Owned through its reference count (atomic). Thread-safe: the records are guarded by
// m_lock; a test may wait for the first final status from another thread.
#pragma once

#include "platform/win32/ThreadSafety.h"
#include "platform/com/Unknown.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/WbemObjectSinkBase.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace support {
// One SetStatus call as the sink received it.
struct StatusReport
{
    LONG flags = 0;
    HRESULT result = S_OK;
    bool hasText = false;
    std::wstring text;
    ComPtr<IWbemClassObject> statusObject;
};

class RecordingSink final : public WbemObjectSinkBase<RecordingSink>
{
public:
    static ComPtr<RecordingSink> Create();

    // Use Create; public only for MakeComObject.
    RecordingSink() = default;

    // Keeps a reference to each object. WBEM_S_NO_ERROR; WBEM_E_INVALID_PARAMETER (keeping
    // nothing) for a negative count, a null array or a null object.
    HRESULT Indicate(LONG count, IWbemClassObject** objects) override;
    // Records the call. WBEM_S_NO_ERROR.
    HRESULT SetStatus(LONG flags, HRESULT result, BSTR param, IWbemClassObject* statusObject) override;

    // True once a final status (WBEM_STATUS_COMPLETE) arrived; waits at most `timeout`.
    bool WaitForFinalStatus(std::chrono::milliseconds timeout);
    // True once at least `count` objects were indicated; waits at most `timeout`.
    bool WaitForObjects(std::size_t count, std::chrono::milliseconds timeout);
    // The objects indicated so far, in order.
    std::vector<ComPtr<IWbemClassObject>> Objects() const;
    // Every status received so far, in order.
    std::vector<StatusReport> Statuses() const;
    // The final statuses received so far, in order.
    std::vector<StatusReport> FinalStatuses() const;
    // The number of progress statuses (WBEM_STATUS_PROGRESS) received.
    int ProgressCount() const;
    // The number of objects indicated after the first final status.
    int ObjectsAfterFinalStatus() const;
    // The "Description" text of the last final status object; empty when there is none.
    std::wstring LastDescription() const;

private:
    friend class RefCounted<RecordingSink, IWbemObjectSink>;
    ~RecordingSink() = default;

    mutable CheckedMutex m_lock;
    std::condition_variable m_finished;
    std::condition_variable m_indicated;
    std::vector<ComPtr<IWbemClassObject>> m_objects GUARDED_BY(m_lock);
    std::vector<StatusReport> m_statuses GUARDED_BY(m_lock);
    int m_objectsAfterFinal GUARDED_BY(m_lock) = 0;
};
}  // namespace support
