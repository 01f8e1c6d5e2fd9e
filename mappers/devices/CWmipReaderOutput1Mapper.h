// CWmipReaderOutput1Mapper: the mapper of Bnt_ReaderOutput1, output 1 of a reader ("Name" from READER.OUT1NAME):
// CWmipReaderDeviceMapper with the output's block byte and status item.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "mappers/devices/CWmipReaderDeviceMapper.h"

class CWmipReaderOutput1Mapper : public CWmipReaderDeviceMapper
{
public:
    CWmipReaderOutput1Mapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
    ~CWmipReaderOutput1Mapper() override;

    // The WMI class the mapper serves: "Bnt_ReaderOutput1".
    static const wchar_t* GetWMIClassName();
    // The MapperFactory of the class: a new mapper that the caller owns; never null.
    static CWmipClassMapper* CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
