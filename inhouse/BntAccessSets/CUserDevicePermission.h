// CUserDevicePermission: whether a user may act on a device of a panel through the device
// groups linked to the user's system permission group (USER_PERM_DEVICE_GROUP_LINK, whose
// groups list devices in DEVICE_GROUP_LINK; a DEVICEID of -1 stands for the whole panel):
//   - the system administrator (user id -1) may act on every device;
//   - a group whose DEVICES_ARE_EXCLUDED is 1 may act on every device but the listed ones;
//   - otherwise a group with linked device groups may act on the listed devices only, and a
//     group without any on every device.
// A device id of -1 asks for the panel itself, which any listed device of the panel matches.
//
// A per-call object over a database it does not own; not shared between threads. Database
// failures are thrown as CDBException.
#pragma once

#include "platform/win32/WinTypes.h"

class CAcsUser;
class CBntDatabase;

class CUserDevicePermission
{
public:
    CUserDevicePermission(CBntDatabase* database, const CAcsUser* user);

    // True when the user may act on the device; false without a database or user.
    bool IsDevicePermitted(LONG panelId, LONG deviceId) const;

private:
    CBntDatabase* m_database;
    const CAcsUser* m_user;
};
