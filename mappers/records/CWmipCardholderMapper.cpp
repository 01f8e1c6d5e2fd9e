#include "mappers/records/CWmipCardholderMapper.h"

#include "common/AccessCodes.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntUdf/Portavere.h"
#include "inhouse/BntUdf/PortavereRecommendProperties.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "platform/com/CimTypes.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/CException.h"

using brontel::utility::CWMIDebugLog;

namespace {

constexpr const wchar_t* kCardholderMapperSourceFile = L"wpCardholderMapper.cpp";

}  // namespace

CWmipCardholderMapper::CWmipCardholderMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    AddForeignKeyPropertyMapping(L"ID", L"ID", L"UDFEMP");
    SetPermissions(Permission::kViewCardholders, Permission::kAddCardholders, Permission::kModifyCardholders,
                   Permission::kDeleteCardholders);
    SetTransactionObject(AuditObject::kCardholder);
}

int CWmipCardholderMapper::GetPersonType()
{
    return kCardholder;
}

HRESULT CWmipCardholderMapper::CreateInstance(IWbemClassObject** instance)
{
    const HRESULT hr = CWmipPersonMapper::CreateInstance(instance);
    if (FAILED(hr) || IsBusDoor())
        return hr;
    return FillIsGrant(*instance);
}

HRESULT CWmipCardholderMapper::FillIsGrant(IWbemClassObject* instance)
{
    try
    {
        // The mapper's own connection: no further connection is taken per row.
        if (!m_threatLevelProperty)
        {
            const brontel::portavere::PortavereRecommendProperties properties(GetDatabaseUser());
            m_systemSetting = brontel::portavere::Portavere(GetDatabaseUser()).RecommendationSystemSetting(false);
            m_threatLevelProperty = properties.GetLogicalName();
        }
        // A caller whose field permission group hides the threat level is told nothing that
        // depends on it: IsGrant stays without a value.
        _variant_t present;
        if (FAILED(instance->Get(*m_threatLevelProperty, 0, &present, nullptr, nullptr)))
            return S_OK;
        LONG level = 0;
        if (FAILED(WMIHelper::GetNumber(instance, *m_threatLevelProperty, level)))
            level = 0;
        const bool granted = brontel::portavere::Portavere(GetDatabaseUser()).IsGrant(level, m_systemSetting, -1, -1);
        return WMIHelper::PutBool(instance, L"IsGrant", granted);
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(kCardholderMapperSourceFile, __LINE__, L"Unable to fill IsGrant.", 0, &e);
        return WBEM_E_FAILED;
    }
}

LONG CWmipCardholderMapper::GetPropertyType(const CString& column, const CString& table)
{
    if (table == L"EMP" && column == L"ALLOWEDVISITORS")
        return CIM_BOOLEAN;
    return CWmipPersonMapper::GetPropertyType(column, table);
}

HRESULT CWmipCardholderMapper::CanView()
{
    const HRESULT hr = CanPerformOperation(Permission::kViewCardholders, nullptr);
    if (FAILED(hr))
        return hr;
    return CanPerformOperation(Permission::kViewCardholdersSecond, nullptr);
}
