// CUserAction: what a user means to do with a record, as CPerson::PermissionGranted judges it.
//
// A plain value object.
#pragma once

#include "platform/win32/WinTypes.h"

class CUserAction
{
public:
    // Action types.
    static constexpr LONG kModify = 2;
    static constexpr LONG kDelete = 3;
    // Linking or unlinking a person's directory accounts: a change of the person.
    static constexpr LONG kChangeAccounts = 7;

    // The second argument is the original library's option; no action here needs it.
    explicit CUserAction(LONG actionType, bool = false) : m_actionType(actionType) {}

    LONG GetActionType() const { return m_actionType; }

private:
    LONG m_actionType;
};
