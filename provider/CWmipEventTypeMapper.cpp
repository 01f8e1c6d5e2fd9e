#include "provider/CWmipEventTypeMapper.h"

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
        CWmipMapperRegistry::AddToMapperChain(CWmipEventTypeMapper::GetWMIClassName(),
                                              &CWmipEventTypeMapper::CreateMapper);
    }
};
const NameChainEntry theNameChainEntry;

}  // namespace

CWmipEventTypeMapper::CWmipEventTypeMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDynamicClassMapper(user, context, services, GetWMIClassName())
{
    // The event configuration is only read through the provider: writes carry id 0.
    SetPermissions(kViewEventConfigurationPermission, 0, 0, 0);
}

CWmipEventTypeMapper::~CWmipEventTypeMapper() = default;

const wchar_t* CWmipEventTypeMapper::GetWMIClassName()
{
    return L"Bnt_EventType";
}

CWmipClassMapper* CWmipEventTypeMapper::CreateMapper(const CAcsUser* user, IWbemContext* context,
                                                     IWbemServices* services)
{
    return std::make_unique<CWmipEventTypeMapper>(user, context, services).release();
}
