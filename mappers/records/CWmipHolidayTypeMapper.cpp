#include "mappers/records/CWmipHolidayTypeMapper.h"

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
        CWmipMapperRegistry::AddToMapperChain(CWmipHolidayTypeMapper::GetWMIClassName(),
                                              &CWmipHolidayTypeMapper::CreateMapper);
    }
};
const NameChainEntry theNameChainEntry;

}  // namespace

CWmipHolidayTypeMapper::CWmipHolidayTypeMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDynamicClassMapper(user, context, services, GetWMIClassName())
{
    // The calendar is only read through the provider: writes carry id 0.
    SetPermissions(kViewCalendarPermission, 0, 0, 0);
}

CWmipHolidayTypeMapper::~CWmipHolidayTypeMapper() = default;

const wchar_t* CWmipHolidayTypeMapper::GetWMIClassName()
{
    return L"Bnt_HolidayType";
}

CWmipClassMapper* CWmipHolidayTypeMapper::CreateMapper(const CAcsUser* user, IWbemContext* context,
                                                       IWbemServices* services)
{
    return std::make_unique<CWmipHolidayTypeMapper>(user, context, services).release();
}
