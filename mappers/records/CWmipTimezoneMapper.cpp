#include "mappers/records/CWmipTimezoneMapper.h"

#include <memory>

#include "framework/CWmipMapperRegistry.h"

namespace
{

// The right to view holidays and access time zones.
constexpr DWORD kViewCalendarPermission = 0x10000011;

// Puts the mapper into GetMapper's name chain while the library loads.
struct NameChainEntry
{
    NameChainEntry()
    {
        CWmipMapperRegistry::AddToMapperChain(CWmipTimezoneMapper::GetWMIClassName(),
                                              &CWmipTimezoneMapper::CreateMapper);
    }
};
const NameChainEntry theNameChainEntry;

}  // namespace

CWmipTimezoneMapper::CWmipTimezoneMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDynamicClassMapper(user, context, services, GetWMIClassName())
{
    // The calendar is only read through the provider: writes carry id 0.
    SetPermissions(kViewCalendarPermission, 0, 0, 0);
}

CWmipTimezoneMapper::~CWmipTimezoneMapper() = default;

const wchar_t* CWmipTimezoneMapper::GetWMIClassName()
{
    return L"Bnt_Timezone";
}

CWmipClassMapper* CWmipTimezoneMapper::CreateMapper(const CAcsUser* user, IWbemContext* context,
                                                    IWbemServices* services)
{
    return std::make_unique<CWmipTimezoneMapper>(user, context, services).release();
}
