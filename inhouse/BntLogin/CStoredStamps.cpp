#include "inhouse/BntLogin/CStoredStamps.h"

#include <string>

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CLoginQuery.h"

namespace {

// The request open on this thread (CStoredStamps::RequestScope): `noted` once its list stamp is
// fixed, `lists` empty when its row was missing then.
struct RequestStamps
{
    bool open = false;
    bool noted = false;
    std::optional<LONGLONG> lists;
};
thread_local RequestStamps t_request;

}  // namespace

CStoredStamps CStoredStamps::Read(CBntDatabase& database)
{
    // One row of two keyed look-ups; STAMP is never NULL, so a NULL is a missing row. The text
    // is made once: every request reads the stamps.
    static const std::string kStampsText = "SELECT (SELECT STAMP FROM RIGHTS_STAMP WHERE STAMPID = 1), "
                                           "(SELECT STAMP FROM RIGHTS_STAMP WHERE STAMPID = 2)";
    const auto row = CLoginQuery::FirstRow(database, kStampsText, {});
    const auto stamp = [&row](std::size_t column) {
        return row && !(*row)[column].IsNull() ? std::optional<LONGLONG>(CLoginQuery::Integer(*row, column))
                                               : std::nullopt;
    };
    return CStoredStamps{stamp(0), stamp(1)};
}

bool CStoredStamps::RightsStandAt(std::optional<LONGLONG> kept) const
{
    return kept.has_value() && rights == kept && lists.has_value();
}

CStoredStamps::RequestScope::RequestScope() : m_opened(!t_request.open)
{
    if (m_opened)
        t_request = RequestStamps{true, false, std::nullopt};
}

CStoredStamps::RequestScope::~RequestScope()
{
    if (m_opened)
        t_request = RequestStamps{};
}

void CStoredStamps::NoteForRequest(std::optional<LONGLONG> lists)
{
    if (!t_request.open || t_request.noted)
        return;
    t_request.noted = true;
    t_request.lists = lists;
}

bool CStoredStamps::ListsOfRequest(std::optional<LONGLONG>& lists)
{
    if (!t_request.noted)
        return false;
    lists = t_request.lists;
    return true;
}

bool CStoredStamps::ListsStandForRequest(std::optional<LONGLONG> lists)
{
    return t_request.noted && t_request.lists.has_value() && lists == t_request.lists;
}
