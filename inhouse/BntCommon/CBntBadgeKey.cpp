#include "inhouse/BntCommon/CBntBadgeKey.h"

LONG CBntBadgeKey::GetNumDigits(LONGLONG badgeId)
{
    // Counted on the unsigned magnitude, so the most negative ID has no overflow.
    unsigned long long magnitude =
        badgeId < 0 ? 0ULL - static_cast<unsigned long long>(badgeId) : static_cast<unsigned long long>(badgeId);
    LONG digits = 1;
    while (magnitude >= 10)
    {
        magnitude /= 10;
        ++digits;
    }
    return digits;
}
