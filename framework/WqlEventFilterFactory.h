// WqlEventFilterFactory: the provider library's reading of event queries for the WMI service
// stand-in's event router. It parses the query once (WqlParser), checks the WHERE clause as the
// query road checks one (it names properties of the event class; no value any served class
// withholds, which no event carries either; no literal a property's type cannot hold, by
// CWmipQueryRefusal::CheckLiteral, with the query road's codes and texts), and hands back a test that runs the
// in-memory evaluator (WqlEvaluator) on each event through WqlInstancePropertySource: comparisons on the event's
// properties and on those of its embedded objects ("TargetInstance.LastName"), ISA on embedded objects (their class or
// a superclass), AND/OR/NOT with NULL as Unknown, and string literals compared without regard to ASCII case.
//
// Stateless; CreateFilter and the filters it makes are safe from any thread (a filter owns its
// immutable tree).
#pragma once

#include "platform/wmi/WbemEventFilterFactory.h"

class WqlEventFilterFactory final : public WbemEventFilterFactory
{
public:
    // A property the WHERE clause names must be one of the event class, and only a property
    // holding an embedded object may be followed by a dotted name: the object's own class is
    // known only when an event arrives, so a dotted name is judged by every served class that
    // has its last part (refused as never served when any of them withholds it, and its literal
    // refused when it fits the property in none of them); WBEM_E_INVALID_QUERY with the query
    // road's text, less its full stop, in *error.
    HRESULT CreateFilter(std::wstring_view query, IWbemClassObject* eventClass, Filter* filter,
                         std::wstring* error = nullptr) const override;
};
