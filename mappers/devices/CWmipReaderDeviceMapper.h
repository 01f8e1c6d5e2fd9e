// CWmipReaderDeviceMapper: the shared mapper of a reader's two auxiliary inputs and two
// outputs (Bnt_ReaderInput1/2 and Bnt_ReaderOutput1/2, each on the reader's READER row joined
// to its panel). The inputs' Mask and Unmask send the 12-byte reader input block, the outputs'
// Activate, Deactivate and Pulse the 8-byte reader output block, each with the command in the
// device's own byte; GetHardwareStatus answers the device's cached state (an input or output
// item of the reader). Viewing needs 0x10000003; the classes cannot be written.
//
// Built per request by the derived class's factory; one request on one thread: no lock.
#pragma once

#include <span>

#include "framework/CWmipDynamicClassMapper.h"
#include "mappers/devices/CWmipDeviceMethod.h"
#include "mappers/devices/MapperMethodEntry.h"

class CWmipReaderDeviceMapper : public CWmipDynamicClassMapper
{
public:
    using MethodEntry = MapperMethodEntry<CWmipReaderDeviceMapper>;

    // The method tables of the inputs and of the outputs, in their fixed order.
    static const std::span<const MethodEntry> kInputMethods;
    static const std::span<const MethodEntry> kOutputMethods;

    // What tells the four devices apart.
    struct Layout
    {
        // Names the derived mapper in errors.
        const wchar_t* source;
        bool output;
        // The command byte's offset in the block (inputs 8 and 9, outputs 6 and 7).
        std::size_t commandOffset;
        // The status item of the reader in the cache (inputs 0 and 1, outputs 17 and 18).
        LONG cacheItem;
    };

    ~CWmipReaderDeviceMapper() override;

    HRESULT Mask(DeviceMethodCall& call);
    HRESULT Unmask(DeviceMethodCall& call);
    HRESULT Activate(DeviceMethodCall& call);
    HRESULT Deactivate(DeviceMethodCall& call);
    HRESULT Pulse(DeviceMethodCall& call);
    HRESULT GetHardwareStatus(DeviceMethodCall& call);

protected:
    CWmipReaderDeviceMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                            const wchar_t* className, const Layout& layout);

private:
    // Sends the command byte in this device's block to the reader of the instance.
    HRESULT Send(IWbemClassObject* instance, BYTE command);

    const Layout m_layout;
};
