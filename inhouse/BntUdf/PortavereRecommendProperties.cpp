#include "inhouse/BntUdf/PortavereRecommendProperties.h"

#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/CLoginQuery.h"

namespace brontel::portavere {

PortavereRecommendProperties::PortavereRecommendProperties(const CAcsUser* user) : m_logicalName(kDefaultLogicalName)
{
    if (user == nullptr || user->GetDatabase() == nullptr) {
        return;
    }
    const auto row = CLoginQuery::FirstRow(*user->GetDatabase(), "SELECT TEXTVALUE FROM CONFIG_VALUE WHERE CONFIGID = ?",
                                           {kLogicalNameId});
    if (row && !(*row)[0].IsNull() && !(*row)[0].AsText().IsEmpty()) {
        m_logicalName = (*row)[0].AsText();
    }
}

}  // namespace brontel::portavere
