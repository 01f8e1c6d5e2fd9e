// CWmipReaderOutput1Mapper: the mapper of Bnt_ReaderOutput1, output 1 of a reader ("Name" from READER.OUT1NAME):
// CWmipReaderDeviceMapper with the output's block byte and status item.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "mappers/devices/CWmipDeviceMapperSkeleton.h"
#include "mappers/devices/CWmipReaderDeviceMapper.h"

class CWmipReaderOutput1Mapper : public CWmipDeviceMapperSkeleton<CWmipReaderOutput1Mapper, CWmipReaderDeviceMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_ReaderOutput1";
    static constexpr const wchar_t* kSource = L"WmipReaderOutput1Mapper";
    static constexpr const std::span<const MethodEntry>& kMethods = kOutputMethods;

    CWmipReaderOutput1Mapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
