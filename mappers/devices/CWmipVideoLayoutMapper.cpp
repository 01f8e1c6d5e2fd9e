#include "mappers/devices/CWmipVideoLayoutMapper.h"

#include <memory>

CWmipVideoLayoutMapper::CWmipVideoLayoutMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDynamicClassMapper(user, context, services, GetWMIClassName())
{
}

CWmipVideoLayoutMapper::~CWmipVideoLayoutMapper() = default;

const wchar_t* CWmipVideoLayoutMapper::GetWMIClassName()
{
    return L"Bnt_VideoLayout";
}

CWmipClassMapper* CWmipVideoLayoutMapper::CreateMapper(const CAcsUser* user, IWbemContext* context,
                                                       IWbemServices* services)
{
    return std::make_unique<CWmipVideoLayoutMapper>(user, context, services).release();
}
