// The rows of the event provider tests' tables, one shape each for the hardware and the
// software event programs.
#pragma once

#include "platform/win32/WinTypes.h"

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace support {
// A subscription and the events it receives, by their signatures in the order received.
struct EventDeliveryCase
{
    const char* rule;
    const wchar_t* query;
    const char* expected;
};

// A watch's condition and what it is delivered (its events' signatures, in order); or, when it
// is refused, the refusal's sentence.
struct EventWatchCase
{
    const char* rule;
    const wchar_t* condition;
    const char* expected;
    bool refused = false;
};

// The comparisons of a 64-bit property with numbers and number texts that a watch table runs on
// each road ("%s" stands for the property), and the values of it each selects of 100001, 99999
// and 7, handed in in that order: compared as texts, most would select others.
inline constexpr EventWatchCase kNumberWatchCases[] = {
    {"equal to a number", L"%s = 100001", "100001"},
    {"equal to a number text", L"%s = '100001'", "100001"},
    {"equal to a real", L"%s = 100001.0", "100001"},
    {"greater than a number", L"%s > 100000", "100001"},
    {"greater than a number text", L"%s > '100000'", "100001"},
    {"less than a number", L"%s < 100000", "99999 7"},
    {"less than a number text", L"%s < '100000'", "99999 7"},
    {"at most a number text", L"%s <= '99999'", "99999 7"},
};

// The number cases on the property, then the road's own cases; each with its condition text.
inline std::vector<std::pair<EventWatchCase, std::wstring>> WatchTable(const std::wstring& property,
                                                                       std::initializer_list<EventWatchCase> own)
{
    std::vector<std::pair<EventWatchCase, std::wstring>> table;
    for (const EventWatchCase& c : kNumberWatchCases)
    {
        std::wstring condition = c.condition;
        condition.replace(condition.find(L"%s"), 2, property);
        table.emplace_back(c, condition);
    }
    for (const EventWatchCase& c : own)
        table.emplace_back(c, c.condition);
    return table;
}

// A caller (by SID) subscribing with the query, and the access check's answer.
struct EventAccessCase
{
    const char* rule;
    const wchar_t* caller;
    const wchar_t* query;
    HRESULT expected;
};
}  // namespace support
