// CWmipLogicalSubDeviceMapper: the mapper of Bnt_LogicalSubDevice, the sub-devices of the
// logical devices (VEXLET_DEVICE rows with a sub-device id other than 0), written through the
// framework's staging with the rules of the source, the device and the shared device names; it
// audits and tells the servers of each change (configuration message 292).
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"
#include "mappers/devices/CWmipLogicalMapper.h"

class CWmipLogicalSubDeviceMapper : public CWmipMapperSkeleton<CWmipLogicalSubDeviceMapper, CWmipLogicalMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_LogicalSubDevice";

    CWmipLogicalSubDeviceMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

private:
    void Validate(IWbemClassObject* instance, bool create) override;
    void RemoveDependents(IWbemClassObject* instance) override;
};
