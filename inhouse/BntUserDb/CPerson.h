// CPerson: one person of the installation (an EMP row, cardholder or visitor) with its segment
// assignments (the primary segment EMP.SEGMENTID and the secondary ones of EMP_SEGMENT_LINK), the
// rule that decides whether a user may act on the person, and the clean-up of the person's
// access when segment units are lost.
//
// A per-call object over a database user (a pooled connection) it does not own; used on one
// thread. Database failures are thrown as CDBException unless a member says otherwise.
#pragma once

#include <set>

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CAcsUser;
class CBadgeType;
class CMultiFilterRecordset;
class CUserAction;

class CPerson
{
public:
    // Permission ids of the person kinds' modify and delete rights.
    static constexpr DWORD kModifyCardholderPermission = 0x20000005;
    static constexpr DWORD kDeleteCardholderPermission = 0x20000009;
    static constexpr DWORD kModifyVisitorPermission = 0x20000025;
    static constexpr DWORD kDeleteVisitorPermission = 0x20000026;
    // Segment access type that a write on a record of a segment needs.
    static constexpr int kWriteSegmentAccess = 2;

    // The person with the id; the name and the two numbers are the original library's lookup
    // options (callers pass no name, -9999 and 101), which a lookup by id needs none of.
    CPerson(LONG personId, LPCWSTR name, LONG, LONG);

    // Reads the person's EMP row with the database user's connection. True when the row exists.
    // The second argument names the original library's database set (-1: the user's own).
    bool Read(const CAcsUser* databaseUser, LONG);
    // Reads the secondary segments (EMP_SEGMENT_LINK); the primary segment comes from Read.
    // True on success; false without a database.
    bool ReadSegmentAssignments(const CAcsUser* databaseUser);

    bool IsRead() const { return m_read; }
    LONG GetID() const { return m_id; }
    LONG GetPrimarySegmentID() const { return m_primarySegmentId; }
    bool IsVisitor() const { return m_visitor; }
    // The person's number text (EMP.SSNO; empty when null), which badge ID mode 2 uses.
    const CString& GetNumberText() const { return m_numberText; }
    // True for a cardholder allowed to host visitors (EMP.ALLOWEDVISITORS).
    bool AllowsVisitors() const { return m_allowsVisitors; }
    // The segments assigned now: the primary one and the secondary ones read or assigned since.
    const std::set<LONG>& GetSegmentAssignments() const { return m_segments; }
    // Changes the assignments in memory; the second argument is the original library's option.
    void RemoveSegmentAssignment(LONG segmentId, bool);
    void AssignSegment(LONG segmentId);

    // True when user may perform the action on this person: the user holds the kind's modify
    // right (actions 2 and 7) or delete right (action 3), and, where the kind's segmentation is
    // enabled, has write access (type 2) to the person's primary segment. A person that was not
    // read (no row) is not refused here: there is nothing of it to protect. False for a null or
    // logged-out user and for an unknown action type. The last argument is the original
    // library's option.
    bool PermissionGranted(const CAcsUser* user, const CUserAction& action, bool) const;
    // True when user may reach the person's primary segment, or its kind's segmentation is not
    // enabled; false for a null user.
    bool IsInUsersSegments(const CAcsUser* user) const;
    // True when a badge of type may be given to the person: the type reaches, for user, the
    // person's primary segment or one of its assigned segments (as read or assigned since).
    bool ObjectCanBeAssigned(const CBadgeType& type, const CAcsUser* user) const;
    // The table of the persons' rows.
    static constexpr const wchar_t* kPersonTable = L"EMP";
    // The same rule as a filter: restricts recordset to rows whose personColumn (an SQL
    // expression giving an EMP.ID) names a person user may see, by a look-up of that one person
    // (a correlated EXISTS). A row naming no person is hidden once a filter applies; an
    // all-segments user, or one whose person kinds are both unsegmented, gets none.
    static void AddVisiblePersonFilter(const CAcsUser& user, CMultiFilterRecordset& recordset,
                                       const CString& personColumn);
    // The same rule on a person row of the recordset itself: personTable is the name (table or
    // alias) under which the recordset reads an EMP row; the row's own kind and segment decide.
    static void AddVisiblePersonRowFilter(const CAcsUser& user, CMultiFilterRecordset& recordset,
                                          const CString& personTable);

    // The segment units the person no longer reaches once removedSegments are gone: the units of
    // those segments (a unit itself, a group's member units) that none of the current
    // assignments reaches, into removedUnits (cleared first). True on success; false without a
    // database or when the database fails.
    bool DetermineRemovedSegmentUnitIDs(std::set<LONG>& removedUnits, const std::set<LONG>& removedSegments,
                                        const CAcsUser* databaseUser) const;

    // Removes the access of the person's badges that lost segment units carried: the badges'
    // access levels of those units (BADGELINK) when accessLevels is set, their precision access
    // groups of those units (BDGPRECLINK) when precisionGroups is set. Runs on the database
    // user's connection, inside the caller's transaction when one is open. Throws CDBException.
    static void DeleteInvalidAccess(LONG personId, const CAcsUser* databaseUser, const std::set<LONG>& removedUnits,
                                    bool accessLevels, bool precisionGroups);

private:
    LONG m_id;
    bool m_read = false;
    LONG m_primarySegmentId = 0;
    bool m_visitor = false;
    CString m_numberText;
    bool m_allowsVisitors = false;
    std::set<LONG> m_segments;
};
