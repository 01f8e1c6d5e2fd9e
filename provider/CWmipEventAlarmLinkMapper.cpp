#include "provider/CWmipEventAlarmLinkMapper.h"

#include <memory>

#include "framework/CWmipMapperRegistry.h"

namespace
{

// The right to view the event configuration.
constexpr DWORD kViewEventConfigurationPermission = 0x10000017;

// Puts the mapper into GetMapper's name chain while the library loads.
struct NameChainEntry
{
    NameChainEntry()
    {
        CWmipMapperRegistry::AddToMapperChain(CWmipEventAlarmLinkMapper::GetWMIClassName(),
                                              &CWmipEventAlarmLinkMapper::CreateMapper);
    }
};
const NameChainEntry theNameChainEntry;

}  // namespace

CWmipEventAlarmLinkMapper::CWmipEventAlarmLinkMapper(const CAcsUser* user, IWbemContext* context,
                                                     IWbemServices* services)
    : CWmipDynamicClassMapper(user, context, services, GetWMIClassName())
{
    // The event configuration is only read through the provider: writes carry id 0.
    SetPermissions(kViewEventConfigurationPermission, 0, 0, 0);
}

CWmipEventAlarmLinkMapper::~CWmipEventAlarmLinkMapper() = default;

const wchar_t* CWmipEventAlarmLinkMapper::GetWMIClassName()
{
    return L"Bnt_EventAlarmDefinitionLink";
}

CWmipClassMapper* CWmipEventAlarmLinkMapper::CreateMapper(const CAcsUser* user, IWbemContext* context,
                                                          IWbemServices* services)
{
    return std::make_unique<CWmipEventAlarmLinkMapper>(user, context, services).release();
}
