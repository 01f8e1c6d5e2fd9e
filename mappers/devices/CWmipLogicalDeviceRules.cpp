#include "mappers/devices/CWmipLogicalDeviceRules.h"

#include "framework/CWmipMessages.h"
#include "framework/CWmipPropertyRefusal.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntAccessSets/CAccessPanelSet.h"
#include "inhouse/BntAccessSets/CVexletDeviceSet.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/WbemConstants.h"
#include "framework/WmipHostServices.h"
#include "hardware/CfgMessage.h"

using brontel::utility::CWMIException;

std::optional<LONG> CWmipLogicalDeviceRules::Number(IWbemClassObject* instance, const wchar_t* property)
{
    LONG value = 0;
    if (FAILED(WMIHelper::GetNumber(instance, property, value)))
        return std::nullopt;
    return value;
}

CString CWmipLogicalDeviceRules::RequiredName(const wchar_t* source, IWbemClassObject* instance)
{
    CString name;
    if (FAILED(WMIHelper::GetString(instance, L"Name", name)) || name.IsEmpty())
        CWmipPropertyRefusal::ThrowNamed(source, __LINE__, WBEM_E_ILLEGAL_NULL, CWmipMessages::kRequiredProperty,
                                         L"Name");
    return name;
}

bool CWmipLogicalDeviceRules::PanelExists(CBntDatabase* database, LONG panelId)
{
    CAccessPanelSet panels(database);
    panels.SetPanelIDFilter(panelId);
    panels.Open();
    return !panels.IsEOF();
}

bool CWmipLogicalDeviceRules::WorldTimezoneExists(CBntDatabase* database, LONG timezoneId)
{
    if (database == nullptr)
        return false;
    CDynamicRecordset timezones(database);
    timezones.SetTable(L"WORLDTZ");
    timezones.AddColumnToSet(L"WORLDTZID");
    timezones.AddFilterLong(L"WORLDTZID", timezoneId);
    timezones.OpenForwardOnly();
    return !timezones.IsEOF();
}

LONG CWmipLogicalDeviceRules::PanelSegment(CBntDatabase* database, LONG panelId)
{
    CAccessPanelSet panels(database);
    panels.SetPanelIDFilter(panelId);
    panels.Open();
    return panels.GetSegmentID();
}

bool CWmipLogicalDeviceRules::DeviceRowExists(CBntDatabase* database, LONG sourceId, LONG deviceId, LONG subDeviceId,
                                              const CString* name)
{
    CVexletDeviceSet devices(database);
    devices.SetPanelIDFilter(sourceId);
    devices.SetVexletDeviceIDFilter(deviceId);
    devices.SetSubDeviceIDFilter(subDeviceId);
    if (name != nullptr)
        devices.SetNameFilter(*name);
    devices.Open();
    return !devices.IsEOF();
}

void CWmipLogicalDeviceRules::CheckDeviceName(const wchar_t* source, CBntDatabase* database, const CString& name,
                                              bool nameKept)
{
    if (nameKept)
        return;
    if (database == nullptr)
        throw CWMIException(source, __LINE__, WBEM_E_FAILED);
    if (database->NameExists(L"VEXLET_DEVICE", L"NAME", name))
        CWmipPropertyRefusal::ThrowNamed(source, __LINE__, WBEM_E_FAILED, CWmipMessages::kNotUniqueProperty, L"Name");
}

LONG CWmipLogicalDeviceRules::Action(brontel::UserTranOperation::UserTransactionOperation operation)
{
    if (operation == brontel::UserTranOperation::Add)
        return 1;
    return operation == brontel::UserTranOperation::Modify ? 2 : 3;
}

void CWmipLogicalDeviceRules::Notify(int code, LONG action, LONG segment,
                                     std::span<const std::pair<std::size_t, LONG>> words)
{
    CfgMessage message(code, static_cast<int>(action), static_cast<int>(segment));
    for (const auto& [offset, value] : words)
        message.SetLong(offset, value);
    WmipHostServices::SendCfgMessage(message);
}
