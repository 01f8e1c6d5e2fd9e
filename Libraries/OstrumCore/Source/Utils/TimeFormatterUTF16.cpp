#include "Libraries/OstrumCore/Source/Utils/TimeFormatterUTF16.h"

#include "Libraries/OstrumCore/Source/Utils/StringUtils.h"

namespace ostrum::utils {

namespace {

// The element of the table at index, or null outside it.
template <class Table>
auto at(Table& table, int index) -> decltype(&table[0])
{
    return index >= 0 && static_cast<std::size_t>(index) < table.size() ? &table[static_cast<std::size_t>(index)]
                                                                        : nullptr;
}

}  // namespace

template <class Self>
auto TimeFormatterUTF16::slot(Self& self, int kind, int index) -> decltype(&self.m_dayHalves[0])
{
    switch (kind)
    {
    case AbbreviatedWeekday:
        return at(self.m_abbreviatedWeekdays, index - 1);
    case FullWeekday:
        return at(self.m_fullWeekdays, index - 1);
    case AbbreviatedMonth:
        return at(self.m_abbreviatedMonths, index - 1);
    case FullMonth:
        return at(self.m_fullMonths, index - 1);
    case DayHalf:
        return at(self.m_dayHalves, index);
    default:
        return nullptr;
    }
}

bool TimeFormatterUTF16::setName(int kind, int index, std::u16string name)
{
    std::u16string* found = slot(*this, kind, index);
    if (found == nullptr)
    {
        return false;
    }
    *found = std::move(name);
    return true;
}

std::u16string TimeFormatterUTF16::getName(int kind, int index) const
{
    const std::u16string* found = slot(*this, kind, index);
    return found != nullptr ? *found : std::u16string();
}

std::u16string TimeFormatterUTF16::format(const Time& time) const
{
    std::u16string text;
    walk(
        time, [this, &text](int kind, int index) { text += getName(kind, index); },
        [&text](const std::string& piece) {
            text += StringUtils::utf8ToWide(piece.data(), static_cast<int>(piece.size()));
        });
    return text;
}

}  // namespace ostrum::utils
