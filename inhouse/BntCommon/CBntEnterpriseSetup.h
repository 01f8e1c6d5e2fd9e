// CBntEnterpriseSetup: the hardware side of replication: a change of a hardware table is recorded
// for the other databases of an enterprise installation, and the database server types are named.
//
// Static functions only; thread-safe as far as the database is.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CAcsUser;

class CBntEnterpriseSetup
{
public:
    CBntEnterpriseSetup() = delete;

    // Records that the user changed the row recordId of the hardware table tableId (action 1
    // added, 2 deleted, 3 modified) when the user's database takes part in replication (server
    // type other than 0). True when recorded or when nothing is to be recorded; false when the
    // record could not be written.
    static bool GenerateHardwareTransaction(const CAcsUser* user, LONG tableId, LONG action, LONG recordId);
};

// The name of a database server type (0 stand-alone, 1 regional, 2 global); "Unknown" for any
// other value.
CString BntGetDBServerTypeString(LONG serverType);
