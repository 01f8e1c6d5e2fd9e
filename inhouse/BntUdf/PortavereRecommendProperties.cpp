#include "inhouse/BntUdf/PortavereRecommendProperties.h"

#include "inhouse/BntCoreDb/CLoginQuery.h"
#include "inhouse/BntLogin/CAcsUser.h"

namespace brontel::portavere {

namespace {

// The text of a configuration value; fallback when absent or empty.
CString ConfigText(CBntDatabase& database, LONG id, const wchar_t* fallback)
{
    const auto row = CLoginQuery::FirstRow(database, "SELECT TEXTVALUE FROM CONFIG_VALUE WHERE CONFIGID = ?", {id});
    if (row && !(*row)[0].IsNull() && !(*row)[0].AsText().IsEmpty())
    {
        return (*row)[0].AsText();
    }
    return CString(fallback);
}

// The number of a configuration value; fallback when absent or NULL.
LONG RecommendConfigNumber(CBntDatabase& database, LONG id, LONG fallback)
{
    const auto row = CLoginQuery::FirstRow(database, "SELECT NUMBERVALUE FROM CONFIG_VALUE WHERE CONFIGID = ?", {id});
    return row && !(*row)[0].IsNull() ? static_cast<LONG>(CLoginQuery::Integer(*row, 0)) : fallback;
}

}  // namespace

PortavereRecommendProperties::PortavereRecommendProperties(const CAcsUser* user)
    : m_logicalName(kDefaultLogicalName), m_denyText(kDefaultDenyText), m_grantText(kDefaultGrantText)
{
    if (user == nullptr || user->GetDatabase() == nullptr)
    {
        return;
    }
    CBntDatabase& database = *user->GetDatabase();
    m_logicalName = ConfigText(database, kLogicalNameId, kDefaultLogicalName);
    m_associatedDropdown = ConfigText(database, kAssociatedDropdownId, L"");
    m_denyText = ConfigText(database, kDenyTextId, kDefaultDenyText);
    m_grantText = ConfigText(database, kGrantTextId, kDefaultGrantText);
    m_denyColor = RecommendConfigNumber(database, kDenyColorId, kDefaultDenyColor);
    m_grantColor = RecommendConfigNumber(database, kGrantColorId, kDefaultGrantColor);
    m_denyOverride = RecommendConfigNumber(database, kDenyOverrideId, 0) != 0;
    m_grantOverride = RecommendConfigNumber(database, kGrantOverrideId, 0) != 0;
    m_overridePrompt = RecommendConfigNumber(database, kOverridePromptId, 0) != 0;
    m_notifyUser = RecommendConfigNumber(database, kNotifyUserId, 0) != 0;
}

}  // namespace brontel::portavere
