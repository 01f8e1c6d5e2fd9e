// WbemObjectSinkBase: what the object sinks of the WMI service stand-in share: the atomic
// reference count, QueryInterface for IUnknown and IWbemObjectSink, and the check every
// Indicate makes of the objects it is given.
//
// A sink derives as `class Sink final : public WbemObjectSinkBase<Sink>` and befriends
// RefCounted<Sink, IWbemObjectSink> for its private destructor. Holds nothing else:
// ownership and thread-safety are the sink's.
#pragma once

#include "platform/com/Unknown.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/IWbemObjectSink.h"

#include <algorithm>

template <class Derived>
class WbemObjectSinkBase : public RefCounted<Derived, IWbemObjectSink>
{
public:
    // S_OK with a new reference for IUnknown and IWbemObjectSink; E_NOINTERFACE (and a null
    // *object) otherwise; E_POINTER for a null object.
    HRESULT QueryInterface(REFIID iid, void** object) override
    {
        return QueryOnlyInterface<IWbemObjectSink>(this, iid, object);
    }

protected:
    WbemObjectSinkBase() = default;
    ~WbemObjectSinkBase() = default;

    // WBEM_S_NO_ERROR for `count` objects, none of them null; WBEM_E_INVALID_PARAMETER for a
    // negative count, a null array or a null object.
    static HRESULT CheckObjects(LONG count, IWbemClassObject* const* objects)
    {
        if (count < 0 || (count > 0 && objects == nullptr))
            return WBEM_E_INVALID_PARAMETER;
        if (count > 0 && std::any_of(objects, objects + count, [](IWbemClassObject* one) { return one == nullptr; }))
            return WBEM_E_INVALID_PARAMETER;
        return WBEM_S_NO_ERROR;
    }
};
