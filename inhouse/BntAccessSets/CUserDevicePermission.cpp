#include "inhouse/BntAccessSets/CUserDevicePermission.h"

#include <string>
#include <vector>

#include "inhouse/BntAccessSets/CBntRowSet.h"
#include "inhouse/BntLogin/CAcsUser.h"

namespace {

// The administrator's user id.
constexpr LONG kSystemAdministrator = -1;
// The device id of a whole panel.
constexpr LONG kWholePanel = -1;

// One count of the query (0 when it has no row).
class CountSet : public CBntRowSet
{
public:
    CountSet(CBntDatabase* database, const std::string& sql, const std::vector<CDBValue>& params) : CBntRowSet(database)
    {
        OpenQuery(sql, params);
    }
    LONG Count() const { return Long(0); }
};

}  // namespace

CUserDevicePermission::CUserDevicePermission(CBntDatabase* database, const CAcsUser* user)
    : m_database(database), m_user(user)
{
}

bool CUserDevicePermission::IsDevicePermitted(LONG panelId, LONG deviceId) const
{
    if (m_database == nullptr || m_user == nullptr)
        return false;
    if (m_user->GetUserID() == kSystemAdministrator)
        return true;
    const LONG group = m_user->GetSystemPermissionGroupID();
    const CountSet excluded(m_database,
                            "SELECT COUNT(*) FROM USER_PERM WHERE USER_PERMID = ? AND DEVICES_ARE_EXCLUDED = 1",
                            {CDBValue(group)});
    const CountSet linked(m_database, "SELECT COUNT(*) FROM USER_PERM_DEVICE_GROUP_LINK WHERE USER_PERMID = ?",
                          {CDBValue(group)});
    const CountSet listed(m_database,
                          "SELECT COUNT(*) FROM USER_PERM_DEVICE_GROUP_LINK L JOIN DEVICE_GROUP_LINK D "
                          "ON D.DEVICEGROUPID = L.DEVICEGROUPID WHERE L.USER_PERMID = ? AND D.PANELID = ? "
                          "AND (D.DEVICEID = ? OR D.DEVICEID = ? OR ? = ?)",
                          {CDBValue(group), CDBValue(panelId), CDBValue(deviceId), CDBValue(kWholePanel),
                           CDBValue(deviceId), CDBValue(kWholePanel)});
    if (excluded.Count() > 0)
        return listed.Count() == 0;
    return linked.Count() == 0 || listed.Count() > 0;
}
