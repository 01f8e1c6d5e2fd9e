// brontel::portavere::Portavere: the mobile verification judgement: the threat level the system
// is set to (configuration value 1010, 0 when absent), whether a cardholder of a given threat
// level clearance is granted at that setting, and the log of the grant and deny decisions taken
// at readers and gates (PORTAVERE_TRANSACTION).
//
// A per-call object over a user it does not own; used on one thread.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CAcsUser;

namespace brontel::portavere {

class Portavere
{
public:
    static constexpr LONG kSystemSettingId = 1010;

    explicit Portavere(const CAcsUser* user) : m_user(user) {}

    // The threat level the system is set to; 0 without a database or setting. The argument is
    // the original library's option. Throws the database's CDBException.
    LONG RecommendationSystemSetting(bool) const;
    // True when a cardholder cleared up to cardholderLevel is granted at systemSetting: the
    // clearance must reach the setting. The last two arguments are the original library's
    // reader and gate levels (callers pass -1, none); this installation keeps none.
    bool IsGrant(LONG cardholderLevel, LONG systemSetting, LONG, LONG) const;

    // Record one decision (granted or denied) with the levels, the names and the user, stamped
    // now in UTC. True when the row was written; false without a database or when the write
    // fails. The last argument is the original library's extra text (callers pass null).
    bool LogGrantTransactionUsingIDs(LONG currentLevel, LONG systemLevel, const CString& cardholderName,
                                     const CString& ssno, const CString& readerName, const CString& gateName,
                                     LPCWSTR) const;
    bool LogDenyTransactionUsingIDs(LONG currentLevel, LONG systemLevel, const CString& cardholderName,
                                    const CString& ssno, const CString& readerName, const CString& gateName,
                                    LPCWSTR) const;

private:
    bool LogTransaction(bool granted, LONG currentLevel, LONG systemLevel, const CString& cardholderName,
                        const CString& ssno, const CString& readerName, const CString& gateName) const;

    const CAcsUser* m_user;
};

}  // namespace brontel::portavere
