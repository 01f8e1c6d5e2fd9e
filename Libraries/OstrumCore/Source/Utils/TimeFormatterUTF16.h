// The wide-character time formatter: the narrow formatter's patterns and numbers, with its
// own UTF-16 name tables (weekdays, months, day halves), all empty when constructed and filled
// by setName, so that a caller can give the names of any language.
//
// Compiled and filled before use; a formatter that is no longer changed may be shared by
// threads that only call format.
#pragma once

#include "Libraries/OstrumCore/Source/Utils/TimeFormatter.h"

#include <array>
#include <string>

namespace ostrum::utils {

class TimeFormatterUTF16 : private TimeFormatter
{
public:
    TimeFormatterUTF16() = default;
    ~TimeFormatterUTF16() override = default;

    // As the narrow formatter.
    using TimeFormatter::setPattern;
    // Sets the name for kind 0 (a), 1 (A), 2 (b), 3 (B) or 13 (p) at the index getName takes.
    // False (nothing set) for any other kind or an index outside the table.
    bool setName(int kind, int index, std::u16string name);
    // The name set for the kind and index; empty when none was set, for any other kind or an
    // index outside the table (weekdays 1..7 from Sunday, months 1..12, day half 0..1).
    std::u16string getName(int kind, int index) const;
    // The pattern's text of the time as the narrow formatter writes it, in UTF-16, with the
    // names from this formatter's tables.
    std::u16string format(const Time& time) const;

private:
    // The table slot of a kind and index in `self` (const or not); null when there is none.
    template <class Self>
    static auto slot(Self& self, int kind, int index) -> decltype(&self.m_dayHalves[0]);

    std::array<std::u16string, 7> m_abbreviatedWeekdays;
    std::array<std::u16string, 7> m_fullWeekdays;
    std::array<std::u16string, 12> m_abbreviatedMonths;
    std::array<std::u16string, 12> m_fullMonths;
    std::array<std::u16string, 2> m_dayHalves;
};

}  // namespace ostrum::utils
