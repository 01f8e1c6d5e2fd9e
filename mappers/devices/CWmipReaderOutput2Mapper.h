// CWmipReaderOutput2Mapper: the mapper of Bnt_ReaderOutput2, output 2 of a reader ("Name" from READER.OUT2NAME):
// CWmipReaderDeviceMapper with the output's block byte and status item.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "mappers/devices/CWmipDeviceMapperSkeleton.h"
#include "mappers/devices/CWmipReaderDeviceMapper.h"

class CWmipReaderOutput2Mapper : public CWmipDeviceMapperSkeleton<CWmipReaderOutput2Mapper, CWmipReaderDeviceMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_ReaderOutput2";
    static constexpr const wchar_t* kSource = L"WmipReaderOutput2Mapper";
    static constexpr const std::span<const MethodEntry>& kMethods = kOutputMethods;

    CWmipReaderOutput2Mapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
