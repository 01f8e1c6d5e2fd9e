// The rows of the event provider tests' tables, one shape each for the hardware and the
// software event programs.
#pragma once

#include "platform/win32/WinTypes.h"

#include <initializer_list>
#include <span>
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
// bounds and texts past them (read as the real the database reads, never as 0) and NULL on
// each operator (no bad value: "<> NULL" is IS NOT NULL, any other compares
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
    {"below a text past the largest unsigned 64-bit number", L"%s < '18446744073709551616'", "100001 99999 7"},
    {"unequal to a text past the largest unsigned 64-bit number", L"%s <> '18446744073709551616'", "100001 99999 7"},
    {"above a text past the smallest 64-bit number", L"%s > '-9223372036854775809'", "100001 99999 7"},
    {"at most a text past the smallest 64-bit number", L"%s <= '-9223372036854775809'", ""},
    {"below a text of 30 digits", L"%s < '100000000000000000000000000000'", "100001 99999 7"},
    {"equal to a text of 30 digits", L"%s = \"100000000000000000000000000000\"", ""},
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

// The comparisons of a boolean property with TRUE and FALSE that a watch table runs on each road
// ("%s" stands for the property), and the values of it each selects of TRUE and FALSE (as "1"
// and "0"), handed in in that order: every form a literal of a boolean takes (the keywords, 1
// and 0, and each of them quoted in either quote and any case, as a bus filter writes them)
// compares as the boolean; a quoted text that is no boolean is refused with the sentence
// given. The query road, the watch roads and the bus filter read the same table.
inline constexpr EventWatchCase kBooleanWatchCases[] = {
    {"equal to FALSE", L"%s = FALSE", "0"},
    {"equal to a quoted false", L"%s = 'false'", "0"},
    {"equal to a quoted TRUE", L"%s = 'TRUE'", "1"},
    {"unequal to a quoted false", L"%s <> 'false'", "1"},
    {"unequal to a double-quoted True", L"%s <> \"True\"", "0"},
    {"equal to a quoted 1", L"%s = '1'", "1"},
    {"greater than a quoted FALSE", L"%s > 'FALSE'", "1"},
    {"a quoted FALSE under NOT", L"NOT %s = 'FALSE'", "1"},
    {"no boolean", L"%s = 'yes'", "The value \"yes\" compared with ", true},
};

// The cases on the property (the number cases unless others are given), then the road's own
// cases; each with its condition text.
inline std::vector<std::pair<EventWatchCase, std::wstring>> WatchTable(
    const std::wstring& property, std::initializer_list<EventWatchCase> own,
    std::span<const EventWatchCase> cases = kNumberWatchCases)
{
    std::vector<std::pair<EventWatchCase, std::wstring>> table;
    for (const EventWatchCase& c : cases)
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
