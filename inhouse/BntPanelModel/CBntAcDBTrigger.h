// CBntAcDBTrigger: the clean-up that goes with deleting access panels and logical devices: the
// rows that hang on a panel or a logical device in other tables. The rows of the object
// itself are left to the caller's delete.
//
// A per-call object over a database it does not own; not shared between threads. Database
// failures are thrown as CDBException.
#pragma once

#include "platform/win32/WinTypes.h"

class CBntDatabase;

class CBntAcDBTrigger
{
public:
    explicit CBntAcDBTrigger(CBntDatabase* database);

    // The panel's readers, their level links, alarm panels with their inputs and outputs,
    // cameras, intrusion objects, elevator terminals, connection, device group and
    // monitoring links.
    void AccessPanelDelete(LONG panelId);
    // Every logical device and sub-device of the source panel.
    void DeleteVexletDevices(LONG panelId);
    // The device's sub-devices and the device group and monitoring links of the device.
    void VexletDeviceDelete(LONG panelId, LONG deviceId);
    // The monitoring links of the sub-device.
    void VexletSubDeviceDelete(LONG panelId, LONG deviceId, LONG subDeviceId);

private:
    CBntDatabase* m_database;
};
