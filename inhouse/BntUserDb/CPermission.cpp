#include "inhouse/BntUserDb/CPermission.h"

#include <algorithm>

#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUserDb/CUserPermDBSet.h"

namespace {

enum PermissionType : LONG
{
    kSystem = 1,
    kCardholder = 2,
    kMonitoring = 3
};

}  // namespace

bool CPermission::ReadPermissionLevel(CBntDatabase& database, LONG groupId)
{
    m_permissions.clear();
    CUserPermDBSet group(&database);
    group.SetIDFilter(groupId);
    group.SetTypeFilter(m_type);
    group.OpenForwardOnly();
    if (group.IsEOF())
        return false;
    CDynamicRecordset grants(&database);
    grants.SetTable(L"USER_PERM_GRANT");
    grants.AddColumnToSet(L"PERMISSIONID");
    grants.AddFilterLong(L"USER_PERMID", groupId);
    grants.Open(CMultiFilterRecordset::kReadOnly);
    for (; !grants.IsEOF(); grants.MoveNext())
        m_permissions.insert(static_cast<DWORD>(grants.GetLong(0)));
    return true;
}

bool CPermission::ReadUserPermissions(const CAcsUser& user)
{
    LONG groupId = 0;
    switch (m_type)
    {
    case kSystem:
        groupId = user.GetSystemPermissionGroupID();
        break;
    case kCardholder:
        groupId = user.GetCardholderPermissionGroupID();
        break;
    case kMonitoring:
        groupId = user.GetMonitorPermissionGroupID();
        break;
    default:
        m_permissions.clear();
        return false;
    }
    return user.GetDatabase() != nullptr && ReadPermissionLevel(*user.GetDatabase(), groupId);
}

bool CPermission::operator>=(const CPermission& other) const
{
    return std::includes(m_permissions.begin(), m_permissions.end(), other.m_permissions.begin(),
                         other.m_permissions.end());
}
