// CWmipUserRules: the caller-versus-target rules of the system user mappers: a caller may write a
// user (or the user's accounts and secondary segments) only when its own rights cover each of
// the user's permission groups and it may write every segment of the user, never for its own
// user record, and never for user -1 unless the caller is user -1 passing every comparison.
//
// Static functions only; thread-safe as far as the database is.
#pragma once

#include "platform/win32/WinTypes.h"

class CAcsUser;
class CBntDatabase;
class CWmipClassMapper;

class CWmipUserRules
{
public:
    CWmipUserRules() = delete;

    static constexpr LONG kAllRightsUser = -1;
    // Permission group types.
    enum PermissionType : LONG
    {
        System = 1,
        Cardholder = 2,
        Monitoring = 3,
        Field = 4,
        Report = 5
    };

    // Sets the permission ids of the user and user account classes: view 0x1000000E, add
    // 0x1000000F, modify 0x10000010, delete 0x1000001D; view only for a mapper of the bus door
    // (whose door is set before this is asked).
    static void SetUserPermissions(CWmipClassMapper& mapper);
    // Whether groupId names a permission group of the type: 0 names none and always stands, -1
    // is the field group of every field; any other id needs its row, and a system, cardholder or
    // monitoring group its row of that type. Throws CDBException.
    static bool PermissionGroupExists(CBntDatabase& database, LONG type, LONG groupId);
    // Whether groupId serves callers of every segment: 0 and the field group -1 name no group and
    // serve all; a group does when its row stands in segment -1. False for a group that does not
    // exist. Throws CDBException.
    static bool PermissionGroupServesEverySegment(CBntDatabase& database, LONG type, LONG groupId);
    // Whether the caller may give the user userId the group groupId of the type: false for user
    // -1 and for the caller's own record; true for caller -1; false for a group that does not
    // exist under the type (PermissionGroupExists); otherwise the caller's rights of the type
    // must cover the group's. Throws CDBException.
    static bool CanGrantPermissionGroup(const CAcsUser& caller, CBntDatabase& database, LONG type, LONG groupId,
                                        LONG userId);
    // Whether the caller may manage the stored user userId: the user exists, the caller's rights
    // cover its system, cardholder, monitoring, report and field groups, and the caller has write
    // access to every segment of the user, primary and secondary. Throws CDBException.
    static bool CanManageUser(const CAcsUser& caller, CBntDatabase& database, LONG userId);
};
