#include "mappers/devices/CWmipVideoLayoutSourceMapper.h"

#include <memory>

CWmipVideoLayoutSourceMapper::CWmipVideoLayoutSourceMapper(const CAcsUser* user, IWbemContext* context,
                                                           IWbemServices* services)
    : CWmipDynamicClassMapper(user, context, services, GetWMIClassName())
{
}

CWmipVideoLayoutSourceMapper::~CWmipVideoLayoutSourceMapper() = default;

const wchar_t* CWmipVideoLayoutSourceMapper::GetWMIClassName()
{
    return L"Bnt_VideoLayoutSource";
}

CWmipClassMapper* CWmipVideoLayoutSourceMapper::CreateMapper(const CAcsUser* user, IWbemContext* context,
                                                             IWbemServices* services)
{
    return std::make_unique<CWmipVideoLayoutSourceMapper>(user, context, services).release();
}
