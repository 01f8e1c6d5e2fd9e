// RawBadgeSql: the raw SQL that the badge benchmarks read beside the provider and the bus: the
// columns of BADGE that Bnt_Badge serves (the PIN never is), and the join that keeps the badges
// the demo's porter may see (a badge whose person stands in segment 1; the bench installation
// segments cardholders and visitors alike), written as one would write it by hand.
#pragma once

namespace RawBadgeSql {

inline constexpr const char* kBadges =
    "SELECT BADGE.BADGEKEY, BADGE.ID, BADGE.ISSUECODE, BADGE.TYPE, BADGE.STATUS, BADGE.EMPID, BADGE.ACTIVATE, "
    "BADGE.DEACTIVATE, BADGE.USELIMIT, BADGE.PRINTS, BADGE.APBEXEMPT, BADGE.EXTEND_STRIKE_HELD, "
    "BADGE.DEADBOLT_OVERRIDE, BADGE.PASSAGE_MODE, BADGE.DEFAULT_DOOR, BADGE.LASTCHANGED FROM BADGE";
inline constexpr const char* kCount = "SELECT COUNT(*) FROM BADGE";
inline constexpr const char* kPortersBadge = " JOIN EMP ON EMP.ID = BADGE.EMPID WHERE EMP.SEGMENTID = 1";

}  // namespace RawBadgeSql
