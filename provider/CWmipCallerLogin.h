// CWmipCallerLogin: the login of a caller, written once for the user cache and for the
// uncached login of a request (connection pooling disabled): who the caller is (its SID, the
// impersonation level checked), which system user its Windows account is linked to, and that
// user logged in by id.
//
// Static functions only; any thread. The connection manager is borrowed for the lookup.
#pragma once

#include "platform/com/WbemConstants.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

#include <memory>

class CAcsUser;
class DBConnectionManager;

class CWmipCallerLogin
{
public:
    CWmipCallerLogin() = delete;

    // The SID text (the given one, or the current thread's account when null) and, for a given
    // SID, the system user linked to it (0 when none; the thread's account is resolved by
    // LogIn; so is a given SID when no database connection is free to resolve it with, which
    // leaves the id 0). With impersonate, the client's level is checked and the thread is left
    // impersonating on success (the caller reverts). S_OK or S_FALSE (1, an
    // identification-level client named by SID); 0x80041003 for an improper level, an
    // unreadable thread account or an account given by SID that is not linked; the
    // impersonation's failure code.
    static HRESULT Identify(DBConnectionManager* connections, LPCWSTR sid, bool impersonate, LONG& userId,
                            CString& sidText);

    // What LogIn answers when no pooled connection was free to resolve the account with:
    // nothing is known of the account then, so it is not refused as one that is not linked.
    static constexpr HRESULT kNoConnectionFree = WBEM_E_SERVER_TOO_BUSY;

    // The user linked to the account sidText, logged in by id into *user (untouched on
    // failure); a userId of 0 is resolved first. S_OK; kNoConnectionFree when no connection
    // was free to resolve it with; 0x80041003 for an account that is not linked or a refused
    // login.
    static HRESULT LogIn(DBConnectionManager* connections, const CString& sidText, LONG userId,
                         std::unique_ptr<CAcsUser>& user);

    // The system user linked to the SID through a pooled connection: true with the id (0 when
    // none is linked or the lookup failed, logged); false, with the id 0 and nothing logged,
    // when no connection is free to look it up.
    static bool LookUpLinkedUser(DBConnectionManager* connections, const CString& sid, LONG& userId);
};
