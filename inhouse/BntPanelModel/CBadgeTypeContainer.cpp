#include "inhouse/BntPanelModel/CBadgeTypeContainer.h"

#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CLoginQuery.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"

using brontel::utility::CWMIDebugLog;

CBadgeTypeContainer& CBadgeTypeContainer::Instance()
{
    static CBadgeTypeContainer container;
    return container;
}

std::optional<CBadgeType> CBadgeTypeContainer::Find(LONG badgeTypeId) const
{
    const CheckedMutexLock guard(m_lock);
    const auto found = m_types.find(badgeTypeId);
    if (found == m_types.end())
        return std::nullopt;
    return found->second;
}

bool CBadgeTypeContainer::Read(const CAcsUser* user, LONG, bool)
{
    CBntDatabase* database = user != nullptr ? user->GetDatabase() : nullptr;
    if (database == nullptr)
        return false;
    std::map<LONG, CBadgeType> types;
    try
    {
        // Each type read outside the lock: the list is swapped in whole once every type is read.
        for (const auto& row : CLoginQuery::Rows(*database, "SELECT ID FROM BADGETYP", {}))
        {
            CBadgeType type(static_cast<LONG>(CLoginQuery::Integer(row, 0)));
            if (type.Read(user, -1) == S_OK)
                types.emplace(type.GetID(), type);
        }
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(L"CBadgeTypeContainer", __LINE__, L"Unable to read the badge types.", E_FAIL, &e);
        return false;
    }
    const CheckedMutexLock guard(m_lock);
    m_types.swap(types);
    return true;
}
