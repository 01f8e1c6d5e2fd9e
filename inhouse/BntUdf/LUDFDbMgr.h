// LUDFDbMgr: the installation's user-defined-field settings: the field layout as the cardholder
// database manager reads it (one field per UDFOBJS row with its dictionary entry DDFLD and table
// DDTBL, in layout order) and the visit defaults the visit manager takes (the default sign-in
// and sign-out times of day of a new visit and the cardholder options that allow disposable
// badges and badges for visitors: configuration values 1030 to 1033; defaults 09:00, 17:00 and
// both allowed when absent).
//
// Built on a database it does not own, which must outlive it; Read fills it, afterwards it is
// only read. Not guarded: one owner at a time.
#pragma once

#include <vector>

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CBntDatabase;

struct LUDFField
{
    LONG fieldId = 0;
    LONG objectType = 0;
    CString table;
    CString column;
    CString label;
};

class LUDFDbMgr
{
public:
    // Every layout object type.
    static constexpr LONG kAllObjectTypes = 0;
    static constexpr LONG kDefaultSignInId = 1030;
    static constexpr LONG kDefaultSignOutId = 1031;
    static constexpr LONG kAllowDisposableBadgesId = 1032;
    static constexpr LONG kAllowVisitorBadgesId = 1033;
    // Seconds after midnight.
    static constexpr LONG kDefaultSignInSeconds = 9 * 3600;
    static constexpr LONG kDefaultSignOutSeconds = 17 * 3600;
    static constexpr LONG kSecondsPerDay = 24 * 3600;

    explicit LUDFDbMgr(CBntDatabase* database) : m_database(database) {}

    // Reads the layout fields of the object type (kAllObjectTypes: every field), replacing what
    // was read before, and the visit defaults. True on success; false without a database (no
    // fields, the defaults above stay). A time of day outside a day keeps its default. Throws
    // the database's CDBException.
    bool Read(LONG objectType);

    const std::vector<LUDFField>& GetFields() const { return m_fields; }
    LONG GetDefaultSignInSeconds() const { return m_signIn; }
    LONG GetDefaultSignOutSeconds() const { return m_signOut; }
    bool AllowsDisposableBadges() const { return m_disposable; }
    bool AllowsVisitorBadges() const { return m_visitorBadges; }

private:
    CBntDatabase* const m_database;
    std::vector<LUDFField> m_fields;
    LONG m_signIn = kDefaultSignInSeconds;
    LONG m_signOut = kDefaultSignOutSeconds;
    bool m_disposable = true;
    bool m_visitorBadges = true;
};
