#include "mappers/devices/CWmipAlarmDefinitionMapper.h"

#include <memory>

#include "framework/CWmipMapperRegistry.h"

namespace
{

constexpr DWORD kViewAlarmDefinitionsPermission = 0x10000017;

// Puts the mapper into GetMapper's name chain while the library loads.
struct NameChainEntry
{
    NameChainEntry()
    {
        CWmipMapperRegistry::AddToMapperChain(CWmipAlarmDefinitionMapper::GetWMIClassName(), &CWmipAlarmDefinitionMapper::CreateMapper);
    }
};
const NameChainEntry theNameChainEntry;

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
