// The per-segment limits on a badge's access levels, as every path that gives a badge levels
// checks them (an assignment, the badge's AssignAccessLevel, a group, a badge's new ID and its
// default levels): each limit at its last place and at the limit itself, where a new level of
// each kind counts, which limit is named when several are broken, and the text of each.
#include "mappers/records/helpers/CWmipAccessRules.h"

#include "inhouse/BntLogin/CSegmentUnit.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using Limit = CWmipAccessRules::SegmentLimit;
using Kind = CWmipAccessRules::NewLevel;
using Levels = CWmipAccessRules::SegmentLevels;

constexpr LONGLONG kTenDigits = 9999999999LL;
constexpr LONGLONG kElevenDigits = 10000000000LL;

TEST(SegmentLimits, EachLimitTakesItsLastPlaceAndRefusesTheNextWhereTheNewLevelCounts)
{
    // 10 digits; 3 levels in all, 1 temporary, 2 standard.
    const CSegmentUnit limited(7, {10, 3, 1, 2, 0}, 0, false);
    // Limits are compared as numbers: a unit of limits 0 takes no digit and no level.
    const CSegmentUnit closed(8, {0, 0, 0, 0, 0}, 0, false);
    const struct
    {
        const char* name;
        const CSegmentUnit& unit;
        std::optional<LONGLONG> badgeId;
        std::optional<Levels> levels;
        Limit expected;
    } cases[] = {
        {"the longest ID", limited, kTenDigits, Levels{0, 0, Kind::kStandard}, Limit::kNone},
        {"one digit more", limited, kElevenDigits, Levels{0, 0, Kind::kStandard}, Limit::kBadgeIdDigits},
        {"one digit more, no level", limited, kElevenDigits, std::nullopt, Limit::kBadgeIdDigits},
        {"the longest ID, no level", limited, kTenDigits, std::nullopt, Limit::kNone},
        {"digits before every count", limited, kElevenDigits, Levels{2, 1, Kind::kTemporaryAndStandard},
         Limit::kBadgeIdDigits},
        {"no ID: the digits are not checked", limited, std::nullopt, Levels{1, 1, Kind::kStandard}, Limit::kNone},
        {"the last place in all", limited, std::nullopt, Levels{1, 1, Kind::kStandard}, Limit::kNone},
        {"all places taken", limited, kTenDigits, Levels{2, 1, Kind::kStandard}, Limit::kLevels},
        {"all places before the temporary", limited, std::nullopt, Levels{2, 1, Kind::kTemporary}, Limit::kLevels},
        {"the last standard place", limited, std::nullopt, Levels{1, 0, Kind::kStandard}, Limit::kNone},
        {"standard places taken", limited, std::nullopt, Levels{2, 0, Kind::kStandard}, Limit::kStandardLevels},
        {"a temporary level leaves the standard count", limited, std::nullopt, Levels{2, 0, Kind::kTemporary},
         Limit::kNone},
        {"a single temporary assignment needs a standard place", limited, std::nullopt,
         Levels{2, 0, Kind::kTemporaryAndStandard}, Limit::kStandardLevels},
        {"the last temporary place", limited, std::nullopt, Levels{0, 0, Kind::kTemporary}, Limit::kNone},
        {"temporary places taken", limited, std::nullopt, Levels{0, 1, Kind::kTemporary}, Limit::kTemporaryLevels},
        {"a standard level leaves the temporary count", limited, std::nullopt, Levels{0, 1, Kind::kStandard},
         Limit::kNone},
        {"temporary before standard", limited, std::nullopt, Levels{1, 1, Kind::kTemporaryAndStandard},
         Limit::kTemporaryLevels},
        {"no digit", closed, 1, Levels{0, 0, Kind::kStandard}, Limit::kBadgeIdDigits},
        {"no level in all", closed, std::nullopt, Levels{0, 0, Kind::kStandard}, Limit::kLevels},
        {"no level in all before the temporary", closed, std::nullopt, Levels{0, 0, Kind::kTemporary}, Limit::kLevels},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CWmipAccessRules::BrokenLimit(c.unit, c.badgeId, c.levels), c.expected);
    }
}

TEST(SegmentLimits, EachBrokenLimitIsRefusedWithItsOwnText)
{
    const struct
    {
        Limit limit;
        const wchar_t* text;
    } cases[] = {
        {Limit::kBadgeIdDigits, L"The number of digits in the badge ID specified exceeds the maximum allowed."},
        {Limit::kLevels, L"The max number of access levels for this badge has been reached."},
        {Limit::kTemporaryLevels, L"The max number of temporary access levels for this badge has been reached."},
        {Limit::kStandardLevels, L"The max number of standard access levels for this badge has been reached."},
    };
    for (const auto& c : cases)
    {
        const wchar_t* text = CWmipAccessRules::LimitMessage(c.limit);
        ASSERT_NE(text, nullptr) << static_cast<int>(c.limit);
        EXPECT_EQ(std::wstring(text), std::wstring(c.text));
    }
    EXPECT_EQ(CWmipAccessRules::LimitMessage(Limit::kNone), nullptr);
}

}  // namespace
