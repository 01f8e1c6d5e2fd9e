#include "framework/wql/WqlNumber.h"

#include <charconv>
#include <cstddef>
#include <limits>

namespace {

constexpr auto kMaxSignedMagnitude = static_cast<std::uint64_t>(std::numeric_limits<LONGLONG>::max());
constexpr LONGLONG kSmallest = std::numeric_limits<LONGLONG>::min();
// An exponent is read up to this size: past it every number with a digit other than 0 is
// beyond 64 bits or below 1, whatever the text's length within the query's limit.
constexpr LONGLONG kExponentBound = 1'000'000'000;
// The most digits an unsigned 64-bit value has.
constexpr LONGLONG kMaxIntegralDigits = 20;

// The blanks the database skips around a number text.
bool IsNumberBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool IsNarrowDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Where the number stands relative to every 64-bit integer.
enum class Place
{
    // Equal to Bound.
    At,
    // Between Bound and Bound + 1.
    Above,
    // Greater than every 64-bit integer.
    AboveAll,
    // Less than every 64-bit integer.
    BelowAll,
};

WqlNumber::IntegerComparison Always(bool holds)
{
    return {holds ? WqlOpGreaterOrEqual : WqlOpLess, kSmallest};
}

}  // namespace

bool WqlNumber::Read(std::string_view text, WqlNumber& number)
{
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && IsNumberBlank(text[first]))
        ++first;
    while (last > first && IsNumberBlank(text[last - 1]))
        --last;
    // The conversion below takes a '-' but no '+': a '-' stays in the text it reads.
    std::size_t numberStart = first;
    bool negative = false;
    if (first < last && text[first] == '+')
        numberStart = ++first;
    else if (first < last && text[first] == '-')
    {
        negative = true;
        ++first;
    }
    std::size_t i = first;
    for (; i < last && IsNarrowDigit(text[i]); ++i)
    {
    }
    const std::string_view integral = text.substr(first, i - first);
    std::string_view fraction;
    bool isReal = false;
    if (i < last && text[i] == '.')
    {
        isReal = true;
        const std::size_t fractionStart = ++i;
        for (; i < last && IsNarrowDigit(text[i]); ++i)
        {
        }
        fraction = text.substr(fractionStart, i - fractionStart);
    }
    if (integral.empty() && fraction.empty())
        return false;
    LONGLONG exponent = 0;
    if (i < last && (text[i] == 'e' || text[i] == 'E'))
    {
        isReal = true;
        ++i;
        bool negativeExponent = false;
        if (i < last && (text[i] == '+' || text[i] == '-'))
            negativeExponent = text[i++] == '-';
        const std::size_t exponentStart = i;
        for (; i < last && IsNarrowDigit(text[i]); ++i)
        {
            if (exponent < kExponentBound)
                exponent = exponent * 10 + (text[i] - '0');
        }
        if (i == exponentStart)
            return false;
        if (negativeExponent)
            exponent = -exponent;
    }
    if (i != last)
        return false;

    // The value the database reads, in place: a comparison runs per row, so nothing is copied.
    const char* begin = text.data() + numberStart;
    const char* end = text.data() + last;
    CDBValue databaseValue;
    LONGLONG integer = 0;
    if (const auto [stop, error] = std::from_chars(begin, end, integer); !isReal && error == std::errc() && stop == end)
        databaseValue = CDBValue(integer);
    else
    {
        // A real, or an integer past 64 bits, which the database reads as a real.
        double real = 0.0;
        const auto [realStop, realError] = std::from_chars(begin, end, real);
        if (realError != std::errc() || realStop != end)
            return false;
        databaseValue = CDBValue(real);
    }

    // The exact value: the digits written, the point moved by the exponent.
    const auto digitCount = static_cast<LONGLONG>(integral.size() + fraction.size());
    const auto digitAt = [&](LONGLONG k) {
        if (k >= digitCount)
            return 0;
        const auto at = static_cast<std::size_t>(k);
        return (at < integral.size() ? integral[at] : fraction[at - integral.size()]) - '0';
    };
    LONGLONG firstSignificant = 0;
    while (firstSignificant < digitCount && digitAt(firstSignificant) == 0)
        ++firstSignificant;
    const LONGLONG point = static_cast<LONGLONG>(integral.size()) + exponent;
    WqlNumber read;
    read.m_databaseValue = std::move(databaseValue);
    if (firstSignificant < digitCount)
    {
        read.m_negative = negative;
        if (point - firstSignificant > kMaxIntegralDigits)
            read.m_pastUnsigned = true;
        for (LONGLONG k = firstSignificant; k < point && !read.m_pastUnsigned; ++k)
        {
            const auto digit = static_cast<std::uint64_t>(digitAt(k));
            if (read.m_magnitude > (std::numeric_limits<std::uint64_t>::max() - digit) / 10)
                read.m_pastUnsigned = true;
            else
                read.m_magnitude = read.m_magnitude * 10 + digit;
        }
        for (LONGLONG k = point < 0 ? 0 : point; k < digitCount && !read.m_fraction; ++k)
            read.m_fraction = digitAt(k) != 0;
    }
    number = std::move(read);
    return true;
}

WqlNumber::IntegerComparison WqlNumber::AgainstInteger(WqlOperator op) const
{
    // Where the number stands: at an integer, just above one (the floor of a fraction), or past
    // the range on one side.
    Place place = Place::At;
    LONGLONG bound = 0;
    if (!m_negative)
    {
        if (m_pastUnsigned || m_magnitude > kMaxSignedMagnitude)
            place = Place::AboveAll;
        else
        {
            bound = static_cast<LONGLONG>(m_magnitude);
            place = m_fraction ? Place::Above : Place::At;
        }
    }
    else
    {
        // -2.5 lies just above -3.
        const bool pastSigned = m_pastUnsigned || m_magnitude > kMaxSignedMagnitude + 1 ||
                                (m_fraction && m_magnitude == kMaxSignedMagnitude + 1);
        if (pastSigned)
            place = Place::BelowAll;
        else
        {
            const std::uint64_t floor = m_magnitude + (m_fraction ? 1 : 0);
            bound = static_cast<LONGLONG>(0 - floor);
            place = m_fraction ? Place::Above : Place::At;
        }
    }
    switch (op)
    {
    case WqlOpEqual:
    case WqlOpNotEqual:
        if (place == Place::At)
            return {op, bound};
        // Equal to no integer, unequal to every one.
        return Always(op == WqlOpNotEqual);
    case WqlOpLess:
    case WqlOpLessOrEqual:
        if (place == Place::At)
            return {op, bound};
        if (place == Place::Above)
            return {WqlOpLessOrEqual, bound};
        return Always(place == Place::AboveAll);
    case WqlOpGreater:
    case WqlOpGreaterOrEqual:
        if (place == Place::At)
            return {op, bound};
        if (place == Place::Above)
            return {WqlOpGreater, bound};
        return Always(place == Place::BelowAll);
    default:
        return {op, 0};
    }
}

bool WqlNumber::CompareInteger(LONGLONG value, WqlOperator op) const
{
    const IntegerComparison comparison = AgainstInteger(op);
    const LONGLONG bound = comparison.Bound;
    switch (comparison.Operator)
    {
    case WqlOpEqual:
        return value == bound;
    case WqlOpNotEqual:
        return value != bound;
    case WqlOpLess:
        return value < bound;
    case WqlOpLessOrEqual:
        return value <= bound;
    case WqlOpGreater:
        return value > bound;
    case WqlOpGreaterOrEqual:
        return value >= bound;
    default:
        return false;
    }
}
