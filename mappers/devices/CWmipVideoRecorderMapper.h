// CWmipVideoRecorderMapper: the mapper of Bnt_VideoRecorder, the network video recorders kept
// as panels of type 36 with their time zone and connection settings. Its one method,
// "GetAuthenticationData", hands the client the recorder's login and the caller's video rights
// as a JSON document encrypted with the recorder's connection key (Base64 text); no call goes
// to the hardware. Viewing needs 0x1000006D; recorders are never written through this class.
// Built only by its registered factory.
//
// One request on one thread: no lock. Owns the crypt engine of its one request.
#pragma once

#include "common/TwCryptEngine.h"
#include "framework/CWmipDynamicClassMapper.h"
#include "mappers/devices/MapperMethodEntry.h"

class CWmipVideoRecorderMapper : public CWmipDynamicClassMapper
{
public:
    // The method table, in its fixed order.
    static const MapperMethodEntry<CWmipVideoRecorderMapper> kMethods[];
    static const std::size_t kMethodCount;
    // The panel type of recorders.
    static constexpr LONG kRecorderPanelType = 36;
    // The log line of every failure of the method.
    static constexpr wchar_t kFailureLog[] = L"Error while retrieving encrypted authentication data of video recorder.";

    CWmipVideoRecorderMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
    ~CWmipVideoRecorderMapper() override;

    // The WMI class the mapper serves: "Bnt_VideoRecorder".
    static const wchar_t* GetWMIClassName();
    // The MapperFactory of the class: a new mapper that the caller owns; never null.
    static CWmipClassMapper* CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // Dispatches by name over kMethods (CWmipDeviceMethod::Dispatch).
    HRESULT ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG flags, IWbemContext* context,
                          IWbemClassObject* inParams, IWbemObjectSink* sink) override;
    // Only panels of type 36.
    void FilterInstanceRecordset(CMultiFilterRecordset* recordset) override;

    // S_OK with "AuthenticationData" and one audit record; 0x80041001 (logged) when the key or
    // the recorder's login cannot be had, the key cannot be imported, the document cannot be
    // encrypted or handed over, or anything else fails.
    HRESULT GetAuthenticationData(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink* sink);

private:
    // Destroyed with the mapper.
    TwCryptEngine m_cryptEngine;
};
