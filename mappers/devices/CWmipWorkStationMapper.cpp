#include "mappers/devices/CWmipWorkStationMapper.h"

#include <memory>

CWmipWorkStationMapper::CWmipWorkStationMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDynamicClassMapper(user, context, services, GetWMIClassName())
{
}

CWmipWorkStationMapper::~CWmipWorkStationMapper() = default;

const wchar_t* CWmipWorkStationMapper::GetWMIClassName()
{
    return L"Bnt_WorkStation";
}

CWmipClassMapper* CWmipWorkStationMapper::CreateMapper(const CAcsUser* user, IWbemContext* context,
                                                       IWbemServices* services)
{
    return std::make_unique<CWmipWorkStationMapper>(user, context, services).release();
}
