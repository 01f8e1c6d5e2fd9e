// CWmipReaderInput2Mapper: the mapper of Bnt_ReaderInput2, input 2 of a reader ("Name" from READER.AUX2NAME):
// CWmipReaderDeviceMapper with the input's block byte and status item.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "mappers/devices/CWmipDeviceMapperSkeleton.h"
#include "mappers/devices/CWmipReaderDeviceMapper.h"

class CWmipReaderInput2Mapper : public CWmipDeviceMapperSkeleton<CWmipReaderInput2Mapper, CWmipReaderDeviceMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_ReaderInput2";
    static constexpr const wchar_t* kSource = L"WmipReaderInput2Mapper";
    static constexpr const std::span<const MethodEntry>& kMethods = kInputMethods;

    CWmipReaderInput2Mapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
