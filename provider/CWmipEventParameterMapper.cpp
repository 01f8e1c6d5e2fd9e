#include "provider/CWmipEventParameterMapper.h"

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
        CWmipMapperRegistry::AddToMapperChain(CWmipEventParameterMapper::GetWMIClassName(),
                                              &CWmipEventParameterMapper::CreateMapper);
    }
};
const NameChainEntry theNameChainEntry;

}  // namespace

CWmipEventParameterMapper::CWmipEventParameterMapper(const CAcsUser* user, IWbemContext* context,
                                                     IWbemServices* services)
    : CWmipDynamicClassMapper(user, context, services, GetWMIClassName())
{
    // The event configuration is only read through the provider: writes carry id 0.
    SetPermissions(kViewEventConfigurationPermission, 0, 0, 0);
}

CWmipEventParameterMapper::~CWmipEventParameterMapper() = default;

const wchar_t* CWmipEventParameterMapper::GetWMIClassName()
{
    return L"Bnt_EventParameter";
}

CWmipClassMapper* CWmipEventParameterMapper::CreateMapper(const CAcsUser* user, IWbemContext* context,
                                                          IWbemServices* services)
{
    return std::make_unique<CWmipEventParameterMapper>(user, context, services).release();
}
