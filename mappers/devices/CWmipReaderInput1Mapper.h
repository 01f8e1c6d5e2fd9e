// CWmipReaderInput1Mapper: the mapper of Bnt_ReaderInput1, input 1 of a reader ("Name" from READER.AUX1NAME):
// CWmipReaderDeviceMapper with the input's block byte and status item.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "mappers/devices/CWmipReaderDeviceMapper.h"

class CWmipReaderInput1Mapper : public CWmipReaderDeviceMapper
{
public:
    CWmipReaderInput1Mapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
    ~CWmipReaderInput1Mapper() override;

    // The WMI class the mapper serves: "Bnt_ReaderInput1".
    static const wchar_t* GetWMIClassName();
    // The MapperFactory of the class: a new mapper that the caller owns; never null.
    static CWmipClassMapper* CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
