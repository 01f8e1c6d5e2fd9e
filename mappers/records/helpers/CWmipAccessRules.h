// CWmipAccessRules: what the access level, assignment, group and badge mappers share: the segment
// unit whose limits govern a level's segment and the check of those limits, the badge an
// assignment is made to, the write of a badge's new level list through the cardholder database
// manager, the audit and replication of a badge's access, and the lookup of a method's instance.
//
// Static functions only; thread-safe as far as the database is.
#pragma once

#include <initializer_list>
#include <optional>
#include <utility>

#include "inhouse/BntUserDb/CBntAssignedAcLvlList.h"
#include "platform/com/Unknown.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CAcsUser;
class CBntCardholderTrans;
class CBntDatabase;
class CSegmentUnit;
class CWmipClassMapper;
class CWmipObjectPath;
class IWbemClassObject;

class CWmipAccessRules
{
public:
    CWmipAccessRules() = delete;

    // The badge an assignment is made to (a row of BADGE).
    struct Badge
    {
        LONG key = 0;
        LONGLONG id = 0;
        LONG issueCode = 0;
        LONG type = 0;
        LONG personId = 0;
    };

    // A segment unit's limit on a badge's access levels of its segment.
    enum class SegmentLimit
    {
        kNone,
        kBadgeIdDigits,
        kLevels,
        kTemporaryLevels,
        kStandardLevels,
    };
    // How a level the badge is to take counts: against the limit of its own kind, or (a single
    // assignment of a temporary level) against both the temporary and the standard limit.
    enum class NewLevel
    {
        kStandard,
        kTemporary,
        kTemporaryAndStandard,
    };
    // The levels of one segment a badge holds, and the one it is to take.
    struct SegmentLevels
    {
        LONG standard = 0;
        LONG temporary = 0;
        NewLevel added = NewLevel::kStandard;
    };

    // Whether a count has reached a unit's limit, compared as numbers: a limit of 0 takes no level.
    static bool LimitReached(LONG count, LONG limit) { return count >= limit; }
    // The first of unit's limits the badge breaks, kNone when it breaks none. Checked in this
    // order: the digits of badgeId (when given); then, when levels is given, all the levels
    // held, the temporary ones and the standard ones, each where the new level counts.
    static SegmentLimit BrokenLimit(const CSegmentUnit& unit, std::optional<LONGLONG> badgeId,
                                    const std::optional<SegmentLevels>& levels);
    // The refusal text of a broken limit (a CWmipMessages text); null for kNone.
    static const wchar_t* LimitMessage(SegmentLimit limit);
    // The unit whose limits apply to segment: with segments enabled in the user's options the
    // segment's visible unit, else the system-wide unit; failing that the segment's hidden
    // unit. Null when there is none. Valid while user lives.
    static const CSegmentUnit* FindSegmentUnit(const CAcsUser& user, LONG segmentId);
    // The property as a 32-bit number; fallback when it has none.
    static LONG NumberOr(IWbemClassObject* instance, const wchar_t* property, LONG fallback);
    // The instance the keyed path names (a reference the caller owns); throws CWMIException
    // 0x80041002 "The requested instance could not be retrieved or does not exist." when none.
    static ComPtr<IWbemClassObject> RequireInstance(CWmipClassMapper& mapper, CWmipObjectPath* path);

    // Returns when the mapper's caller may see the instance of className with these keys;
    // otherwise throws CWMIException 0x80041008 "The property %s did not exist or contained an
    // invalid value." naming property: a record of a segment the caller cannot reach is
    // answered as one that does not exist.
    static void RequireVisible(CWmipClassMapper& mapper, const wchar_t* className,
                               std::initializer_list<std::pair<const wchar_t*, LONG>> keys, const wchar_t* property);
    // The badge with the key into badge; false when there is none. Throws CDBException.
    static bool ReadBadge(CBntDatabase& database, LONG badgeKey, Badge& badge, LONG& status);
    // The badge with the key, when it may take access levels, read as the mapper's caller (a
    // badge the caller may not see is one that is not there). Throws CWMIException: 0x80041008
    // naming BadgeKey when there is no such badge; 0x80041001 when it is not active or its type
    // is disposable. Throws CDBException.
    static Badge ReadAssignableBadge(CWmipClassMapper& mapper, LONG badgeKey);
    // Its first half: the badge with the key, when it is active, read as the mapper's caller.
    // Throws as ReadAssignableBadge does, but for a disposable type.
    static Badge ReadActiveBadge(CWmipClassMapper& mapper, LONG badgeKey);
    // Its second half: throws CWMIException 0x80041001 "Access level assignments can only be made
    // to badges that are not disposable." when the badge's type is disposable. Throws CDBException.
    static void RequireNotDisposable(CWmipClassMapper& mapper, const Badge& badge);
    // Hands the badge's new level list (its levels and the new ones) to the cardholder database
    // manager, on user's connection. Throws CWMIException 0x80041001 "Unable to assign access
    // levels to the specified badgeKey." when the write fails.
    static void AssignLevels(const CAcsUser& user, const Badge& badge, const CBntAssignedAcLvlList& levels);
    // Stamps the badge's LASTCHANGED with the current local time; false when there is no such
    // badge, with id set to its 64-bit id otherwise. Throws CDBException.
    static bool TouchBadge(CBntDatabase& database, LONG badgeKey, LONGLONG& id);
    // The audit text of a change of the badge's access: its id, issue code, holder and the
    // holder's name; empty when there is no such badge. Throws CDBException.
    static CString BadgeAuditText(CBntDatabase& database, LONG badgeKey);
    // Fills a replication entry with the badge's holder and badge block (when the badge exists)
    // and gives it the badge kind 3. Throws CDBException.
    static void SetupBadgeReplication(CBntDatabase& database, CBntCardholderTrans& transaction, LONG badgeKey);
    // Tells the communication server that the badge changed (nothing for an id not above 0).
    static void SendBadgeDownloadNotice(LONGLONG badgeId);
};
