// DlgVisitBadgeUpdate: the decision whether a visitor's badges follow a change of the visit. A
// person would answer it at a workstation; a server never waits for a person, so the decision is
// taken without interaction and answers "not accepted": no badge is changed and its badge list
// stays empty.
//
// A per-call object; used on one thread.
#pragma once

#include <vector>

#include "platform/win32/WinTypes.h"

class CBntAcsDBMgrVisit;

class DlgVisitBadgeUpdate
{
public:
    // The answer of an accepted update.
    static constexpr INT_PTR kAccepted = 1;
    // The answer of an update that was not accepted.
    static constexpr INT_PTR kNotAccepted = 2;

    // The visitor's badges under the manager; the parent window is the original library's
    // (callers pass none).
    DlgVisitBadgeUpdate(CBntAcsDBMgrVisit& manager, LONG visitorId, void* parent);

    // kNotAccepted, at once.
    INT_PTR DoModal();
    // The badge ids the update changed: none.
    const std::vector<LONGLONG>& GetBadgeMap() const { return m_badges; }

private:
    std::vector<LONGLONG> m_badges;
};
