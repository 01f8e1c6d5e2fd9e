// CWmipVideoRecorderMapper: the mapper of Bnt_VideoRecorder, the network video recorders kept
// as panels of type 36 with their time zone and connection settings. Its one method,
// "GetAuthenticationData", hands the client the recorder's login and the caller's video rights
// as a JSON document encrypted with the recorder's connection key (Base64 text); no call goes
// to the hardware. Viewing needs 0x1000006D; recorders are never written through this class.
// Built only by its registered factory.
//
// One request on one thread: no lock. Owns the crypt engine of its one request.
#pragma once

#include "mappers/devices/CWmipDeviceMapperSkeleton.h"
#include "common/TwCryptEngine.h"
#include "mappers/devices/MapperMethodEntry.h"

class CWmipVideoRecorderMapper : public CWmipDeviceMapperSkeleton<CWmipVideoRecorderMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_VideoRecorder";
    static constexpr const wchar_t* kSource = L"WmipVideoRecorderMapper";
    // The method table, in its fixed order.
    static const std::span<const MapperMethodEntry<CWmipVideoRecorderMapper>> kMethods;
    // The panel type of recorders.
    static constexpr LONG kRecorderPanelType = 36;
    // The log line of every failure of the method.
    static constexpr wchar_t kFailureLog[] = L"Error while retrieving encrypted authentication data of video recorder.";

    CWmipVideoRecorderMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // Only panels of type 36.
    void FilterInstanceRecordset(CMultiFilterRecordset* recordset) override;

    // S_OK with "AuthenticationData" and one audit record; 0x80041001 (logged) when the key or
    // the recorder's login cannot be had, the key cannot be imported, the document cannot be
    // encrypted or handed over, or anything else fails.
    HRESULT GetAuthenticationData(DeviceMethodCall& call);

private:
    // Destroyed with the mapper.
    TwCryptEngine m_cryptEngine;
};
