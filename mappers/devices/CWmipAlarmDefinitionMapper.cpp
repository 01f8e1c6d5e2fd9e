#include "mappers/devices/CWmipAlarmDefinitionMapper.h"

#include <memory>

namespace {

constexpr DWORD kViewAlarmDefinitionsPermission = 0x10000017;

}  // namespace

CWmipAlarmDefinitionMapper::CWmipAlarmDefinitionMapper(const CAcsUser* user, IWbemContext* context,
                                                       IWbemServices* services)
    : CWmipDynamicClassMapper(user, context, services, GetWMIClassName())
{
    AddJoin(L"ALARM", L"TXTID", L"TEXTOBJ", L"TXTID");
    SetPermissions(kViewAlarmDefinitionsPermission, 0, 0, 0);
}

CWmipAlarmDefinitionMapper::~CWmipAlarmDefinitionMapper() = default;

const wchar_t* CWmipAlarmDefinitionMapper::GetWMIClassName()
{
    return L"Bnt_AlarmDefinition";
}

CWmipClassMapper* CWmipAlarmDefinitionMapper::CreateMapper(const CAcsUser* user, IWbemContext* context,
                                                           IWbemServices* services)
{
    return std::make_unique<CWmipAlarmDefinitionMapper>(user, context, services).release();
}
