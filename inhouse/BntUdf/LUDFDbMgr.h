// LUDFDbMgr: the installation's visit defaults as the visit manager takes them: the default
// sign-in and sign-out times of day of a new visit and the cardholder options that allow
// disposable badges and badges for visitors (configuration values 1030 to 1033; defaults
// 09:00, 17:00 and both allowed when absent).
//
// A per-call object on a database it does not own; used on one thread.
#pragma once

#include "platform/win32/WinTypes.h"

class CBntDatabase;

class LUDFDbMgr {
public:
    static constexpr LONG kDefaultSignInId = 1030;
    static constexpr LONG kDefaultSignOutId = 1031;
    static constexpr LONG kAllowDisposableBadgesId = 1032;
    static constexpr LONG kAllowVisitorBadgesId = 1033;
    // Seconds after midnight.
    static constexpr LONG kDefaultSignInSeconds = 9 * 3600;
    static constexpr LONG kDefaultSignOutSeconds = 17 * 3600;
    static constexpr LONG kSecondsPerDay = 24 * 3600;

    explicit LUDFDbMgr(CBntDatabase* database) : m_database(database) {}

    // Reads the defaults; the argument is the original library's object kind (0: visits). True
    // on success; false without a database (the defaults above stay). A time of day outside a
    // day keeps its default. Throws CDBException.
    bool Read(LONG);

    LONG GetDefaultSignInSeconds() const { return m_signIn; }
    LONG GetDefaultSignOutSeconds() const { return m_signOut; }
    bool AllowsDisposableBadges() const { return m_disposable; }
    bool AllowsVisitorBadges() const { return m_visitorBadges; }

private:
    CBntDatabase* m_database;
    LONG m_signIn = kDefaultSignInSeconds;
    LONG m_signOut = kDefaultSignOutSeconds;
    bool m_disposable = true;
    bool m_visitorBadges = true;
};
