#include "mappers/records/CWmipPortavereMapper.h"

#include "framework/CWmipWriteFrame.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntUdf/Portavere.h"
#include "inhouse/BntUdf/PortavereRecommendProperties.h"
#include "mappers/records/helpers/CWmipMethodOutput.h"
#include "mappers/records/helpers/CWmipMethodParameters.h"
#include "platform/com/CimTypes.h"
#include "platform/com/WbemConstants.h"

#include <functional>
#include <initializer_list>

namespace {
constexpr wchar_t kRecommendationMethod[] = L"RecommendationSystemSetting";
constexpr wchar_t kRecommendPropertiesMethod[] = L"RecommendProperties";

// Runs one handler under the guard every method shares: whatever it raises answers 0x80041001.
HRESULT Guarded(const std::function<HRESULT()>& handler)
{
    try
    {
        return handler();
    }
    catch (...)
    {
        return WBEM_E_FAILED;
    }
}

// The first failing HRESULT of a row of puts.
HRESULT FirstFailure(std::initializer_list<HRESULT> results)
{
    for (const HRESULT hr : results)
    {
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}
}  // namespace

CWmipPortavereMapper::CWmipPortavereMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services), m_user(user)
{
}

HRESULT CWmipPortavereMapper::ExecuteMethod(CWmipObjectPath*, const wchar_t* methodName, LONG, IWbemContext*,
                                            IWbemClassObject* inParams, IWbemObjectSink* sink)
{
    const CString name(methodName != nullptr ? methodName : L"");
    const bool grant = name.CompareNoCase(L"LogGrantTransaction") == 0;
    if (grant || name.CompareNoCase(L"LogDenyTransaction") == 0)
        return Guarded([&] {
            return CWmipWriteFrame::RunMethod(
                *this, nullptr, methodName, inParams, [](IWbemClassObject*) {},
                [&](IWbemClassObject*, CBntDatabase&) { return LogDecision(grant, inParams); });
        });
    if (name.CompareNoCase(kRecommendationMethod) == 0)
        return Guarded([&] { return RecommendationSystemSetting(sink); });
    if (name.CompareNoCase(L"IsGrant") == 0)
        return Guarded([&] { return IsGrant(inParams, sink); });
    if (name.CompareNoCase(kRecommendPropertiesMethod) == 0)
        return Guarded([&] { return RecommendProperties(sink); });
    return WBEM_E_METHOD_NOT_IMPLEMENTED;
}

HRESULT CWmipPortavereMapper::LogDecision(bool granted, IWbemClassObject* inParams)
{
    const LONG current = CWmipMethodParameters::Number(inParams, L"CurrentLevel");
    const LONG system = CWmipMethodParameters::Number(inParams, L"SystemLevel");
    const CString cardholder = CWmipMethodParameters::Text(inParams, L"CardholderName");
    const CString ssno = CWmipMethodParameters::Text(inParams, L"SSNo");
    const CString reader = CWmipMethodParameters::Text(inParams, L"ReaderName");
    const CString gate = CWmipMethodParameters::Text(inParams, L"GateName");
    const brontel::portavere::Portavere portavere(m_user);
    // A decision that was not recorded must not be reported as recorded.
    const bool logged =
        granted ? portavere.LogGrantTransactionUsingIDs(current, system, cardholder, ssno, reader, gate, nullptr)
                : portavere.LogDenyTransactionUsingIDs(current, system, cardholder, ssno, reader, gate, nullptr);
    return logged ? S_OK : WBEM_E_FAILED;
}

HRESULT CWmipPortavereMapper::RecommendationSystemSetting(IWbemObjectSink* sink)
{
    const LONG setting = brontel::portavere::Portavere(m_user).RecommendationSystemSetting(false);
    return CWmipMethodOutput::Indicate(
        *this, kWMIClassName, kRecommendationMethod, sink,
        [setting](IWbemClassObject* output) { return WMIHelper::PutNumber(output, L"ReturnValue", setting); });
}

HRESULT CWmipPortavereMapper::IsGrant(IWbemClassObject* inParams, IWbemObjectSink* sink)
{
    const LONG level = CWmipMethodParameters::Number(inParams, L"CardholderThreatLevelID");
    const LONG setting = CWmipMethodParameters::Number(inParams, L"SystemSettingID");
    const bool granted = brontel::portavere::Portavere(m_user).IsGrant(level, setting, -1, -1);
    // The answer travels in the sint32 ReturnValue of the recommendation's signature: 1 or 0.
    return CWmipMethodOutput::Indicate(
        *this, kWMIClassName, kRecommendationMethod, sink,
        [granted](IWbemClassObject* output) { return WMIHelper::PutNumber(output, L"ReturnValue", granted ? 1 : 0); });
}

HRESULT CWmipPortavereMapper::RecommendProperties(IWbemObjectSink* sink)
{
    const brontel::portavere::PortavereRecommendProperties settings(m_user);
    return CWmipMethodOutput::Indicate(
        *this, kWMIClassName, kRecommendPropertiesMethod, sink, [&settings](IWbemClassObject* output) {
            return FirstFailure(
                {WMIHelper::PutString(output, L"LogicalName", settings.GetLogicalName(), CIM_STRING),
                 WMIHelper::PutString(output, L"AssociatedDropdown", settings.GetAssociatedDropdown(), CIM_STRING),
                 WMIHelper::PutString(output, L"DenyText", settings.GetDenyText(), CIM_STRING),
                 WMIHelper::PutNumber(output, L"DenyColor", settings.GetDenyColor()),
                 WMIHelper::PutNumber(output, L"GrantColor", settings.GetGrantColor()),
                 WMIHelper::PutBool(output, L"DenyOverride", settings.DenyOverride()),
                 WMIHelper::PutString(output, L"GrantText", settings.GetGrantText(), CIM_STRING),
                 WMIHelper::PutBool(output, L"GrantOverride", settings.GrantOverride()),
                 WMIHelper::PutBool(output, L"OverridePrompt", settings.OverridePrompt()),
                 WMIHelper::PutBool(output, L"NotifyUserOfOperation", settings.NotifyUserOfOperation())});
        });
}
