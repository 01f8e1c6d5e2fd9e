// The rows of the event provider tests' tables, one shape each for the hardware and the
// software event programs.
#pragma once

#include "framework/Door.h"
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
// is refused, the refusal's sentence. A condition whose literal the bus writes in a form of its
// own (a date-time: ISO 8601 there, DMTF through WMI) gives the bus's condition too.
struct EventWatchCase
{
    const char* rule;
    const wchar_t* condition;
    const char* expected;
    bool refused = false;
    const wchar_t* busCondition = nullptr;
};

// The comparisons of an integer property with numbers and number texts that a watch table runs
// on each road ("%s" stands for the property), and the values of it each selects of 100001,
// 99999 and 7, handed in in that order: compared as texts, most would select others. Every form
// a literal of a number takes: signs, blanks, leading zeros, fractions, exponents, either quote,
// the 64-bit bounds and texts past them (read as the real the database reads, never as 0) and
// NULL on each operator (no bad value: "<> NULL" is IS NOT NULL, any other compares
// with nothing); a text with more after its number, or none, is no number, refused with the
// sentence given. The query road, the watch roads and the bus filter read the same table, and
// read every number the same way (the bus too: it refuses what is no number with its own code).
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
    {"a number text after a blank", L"%s = ' 7'", "7"},
    {"a number text before a blank", L"%s = '7 '", "7"},
    {"a whole real in a text", L"%s = '7.0'", "7"},
    {"equal to a real between two whole numbers in a text", L"%s = '99999.5'", ""},
    {"below a real between two whole numbers in a text", L"%s < '99999.5'", "99999 7"},
    {"a number in a double-quoted text", L"%s = \"99999\"", "99999"},
    {"leading zeros", L"%s = 0007", "7"},
    {"leading zeros in a text", L"%s >= '0099999'", "100001 99999"},
    {"an exponent", L"%s = 1.00001e5", "100001"},
    {"an exponent in a text", L"%s < '1E5'", "99999 7"},
    {"an exponent of a whole number", L"%s < 1e3", "7"},
    {"an exponent of a whole number in a text", L"%s > '1e3'", "100001 99999"},
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
    {"equal to a quoted true in blanks", L"%s = ' true '", "1"},
    {"greater than a quoted FALSE", L"%s > 'FALSE'", "1"},
    {"a quoted FALSE under NOT", L"NOT %s = 'FALSE'", "1"},
    {"no boolean", L"%s = 'yes'", "The value \"yes\" compared with ", true},
};

// The comparisons of a text property with texts that a watch table runs on each road ("%s"
// stands for the property), and the values of it each selects of "O'Brien", "TRUE" and "1",
// handed in in that order: a text in either quote holding the other quote, and a quoted TRUE or
// 1, compared as the text it is (without regard to ASCII case), never as a boolean or a number;
// an unquoted number compared exactly as the text it is written as (01 is no "1"). The
// query road, the watch roads and the bus filter read the same table.
inline constexpr EventWatchCase kTextWatchCases[] = {
    {"a double-quoted text holding a single quote", L"%s = \"O'Brien\"", "O'Brien"},
    {"a single-quoted text holding an escaped single quote", L"%s = 'O\\'Brien'", "O'Brien"},
    {"a quoted TRUE compared as a text", L"%s = 'TRUE'", "TRUE"},
    {"a quoted true compared as a text in another case", L"%s = \"true\"", "TRUE"},
    {"a quoted 1 compared as a text", L"%s = '1'", "1"},
    {"unequal to a quoted 0 compared as a text", L"%s <> '0'", "O'Brien TRUE 1"},
    {"unequal to a quoted FALSE compared as a text", L"%s <> 'FALSE'", "O'Brien TRUE 1"},
    {"an unquoted number compared as a text", L"%s = 1", "1"},
    {"an unquoted number with a leading zero compared as the text written", L"%s = 01", ""},
    {"an unquoted real compared as the text written", L"%s = 1.0", ""},
    {"greater than an unquoted number compared as a text", L"%s > 10", "O'Brien TRUE"},
    {"unequal to an unquoted number compared as a text", L"%s <> 1", "O'Brien TRUE"},
};

// The comparisons of a date-time property with date-times that a watch table runs on each road
// ("%s" stands for the property), and the values of it each selects of 09:00, 10:00 and 11:00 UTC
// on 2 January 2024 (as their UTC hours "09", "10" and "11"), handed in in that order: a
// date-time names the instant its zone offset gives (its wall clock alone would select 10:00),
// in DMTF through WMI and in ISO 8601 on the bus. The query road, the watch roads and the bus
// filter read the same table.
inline constexpr EventWatchCase kDateWatchCases[] = {
    {"equal to a date-time an hour east of UTC", L"%s = '20240102100000.000000+060'", "09", false,
     L"%s = '2024-01-02T10:00:00+01:00'"},
    {"equal to a date-time an hour west of UTC", L"%s = '20240102100000.000000-060'", "11", false,
     L"%s = '2024-01-02T10:00:00-01:00'"},
    {"equal to a date-time at UTC", L"%s = '20240102100000.000000+000'", "10", false,
     L"%s = '2024-01-02T10:00:00+00:00'"},
    {"after a date-time east of UTC", L"%s > '20240102100000.000000+060'", "10 11", false,
     L"%s > '2024-01-02T10:00:00+01:00'"},
    {"before a double-quoted date-time west of UTC", L"%s < \"20240102100000.000000-060\"", "09 10", false,
     L"%s < \"2024-01-02T10:00:00-01:00\""},
};

// The UTC hour ("09") of a date-time as a door serves it: DMTF through WMI
// ("20240102090000.000000+000"), ISO 8601 on the bus ("2024-01-02T09:00:00+00:00"); the text
// itself when it is neither.
inline std::string UtcHour(const std::string& served)
{
    if (served.size() == 25 && served[14] == '.')
        return served.substr(8, 2);
    if (served.size() == 25 && served[10] == 'T')
        return served.substr(11, 2);
    return served;
}

// The cases on the property (the number cases unless others are given), then the road's own
// cases; each with its condition text, in the bus's form where the door says so.
inline std::vector<std::pair<EventWatchCase, std::wstring>> WatchTable(
    const std::wstring& property, std::initializer_list<EventWatchCase> own,
    std::span<const EventWatchCase> cases = kNumberWatchCases, Door door = Door::kWmi)
{
    std::vector<std::pair<EventWatchCase, std::wstring>> table;
    for (const EventWatchCase& c : cases)
    {
        std::wstring condition = door == Door::kBus && c.busCondition != nullptr ? c.busCondition : c.condition;
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
