// WqlEventFilterFactory: the provider library's reading of event queries for the WMI service
// stand-in's event router. It parses the query once (WqlParser), checks that the WHERE clause
// names properties of the event class (and compares date-times with date-times), and hands back a test that runs the
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
    // known only when an event arrives.
    HRESULT CreateFilter(std::wstring_view query, IWbemClassObject* eventClass, Filter* filter,
                         std::wstring* error = nullptr) const override;
};
