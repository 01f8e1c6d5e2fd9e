#include "mappers/records/CWmipTimezoneIntervalMapper.h"

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
        CWmipMapperRegistry::AddToMapperChain(CWmipTimezoneIntervalMapper::GetWMIClassName(),
                                              &CWmipTimezoneIntervalMapper::CreateMapper);
    }
};
const NameChainEntry theNameChainEntry;

}  // namespace

CWmipTimezoneIntervalMapper::CWmipTimezoneIntervalMapper(const CAcsUser* user, IWbemContext* context,
                                                         IWbemServices* services)
    : CWmipDynamicClassMapper(user, context, services, GetWMIClassName())
{
    // The calendar is only read through the provider: writes carry id 0.
    SetPermissions(kViewCalendarPermission, 0, 0, 0);
}

CWmipTimezoneIntervalMapper::~CWmipTimezoneIntervalMapper() = default;

const wchar_t* CWmipTimezoneIntervalMapper::GetWMIClassName()
{
    return L"Bnt_TimezoneInterval";
}

CWmipClassMapper* CWmipTimezoneIntervalMapper::CreateMapper(const CAcsUser* user, IWbemContext* context,
                                                            IWbemServices* services)
{
    return std::make_unique<CWmipTimezoneIntervalMapper>(user, context, services).release();
}
