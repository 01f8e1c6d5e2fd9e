#include "provider/CWmipEventSubtypeDefinitionMapper.h"

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
        CWmipMapperRegistry::AddToMapperChain(CWmipEventSubtypeDefinitionMapper::GetWMIClassName(),
                                              &CWmipEventSubtypeDefinitionMapper::CreateMapper);
    }
};
const NameChainEntry theNameChainEntry;

}  // namespace

CWmipEventSubtypeDefinitionMapper::CWmipEventSubtypeDefinitionMapper(const CAcsUser* user, IWbemContext* context,
                                                                     IWbemServices* services)
    : CWmipDynamicClassMapper(user, context, services, GetWMIClassName())
{
    // The event configuration is only read through the provider: writes carry id 0.
    SetPermissions(kViewEventConfigurationPermission, 0, 0, 0);
}

CWmipEventSubtypeDefinitionMapper::~CWmipEventSubtypeDefinitionMapper() = default;

const wchar_t* CWmipEventSubtypeDefinitionMapper::GetWMIClassName()
{
    return L"Bnt_EventSubtypeDefinition";
}

CWmipClassMapper* CWmipEventSubtypeDefinitionMapper::CreateMapper(const CAcsUser* user, IWbemContext* context,
                                                                  IWbemServices* services)
{
    return std::make_unique<CWmipEventSubtypeDefinitionMapper>(user, context, services).release();
}
