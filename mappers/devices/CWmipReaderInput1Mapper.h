// CWmipReaderInput1Mapper: the mapper of Bnt_ReaderInput1, input 1 of a reader ("Name" from READER.AUX1NAME):
// CWmipReaderDeviceMapper with the input's block byte and status item.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "mappers/devices/CWmipDeviceMapperSkeleton.h"
#include "mappers/devices/CWmipReaderDeviceMapper.h"

class CWmipReaderInput1Mapper : public CWmipDeviceMapperSkeleton<CWmipReaderInput1Mapper, CWmipReaderDeviceMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_ReaderInput1";
    static constexpr const wchar_t* kSource = L"WmipReaderInput1Mapper";
    static constexpr const std::span<const MethodEntry>& kMethods = kInputMethods;

    CWmipReaderInput1Mapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
