#include "inhouse/BntUdf/Portavere.h"

#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/CLoginQuery.h"

namespace brontel::portavere {

LONG Portavere::RecommendationSystemSetting(bool) const
{
    if (m_user == nullptr || m_user->GetDatabase() == nullptr) {
        return 0;
    }
    const auto row = CLoginQuery::FirstRow(*m_user->GetDatabase(),
                                           "SELECT NUMBERVALUE FROM CONFIG_VALUE WHERE CONFIGID = ?",
                                           {kSystemSettingId});
    return row ? static_cast<LONG>(CLoginQuery::Integer(*row, 0)) : 0;
}

bool Portavere::IsGrant(LONG cardholderLevel, LONG systemSetting, LONG, LONG) const
{
    return cardholderLevel >= systemSetting;
}

}  // namespace brontel::portavere
