// CWmipAccessRules: what the access level, assignment and group mappers share: the segment unit
// whose limits govern a level's segment, a badge's current level assignments, and the badge
// download notice to the communication server.
//
// Static functions only; thread-safe as far as the database and the application are.
#pragma once

#include <vector>

#include "platform/com/Unknown.h"
#include "platform/mfc/COleDateTime.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CAcsUser;
class CBntCardholderTrans;
class CBntDatabase;
class CWmipClassMapper;
class CWmipObjectPath;
class CMultiFilterRecordset;
class CSegmentUnit;
class IWbemClassObject;

class CWmipAccessRules
{
public:
    CWmipAccessRules() = delete;

    static constexpr const wchar_t* kNoSegmentUnitMessage = L"Cannot find the segment that this Access Level belongs to.";

    // One level assigned to a badge (a row of BADGELINK with its level's segment).
    struct AssignedLevel
    {
        LONG levelId = 0;
        LONG segmentId = 0;
        COleDateTime activate;   // null when the assignment has no activate date
        COleDateTime deactivate; // null when the assignment has no deactivate date
        // Temporary when either date is set; standard otherwise.
        bool IsTemporary() const;
    };

    // The badge an assignment is made to (a row of BADGE).
    struct Badge
    {
        LONG key = 0;
        LONGLONG id = 0;
        LONG issueCode = 0;
        LONG type = 0;
        LONG personId = 0;
    };

    // The unit whose limits apply to segment: with segments enabled in the user's options the
    // segment's visible unit, else the system-wide unit; failing that the segment's hidden
    // unit. Null when there is none. Valid while user lives.
    static const CSegmentUnit* FindSegmentUnit(const CAcsUser& user, LONG segmentId);
    // The instance the keyed path names (a reference the caller owns); throws CWMIException
    // 0x80041002 "The requested instance could not be retrieved or does not exist." when none.
    static ComPtr<IWbemClassObject> RequireInstance(CWmipClassMapper& mapper, CWmipObjectPath* path);
    // The levels of a group, in link order. Throws CDBException.
    static std::vector<AssignedLevel> ReadGroupLevels(CBntDatabase& database, LONG groupId);
    // A date column of the recordset's current row; null status for a NULL field.
    static COleDateTime ReadDate(const CMultiFilterRecordset& recordset, int index);
    // The levels assigned to the badge, in level id order. Throws CDBException.
    static std::vector<AssignedLevel> ReadBadgeLevels(CBntDatabase& database, LONG badgeKey);
    // The property as a 32-bit number; fallback when it has none.
    static LONG NumberOr(IWbemClassObject* instance, const wchar_t* property, LONG fallback);
    // The badge with the key into badge; false when there is none. Throws CDBException.
    static bool ReadBadge(CBntDatabase& database, LONG badgeKey, Badge& badge, LONG& status);
    // The badge with the key, when it may take access levels. Throws CWMIException: 0x80041008
    // naming BadgeKey when there is no such badge; 0x80041001 when it is not active or its type
    // is disposable. Throws CDBException.
    static Badge ReadAssignableBadge(CBntDatabase& database, LONG badgeKey);
    // Writes the levels of the list that the badge does not hold yet (BADGELINK) and stamps the
    // badge's LASTCHANGED. Throws CDBException; the caller's transaction holds the write.
    static void WriteBadgeLevels(CBntDatabase& database, const Badge& badge, const std::vector<AssignedLevel>& levels);
    // Stamps the badge's LASTCHANGED with the current local time; false when there is no such
    // badge, with id set to its 64-bit id otherwise. Throws CDBException.
    static bool TouchBadge(CBntDatabase& database, LONG badgeKey, LONGLONG& id);
    // The audit text of a change of the badge's access: its id, issue code, holder and the
    // holder's name; empty when there is no such badge. Throws CDBException.
    static CString BadgeAuditText(CBntDatabase& database, LONG badgeKey);
    // Fills a replication entry with the badge's holder and badge block (when the badge exists)
    // and gives it the badge kind 3. Throws CDBException.
    static void SetupBadgeReplication(CBntDatabase& database, CBntCardholderTrans& transaction, LONG badgeKey);
    // Sends the badge download notice (type -11, action 2) for the badge id with code -11 to
    // the communication server; nothing for an id that is not above 0.
    static void SendBadgeDownloadNotice(LONGLONG badgeId);
};
