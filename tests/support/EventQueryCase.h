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
// and 7, handed in in that order: compared as texts, most would select others. Every form a
// literal of a number takes: signs, blanks, leading zeros, exponents, either quote, the 64-bit
// bounds and NULL on each operator (no bad value: "<> NULL" is IS NOT NULL, any other compares
// with nothing); a text with more after its number, or none, is no number, refused with the
// sentence given. The query road, the watch roads and the bus filter read the same table.
inline constexpr EventWatchCase kNumberWatchCases[] = {
    {"equal to a number", L"%s = 100001", "100001"},
    {"equal to a number text", L"%s = '100001'", "100001"},
    {"equal to a real", L"%s = 100001.0", "100001"},
    {"greater than a number", L"%s > 100000", "100001"},
    {"greater than a number text", L"%s > '100000'", "100001"},
    {"less than a number", L"%s < 100000", "99999 7"},
    {"less than a number text", L"%s < '100000'", "99999 7"},
    {"at most a number text", L"%s <= '99999'", "99999 7"},
    {"greater than a negative number", L"%s > -1", "100001 99999 7"},
    {"a signed number text", L"%s = '+7'", "7"},
    {"a number text in blanks", L"%s = ' 7 '", "7"},
    {"a number in a double-quoted text", L"%s = \"99999\"", "99999"},
    {"leading zeros", L"%s = 0007", "7"},
    {"leading zeros in a text", L"%s >= '0099999'", "100001 99999"},
    {"an exponent", L"%s = 1.00001e5", "100001"},
    {"an exponent in a text", L"%s < '1E5'", "99999 7"},
    {"below the largest 64-bit number", L"%s < 9223372036854775807", "100001 99999 7"},
    {"above the smallest 64-bit number", L"%s > -9223372036854775808", "100001 99999 7"},
    {"equal to NULL", L"%s = NULL", ""},
    {"unequal to NULL (not NULL)", L"%s <> NULL", "100001 99999 7"},
    {"greater than NULL", L"%s > NULL", ""},
    {"at most NULL", L"%s <= NULL", ""},
    {"a number with more after it", L"%s = '12abc'", "The value \"12abc\" compared with ", true},
    {"a number with a blank inside", L"%s < '1 2'", "The value \"1 2\" compared with ", true},
    {"an empty text", L"%s > ''", "The value \"\" compared with ", true},
    {"a hexadecimal text", L"%s = '0x7'", "The value \"0x7\" compared with ", true},
    {"infinity", L"%s < 'inf'", "The value \"inf\" compared with ", true},
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
