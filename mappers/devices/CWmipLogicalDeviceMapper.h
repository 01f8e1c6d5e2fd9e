// CWmipLogicalDeviceMapper: the mapper of Bnt_LogicalDevice, the devices of the logical sources
// (VEXLET_DEVICE rows with sub-device id 0). Writes check the source and the name (devices and
// sub-devices share one name space) inside the write's transaction, draw the device id from
// the ID generator, audit, and tell the servers (configuration message 290); a delete first
// removes the device's sub-devices and links.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"
#include "mappers/devices/CWmipLogicalMapper.h"

class CWmipLogicalDeviceMapper : public CWmipMapperSkeleton<CWmipLogicalDeviceMapper, CWmipLogicalMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_LogicalDevice";

    CWmipLogicalDeviceMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // Creates (no WBEM_FLAG_UPDATE_ONLY) or modifies the device in one transaction with its
    // checks and audit, then notifies the servers; path
    // "Bnt_LogicalDevice.ID=n,SourceID=m". Refusals throw CWMIException and change nothing.
    HRESULT PutInstance(IWbemClassObject* instance, LONG flags, CString& path) override;

private:
    void Validate(IWbemClassObject* instance, bool create) override;
    void RemoveDependents(IWbemClassObject* instance) override;
};
