#include "framework/DateTimeText.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <iterator>

namespace {

// The value of `count` decimal digits at `position`; false when any of them is not 0-9
// (a sign or a blank where a digit belongs is refused, unlike the C library's %d).
bool ReadDigits(std::wstring_view text, std::size_t position, std::size_t count, int& value)
{
    int result = 0;
    for (std::size_t i = position; i < position + count; ++i)
    {
        const wchar_t character = text[i];
        if (character < L'0' || character > L'9')
            return false;
        result = result * 10 + (character - L'0');
    }
    value = result;
    return true;
}

bool ReadSign(wchar_t character, int& sign)
{
    if (character != L'+' && character != L'-')
        return false;
    sign = character == L'-' ? -1 : 1;
    return true;
}

// "00" to "99", for writing two digits at a time.
constexpr std::array<char, 200> kDigitPairs = [] {
    std::array<char, 200> pairs{};
    for (int i = 0; i < 100; ++i)
    {
        pairs[static_cast<std::size_t>(2 * i)] = static_cast<char>('0' + i / 10);
        pairs[static_cast<std::size_t>(2 * i + 1)] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

// Writes the Width lowest decimal digits of a non-negative value at out.
template <int Width>
void WriteDigits(wchar_t* out, int value)
{
    int width = Width;
    for (; width >= 2; width -= 2, value /= 100)
    {
        const auto pair = static_cast<std::size_t>(value % 100) * 2;
        out[width - 2] = static_cast<wchar_t>(kDigitPairs[pair]);
        out[width - 1] = static_cast<wchar_t>(kDigitPairs[pair + 1]);
    }
    if (width == 1)
        out[0] = static_cast<wchar_t>(L'0' + value % 10);
}

bool FieldsFormDate(int year, int month, int day, int hour, int minute, int second)
{
    COleDateTime check;
    return check.SetDateTime(year, month, day, hour, minute, second) == COleDateTime::valid;
}

}  // namespace

bool DateTimeText::ParseDmtf(std::wstring_view text, Parts& parts)
{
    if (text.size() != static_cast<std::size_t>(kDmtfLength) || text[14] != L'.')
        return false;
    Parts read;
    int offset = 0;
    int sign = 1;
    if (!ReadDigits(text, 0, 4, read.year) || !ReadDigits(text, 4, 2, read.month) ||
        !ReadDigits(text, 6, 2, read.day) || !ReadDigits(text, 8, 2, read.hour) ||
        !ReadDigits(text, 10, 2, read.minute) || !ReadDigits(text, 12, 2, read.second) ||
        !ReadDigits(text, 15, 6, read.microseconds) || !ReadSign(text[21], sign) || !ReadDigits(text, 22, 3, offset))
        return false;
    read.offsetMinutes = sign * offset;
    parts = read;
    return true;
}

bool DateTimeText::ParseIso(std::wstring_view text, Parts& parts)
{
    if (text.size() != static_cast<std::size_t>(kIsoLength) || text[4] != L'-' || text[7] != L'-' || text[10] != L'T' ||
        text[13] != L':' || text[16] != L':' || text[22] != L':')
        return false;
    Parts read;
    int offsetHours = 0;
    int offsetMinutes = 0;
    int sign = 1;
    if (!ReadDigits(text, 0, 4, read.year) || !ReadDigits(text, 5, 2, read.month) ||
        !ReadDigits(text, 8, 2, read.day) || !ReadDigits(text, 11, 2, read.hour) ||
        !ReadDigits(text, 14, 2, read.minute) || !ReadDigits(text, 17, 2, read.second) || !ReadSign(text[19], sign) ||
        !ReadDigits(text, 20, 2, offsetHours) || !ReadDigits(text, 23, 2, offsetMinutes))
        return false;
    if (offsetHours > 23 || offsetMinutes > 59)
        return false;
    read.offsetMinutes = sign * (offsetHours * 60 + offsetMinutes);
    parts = read;
    return true;
}

COleDateTime DateTimeText::ToWallClock(const Parts& parts)
{
    COleDateTime value;
    value.SetDateTime(parts.year, parts.month, parts.day, parts.hour, parts.minute, parts.second);
    return value;
}

COleDateTime DateTimeText::ToUtc(const Parts& parts)
{
    const COleDateTime wallClock = ToWallClock(parts);
    if (wallClock.GetStatus() != COleDateTime::valid)
        return wallClock;
    return wallClock - COleDateTimeSpan(0, 0, parts.offsetMinutes, 0);
}

bool DateTimeText::ToUtcParts(const Parts& parts, Parts& utc)
{
    Parts fields;
    if (!FromOleDateTime(ToUtc(parts), fields))
        return false;
    // A zone offset is whole minutes: the fraction is the same in UTC.
    fields.microseconds = parts.microseconds;
    utc = fields;
    return true;
}

DateTimeText::Parts DateTimeText::WallClock(int year, int month, int day, int hour, int minute, int second)
{
    Parts parts;
    parts.year = year;
    parts.month = month;
    parts.day = day;
    parts.hour = hour;
    parts.minute = minute;
    parts.second = second;
    return parts;
}

bool DateTimeText::FromOleDateTime(const COleDateTime& value, Parts& parts)
{
    // The fields are read in one go: each single Get splits the whole date again.
    SYSTEMTIME fields{};
    if (value.GetStatus() != COleDateTime::valid || !value.GetAsSystemTime(fields))
        return false;
    parts = WallClock(fields.wYear, fields.wMonth, fields.wDay, fields.wHour, fields.wMinute, fields.wSecond);
    return true;
}

bool DateTimeText::FromTimestamp(const TIMESTAMP_STRUCT& timestamp, Parts& parts)
{
    constexpr SQLUINTEGER kNanosecondsPerSecond = 1000000000u;
    if (timestamp.fraction >= kNanosecondsPerSecond ||
        !FieldsFormDate(timestamp.year, timestamp.month, timestamp.day, timestamp.hour, timestamp.minute,
                        timestamp.second))
        return false;
    parts =
        WallClock(timestamp.year, timestamp.month, timestamp.day, timestamp.hour, timestamp.minute, timestamp.second);
    parts.microseconds = static_cast<int>(timestamp.fraction / 1000u);
    return true;
}

CString DateTimeText::FormatDmtf(const Parts& parts)
{
    DmtfBuffer buffer;
    return CString(std::wstring(FormatDmtf(parts, buffer)));
}

std::wstring_view DateTimeText::FormatDmtf(const Parts& parts, DmtfBuffer& buffer)
{
    // Every instance read carries its date-times as this text, so the fields are written two
    // digits at a time; a field outside its width takes the general format's longer form.
    const int offset = std::abs(parts.offsetMinutes);
    const auto within = [](int value, int limit) { return value >= 0 && value < limit; };
    if (within(parts.year, 10000) && within(parts.month, 100) && within(parts.day, 100) && within(parts.hour, 100) &&
        within(parts.minute, 100) && within(parts.second, 100) && within(parts.microseconds, 1000000) &&
        within(offset, 1000))
    {
        wchar_t* out = buffer.data();
        WriteDigits<4>(out, parts.year);
        WriteDigits<2>(out + 4, parts.month);
        WriteDigits<2>(out + 6, parts.day);
        WriteDigits<2>(out + 8, parts.hour);
        WriteDigits<2>(out + 10, parts.minute);
        WriteDigits<2>(out + 12, parts.second);
        out[14] = L'.';
        WriteDigits<6>(out + 15, parts.microseconds);
        out[21] = parts.offsetMinutes < 0 ? L'-' : L'+';
        WriteDigits<3>(out + 22, offset);
        return std::wstring_view(buffer.data(), kDmtfLength);
    }
    CString text;
    text.Format(L"%04d%02d%02d%02d%02d%02d.%06d%c%03d", parts.year, parts.month, parts.day, parts.hour, parts.minute,
                parts.second, parts.microseconds, parts.offsetMinutes < 0 ? L'-' : L'+', std::abs(parts.offsetMinutes));
    // Eight numbers of at most eleven characters and two signs always fit.
    const std::size_t length = std::min(static_cast<std::size_t>(text.GetLength()), buffer.size() - 1);
    std::copy_n(text.GetString(), length, buffer.data());
    return std::wstring_view(buffer.data(), length);
}

CString DateTimeText::FormatIso(const Parts& parts)
{
    const int offset = std::abs(parts.offsetMinutes);
    CString text;
    text.Format(L"%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", parts.year, parts.month, parts.day, parts.hour,
                parts.minute, parts.second, parts.offsetMinutes < 0 ? L'-' : L'+', offset / 60, offset % 60);
    return text;
}

CString DateTimeText::FormatColumn(const Parts& parts)
{
    CString text;
    text.Format(L"%04d-%02d-%02d %02d:%02d:%02d", parts.year, parts.month, parts.day, parts.hour, parts.minute,
                parts.second);
    if (parts.microseconds == 0)
        return text;
    CString fraction;
    fraction.Format(L".%06d", parts.microseconds);
    return text + fraction.TrimRight(L'0');
}

CString DateTimeText::FormatColumnMicrosecondEnd(const Parts& parts)
{
    CString text;
    text.Format(L"%04d-%02d-%02d %02d:%02d:%02d.%06d999", parts.year, parts.month, parts.day, parts.hour, parts.minute,
                parts.second, parts.microseconds);
    return text;
}
