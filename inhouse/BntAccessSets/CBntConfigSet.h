// The installation's numeric configuration parameters, stored in CONFIG_VALUE (CONFIGID,
// NUMBERVALUE, TEXTVALUE) and read by number, with the installation's defaults for the
// parameters the system reads.
//
// A per-call object over a database it does not own; not shared between threads. Database
// failures are thrown as CDBException.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CBntDatabase;

// The parameter numbers the system reads; their defaults are those of GetDefaultValue.
enum BntConfigType : LONG
{
    BntConfigSystemDatabaseID = 1,            // this system's database id; default 0
    BntConfigUserCacheLifetime = 33,          // seconds a cached login lives; default 600
    BntConfigPanelSegmentCacheSpan = 34,      // seconds between panel-segment reloads; default 300
    BntConfigLinkageReregistrationSpan = 37,  // seconds between linkage-server registrations; default 60
    BntConfigClassCacheSpan = 39,             // seconds a cached class definition lives; default 600
    BntConfigEncryptedCredentials = 241,      // non-zero: bus clients send credentials encrypted; default 0
};

class CBntConfigSet
{
public:
    explicit CBntConfigSet(CBntDatabase* database);
    CBntConfigSet(const CBntConfigSet&) = delete;
    CBntConfigSet& operator=(const CBntConfigSet&) = delete;

    // Reads parameter id: *value (when given) gets the stored number, *text (when given) the
    // stored text. A parameter without a stored row, or with a NULL number, gives the default
    // number (and an empty text). TRUE when the outputs were set; FALSE when there is no
    // database (the outputs are then unchanged). The flag is the original library's option;
    // this set needs none. Throws CDBException when the database fails.
    BOOL GetValue(LONG id, LONG* value, CString* text, bool = false);

    // The default of a parameter; 0 for a number the installation gives no default.
    static LONG GetDefaultValue(LONG id);

private:
    CBntDatabase* m_database;
};
