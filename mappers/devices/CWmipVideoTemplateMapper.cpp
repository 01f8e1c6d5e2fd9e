#include "mappers/devices/CWmipVideoTemplateMapper.h"

#include <memory>

CWmipVideoTemplateMapper::CWmipVideoTemplateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDynamicClassMapper(user, context, services, GetWMIClassName())
{
}

CWmipVideoTemplateMapper::~CWmipVideoTemplateMapper() = default;

const wchar_t* CWmipVideoTemplateMapper::GetWMIClassName()
{
    return L"Bnt_VideoTemplate";
}

CWmipClassMapper* CWmipVideoTemplateMapper::CreateMapper(const CAcsUser* user, IWbemContext* context,
                                                         IWbemServices* services)
{
    return std::make_unique<CWmipVideoTemplateMapper>(user, context, services).release();
}
