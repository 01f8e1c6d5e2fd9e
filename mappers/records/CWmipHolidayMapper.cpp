#include "mappers/records/CWmipHolidayMapper.h"

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
        CWmipMapperRegistry::AddToMapperChain(CWmipHolidayMapper::GetWMIClassName(), &CWmipHolidayMapper::CreateMapper);
    }
};
const NameChainEntry theNameChainEntry;

}  // namespace

CWmipHolidayMapper::CWmipHolidayMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDynamicClassMapper(user, context, services, GetWMIClassName())
{
    // The calendar is only read through the provider: writes carry id 0.
    SetPermissions(kViewCalendarPermission, 0, 0, 0);
}

CWmipHolidayMapper::~CWmipHolidayMapper() = default;

const wchar_t* CWmipHolidayMapper::GetWMIClassName()
{
    return L"Bnt_Holiday";
}

CWmipClassMapper* CWmipHolidayMapper::CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
{
    return std::make_unique<CWmipHolidayMapper>(user, context, services).release();
}
