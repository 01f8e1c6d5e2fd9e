#include "mappers/records/CWmipWorldTimezoneMapper.h"

#include <memory>

#include "framework/CWmipMapperRegistry.h"

namespace
{

// Puts the mapper into GetMapper's name chain while the library loads.
struct NameChainEntry
{
    NameChainEntry()
    {
        CWmipMapperRegistry::AddToMapperChain(CWmipWorldTimezoneMapper::GetWMIClassName(),
                                              &CWmipWorldTimezoneMapper::CreateMapper);
    }
};
const NameChainEntry theNameChainEntry;

}  // namespace

CWmipWorldTimezoneMapper::CWmipWorldTimezoneMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDynamicClassMapper(user, context, services, GetWMIClassName())
{
    // World time zones are reference data that every user may read; writes carry id 0.
    SetPermissions(kNoPermissionCheck, 0, 0, 0);
}

CWmipWorldTimezoneMapper::~CWmipWorldTimezoneMapper() = default;

const wchar_t* CWmipWorldTimezoneMapper::GetWMIClassName()
{
    return L"Bnt_WorldTimezone";
}

CWmipClassMapper* CWmipWorldTimezoneMapper::CreateMapper(const CAcsUser* user, IWbemContext* context,
                                                         IWbemServices* services)
{
    return std::make_unique<CWmipWorldTimezoneMapper>(user, context, services).release();
}
