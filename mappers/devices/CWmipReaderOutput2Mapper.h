// CWmipReaderOutput2Mapper: the mapper of Bnt_ReaderOutput2, output 2 of a reader ("Name" from READER.OUT2NAME):
// CWmipReaderDeviceMapper with the output's block byte and status item.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "mappers/devices/CWmipReaderDeviceMapper.h"

class CWmipReaderOutput2Mapper : public CWmipReaderDeviceMapper
{
public:
    CWmipReaderOutput2Mapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
    ~CWmipReaderOutput2Mapper() override;

    // The WMI class the mapper serves: "Bnt_ReaderOutput2".
    static const wchar_t* GetWMIClassName();
    // The MapperFactory of the class: a new mapper that the caller owns; never null.
    static CWmipClassMapper* CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
