// CPermission: the permissions of one permission group of one type (1 system, 2 cardholder,
// 3 monitoring), as the rows of USER_PERM_GRANT hold them. Comparing two sets tells whether one
// holds every permission of the other: the rule by which a user may grant a group.
//
// A value type; one thread at a time.
#pragma once

#include <set>

#include "platform/win32/WinTypes.h"

class CAcsUser;
class CBntDatabase;

class CPermission
{
public:
    explicit CPermission(LONG permissionType) : m_type(permissionType) {}

    LONG GetPermissionType() const { return m_type; }
    // Reads the permissions of the group; false (the set emptied) when the group does not exist
    // or is of another type. Throws CDBException.
    bool ReadPermissionLevel(CBntDatabase& database, LONG groupId);
    // Reads the permissions the user holds of this type (through the user's group of the type);
    // false when the user holds no such group. Throws CDBException.
    bool ReadUserPermissions(const CAcsUser& user);
    bool HasPermission(DWORD permissionId) const { return m_permissions.count(permissionId) != 0; }
    // True when this set holds every permission of other.
    bool operator>=(const CPermission& other) const;

private:
    LONG m_type;
    std::set<DWORD> m_permissions;
};
