#include "provider/CWmipEventSubtypeParameterLinkMapper.h"

#include <memory>

namespace
{

// The right to view the event configuration.
constexpr DWORD kViewEventConfigurationPermission = 0x10000017;

}  // namespace

CWmipEventSubtypeParameterLinkMapper::CWmipEventSubtypeParameterLinkMapper(const CAcsUser* user, IWbemContext* context,
                                                                           IWbemServices* services)
    : CWmipDynamicClassMapper(user, context, services, GetWMIClassName())
{
    // The event configuration is only read through the provider: writes carry id 0.
    SetPermissions(kViewEventConfigurationPermission, 0, 0, 0);
}

CWmipEventSubtypeParameterLinkMapper::~CWmipEventSubtypeParameterLinkMapper() = default;

const wchar_t* CWmipEventSubtypeParameterLinkMapper::GetWMIClassName()
{
    return L"Bnt_EventSubtypeParameterLink";
}

CWmipClassMapper* CWmipEventSubtypeParameterLinkMapper::CreateMapper(const CAcsUser* user, IWbemContext* context,
                                                                     IWbemServices* services)
{
    return std::make_unique<CWmipEventSubtypeParameterLinkMapper>(user, context, services).release();
}
