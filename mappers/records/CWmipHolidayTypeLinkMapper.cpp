#include "mappers/records/CWmipHolidayTypeLinkMapper.h"

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
        CWmipMapperRegistry::AddToMapperChain(CWmipHolidayTypeLinkMapper::GetWMIClassName(),
                                              &CWmipHolidayTypeLinkMapper::CreateMapper);
    }
};
const NameChainEntry theNameChainEntry;

}  // namespace

CWmipHolidayTypeLinkMapper::CWmipHolidayTypeLinkMapper(const CAcsUser* user, IWbemContext* context,
                                                       IWbemServices* services)
    : CWmipDynamicClassMapper(user, context, services, GetWMIClassName())
{
    // The calendar is only read through the provider: writes carry id 0.
    SetPermissions(kViewCalendarPermission, 0, 0, 0);
}

CWmipHolidayTypeLinkMapper::~CWmipHolidayTypeLinkMapper() = default;

const wchar_t* CWmipHolidayTypeLinkMapper::GetWMIClassName()
{
    return L"Bnt_HolidayTypeLink";
}

CWmipClassMapper* CWmipHolidayTypeLinkMapper::CreateMapper(const CAcsUser* user, IWbemContext* context,
                                                           IWbemServices* services)
{
    return std::make_unique<CWmipHolidayTypeLinkMapper>(user, context, services).release();
}
