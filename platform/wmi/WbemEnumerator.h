// WbemEnumerator: the IEnumWbemClassObject that a synchronous enumeration or query of the WMI
// service stand-in hands out. The call has ended before the enumerator exists, so it walks a
// finished list and never waits: timeouts are accepted and ignored.
//
// Owned through its reference count (atomic). The list is fixed at construction; the
// position is guarded by m_lock, so several threads may share one enumerator. Clones share
// the objects (as the service's own enumerators do) but keep their own position.
#pragma once

#include "platform/win32/ThreadSafety.h"
#include "platform/com/Unknown.h"
#include "platform/wmi/IEnumWbemClassObject.h"
#include "platform/wmi/IWbemClassObject.h"

#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

class WbemEnumerator final : public RefCounted<WbemEnumerator, IEnumWbemClassObject>
{
public:
    using ObjectList = std::vector<ComPtr<IWbemClassObject>>;

    // An enumerator over `objects` in order, positioned before the first.
    static ComPtr<WbemEnumerator> Create(ObjectList objects);

    // Use Create; public only for MakeComObject.
    WbemEnumerator(std::shared_ptr<const ObjectList> objects, std::size_t position);

    HRESULT QueryInterface(REFIID iid, void** object) override;
    // Back to the first object. WBEM_S_NO_ERROR.
    HRESULT Reset() override;
    // Up to `count` objects, each a new reference, into objects[0..*returned). WBEM_S_NO_ERROR
    // when all `count` were given; WBEM_S_FALSE when the list ended first (also for 0 left);
    // WBEM_E_INVALID_PARAMETER for null arrays or a negative timeout other than WBEM_INFINITE.
    HRESULT Next(LONG timeout, ULONG count, IWbemClassObject** objects, ULONG* returned) override;
    // Indicates up to `count` objects to the sink, then reports WBEM_STATUS_COMPLETE with
    // WBEM_S_NO_ERROR or, when the list ended first, WBEM_S_FALSE. WBEM_S_NO_ERROR;
    // WBEM_E_INVALID_PARAMETER (nothing reported) for a null sink.
    HRESULT NextAsync(ULONG count, IWbemObjectSink* sink) override;
    // A new enumerator over the same objects at the same position.
    HRESULT Clone(IEnumWbemClassObject** copy) override;
    // Moves past up to `count` objects. WBEM_S_NO_ERROR, or WBEM_S_FALSE when the list ended.
    HRESULT Skip(LONG timeout, ULONG count) override;

private:
    friend class RefCounted<WbemEnumerator, IEnumWbemClassObject>;
    ~WbemEnumerator() = default;

    // Takes up to `count` objects from the position and advances it.
    ObjectList Take(ULONG count);

    // Set at construction.
    const std::shared_ptr<const ObjectList> m_objects;
    CheckedMutex m_lock;
    std::size_t m_position GUARDED_BY(m_lock);
};
