// WqlNumber: the one reading of a number's text in a WHERE clause, a filter or a watch, as the
// database reads number text (blanks around it, a sign, digits with a fraction and an
// exponent, a digit at least), held exactly as the decimal it writes: met by an integer, it
// is compared with that decimal, never with the double nearest to it (9.007199254740993e15 is
// not 2^53, 9.223372036854775807e18 is 2^63 - 1, 0.5 lies between 0 and 1).
//
// A plain value; any thread.
#pragma once

#include "framework/wql/ProcessClauseResult.h"
#include "inhouse/BntCoreDb/CDBValue.h"
#include "platform/win32/WinTypes.h"

#include <cstdint>
#include <string_view>

class WqlNumber
{
public:
    // A comparison of a 64-bit integer with a 64-bit bound.
    struct IntegerComparison
    {
        WqlOperator Operator = WqlOpEqual;
        LONGLONG Bound = 0;
    };

    // True with the number when the text reads as one; false (number untouched) for a text that
    // is no number so read ("12abc", "0x1F", "inf", "", "1e").
    static bool Read(std::string_view text, WqlNumber& number);

    // The value the database turns the text into: an integer when it is written without point
    // or exponent and fits 64 bits, a real otherwise (the nearest double).
    const CDBValue& DatabaseValue() const { return m_databaseValue; }

    // `integer op number` (op one of = <> < <= > >=) written as the same comparison of the
    // integer with a 64-bit bound, for every 64-bit integer: an integral number within the range
    // is the bound itself; a number between two integers orders as the lower one's successor
    // would (x < 2.5 is x <= 2, x > 2.5 is x > 2) and equals none; a number past the range is
    // above or below every integer. A comparison that holds for every integer is x >= the
    // smallest one, one that holds for none is x < it. Any other operator is handed back as it
    // is, with the bound 0.
    IntegerComparison AgainstInteger(WqlOperator op) const;

    // The truth of `value op number` for a 64-bit integer value (op as AgainstInteger takes it).
    bool CompareInteger(LONGLONG value, WqlOperator op) const;

private:
    bool m_negative = false;
    // The integral part's magnitude, when it fits 64 bits unsigned (m_pastUnsigned otherwise).
    std::uint64_t m_magnitude = 0;
    bool m_pastUnsigned = false;
    // Whether digits other than 0 follow the point.
    bool m_fraction = false;
    CDBValue m_databaseValue;
};
