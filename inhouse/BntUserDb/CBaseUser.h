// CBaseUser: the rules by which a user may hand out the field and report permission groups that
// are not made of permission ids: a user whose own group of the kind is 0 is not restricted by
// one and may grant any, and so may a user whose field group is -1 (every field); otherwise only
// its own group.
//
// Static functions only; thread-safe.
#pragma once

#include "platform/win32/WinTypes.h"

class CBntDatabase;

class CBaseUser
{
public:
    CBaseUser() = delete;

    // True when a user whose field group is userGroupId may grant the field group groupId.
    static bool HasUDFAuthority(CBntDatabase* database, LONG userGroupId, LONG groupId);
    // True when a user whose report group is userGroupId may grant the report group groupId.
    static bool HasReportAuthority(CBntDatabase* database, LONG userGroupId, LONG groupId);
};
