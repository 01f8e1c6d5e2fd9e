// WbemEventFilterFactory: reads the WHERE clause of an event query into the test the event
// router (WbemEventRouter) runs on each event before it hands the event to the subscription.
// The WMI service stand-in reads no WHERE clause itself: whoever runs it (the host, a test)
// registers the provider library's factory with the router (SetFilterFactory); without one, a
// query with a WHERE clause is refused rather than handed every event of its class.
//
// Owned through a shared pointer by the router and whoever registered it. CreateFilter may be
// called from several threads at once, and a filter it made may run on several provider
// threads at once (it must read nothing it does not own).
#pragma once

#include "platform/win32/WinTypes.h"

#include <functional>
#include <string>
#include <string_view>

class IWbemClassObject;

class WbemEventFilterFactory
{
public:
    // True when the event satisfies the query's WHERE clause (the event is not null).
    using Filter = std::function<bool(IWbemClassObject* event)>;

    virtual ~WbemEventFilterFactory() = default;

    // WBEM_S_NO_ERROR with *filter set to the test of the query's WHERE clause (one passing
    // every event when the query has none); WBEM_E_INVALID_QUERY when the query cannot be read
    // or its WHERE clause cannot be evaluated on events of `eventClass` (the definition of the
    // class after FROM, not null), with *error (when given) saying why. *filter is unchanged
    // on failure.
    virtual HRESULT CreateFilter(std::wstring_view query, IWbemClassObject* eventClass, Filter* filter,
                                 std::wstring* error = nullptr) const = 0;
};
