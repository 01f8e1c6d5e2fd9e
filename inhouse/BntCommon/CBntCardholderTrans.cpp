#include "inhouse/BntCommon/CBntCardholderTrans.h"

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntLogin/CAcsUser.h"

namespace {

constexpr wchar_t kBntCardholderTransSource[] = L"CBntCardholderTrans";

template <typename T>
CDBValue Optional(const std::optional<T>& value)
{
    return value ? CDBValue(*value) : CDBValue();
}

}  // namespace

CBntCardholderTrans::CBntCardholderTrans(LONG action, LONG objectType, const COleDateTime* time)
    : m_action(action), m_objectType(objectType)
{
    if (time != nullptr)
    {
        m_time = *time;
    }
}

void CBntCardholderTrans::SetBadge(LONG badgeKey, LONGLONG badgeId, LONG issueCode)
{
    m_badge = Badge{badgeKey, badgeId, issueCode};
}

void CBntCardholderTrans::SetOldBadge(LONG badgeKey, LONGLONG badgeId, LONG issueCode)
{
    m_oldBadge = Badge{badgeKey, badgeId, issueCode};
}

bool CBntCardholderTrans::Log(const CAcsUser* user) const
{
    if (user == nullptr || !user->IsLoggedIn() || user->GetDatabase() == nullptr)
    {
        return false;
    }
    const COleDateTime when = m_time.value_or(COleDateTime::GetCurrentTime());
    if (when.GetStatus() != COleDateTime::valid)
    {
        user->GetExceptionHandler().LogError(kBntCardholderTransSource, __LINE__,
                                             L"Replication transaction with an invalid time.");
        return false;
    }
    const auto badge = [](const std::optional<Badge>& b, int part) {
        if (!b)
        {
            return CDBValue();
        }
        return part == 0 ? CDBValue(b->key) : part == 1 ? CDBValue(b->id) : CDBValue(b->issueCode);
    };
    try
    {
        user->GetDatabase()->ExecuteSQL(
            L"INSERT INTO REPL_TRANSACTION_LOG (TRANS_TIME, USERID, ACTION, OBJECT_TYPE, OPERATION, RECORDID, EMPID, "
            L"BADGEKEY, BADGEID, ISSUECODE, OLD_BADGEKEY, OLD_BADGEID, OLD_ISSUECODE) "
            L"VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
            {CDBValue(when.Format()), CDBValue(m_userId.value_or(user->GetUserID())), CDBValue(m_action),
             CDBValue(m_objectType), CDBValue(m_operation), Optional(m_recordId), Optional(m_personId),
             badge(m_badge, 0), badge(m_badge, 1), badge(m_badge, 2), badge(m_oldBadge, 0), badge(m_oldBadge, 1),
             badge(m_oldBadge, 2)});
        return true;
    }
    catch (const CDBException& e)
    {
        user->GetExceptionHandler().LogError(kBntCardholderTransSource, __LINE__,
                                             L"Unable to write the replication transaction.", &e);
        return false;
    }
}
