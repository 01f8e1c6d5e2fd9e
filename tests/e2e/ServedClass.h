// ServedClass: what the end-to-end tests know of each Bnt_ class the door serves today (four
// event configuration classes and the six calendar classes; the subtype-parameter link has a
// mapper that the provider's class-name chain does not reach): its table, its properties
// with the columns that hold them (date-times left out: they travel converted to UTC), the
// view right it needs, whether the caller's segments restrict it, and sample paths. The
// calendar mapper tests read the same facts of their classes from here.
//
// Constant data; safe on any thread.
#pragma once

#include "platform/win32/WinTypes.h"

#include <string>
#include <vector>

namespace e2e {
struct ServedClass
{
    const wchar_t* name;
    // The table and the SQL select list giving `properties` in the same order.
    std::string table;
    std::vector<const wchar_t*> properties;
    std::string columns;
    // The view permission, or 0 when the class needs none.
    DWORD viewPermission;
    // True when the table has a SEGMENTID column, which the caller's segments restrict.
    bool segmented;
    // An instance path of a demo row, and the SQL condition that selects that row.
    const wchar_t* foundPath;
    std::string foundCondition;
    // A well-formed instance path with the class's keys that names no row.
    const wchar_t* missingPath;
    // A path of the class whose keys are not exactly the class's key properties.
    const wchar_t* wrongKeysPath;

    // The ten classes.
    static const std::vector<ServedClass>& All();
    // The class of that name; fails the calling test and answers the first class when unknown.
    static const ServedClass& Named(const std::wstring& name);
};
}  // namespace e2e
