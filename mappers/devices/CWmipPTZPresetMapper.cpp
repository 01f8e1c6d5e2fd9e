#include "mappers/devices/CWmipPTZPresetMapper.h"

#include <memory>

namespace {

constexpr DWORD kViewPermission = 0x30000026;

}  // namespace

CWmipPTZPresetMapper::CWmipPTZPresetMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDynamicClassMapper(user, context, services, GetWMIClassName())
{
    SetPermissions(kViewPermission, 0, 0, 0);
}

CWmipPTZPresetMapper::~CWmipPTZPresetMapper() = default;

const wchar_t* CWmipPTZPresetMapper::GetWMIClassName()
{
    return L"Bnt_PTZPreset";
}

CWmipClassMapper* CWmipPTZPresetMapper::CreateMapper(const CAcsUser* user, IWbemContext* context,
                                                     IWbemServices* services)
{
    return std::make_unique<CWmipPTZPresetMapper>(user, context, services).release();
}
