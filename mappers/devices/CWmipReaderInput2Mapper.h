// CWmipReaderInput2Mapper: the mapper of Bnt_ReaderInput2, input 2 of a reader ("Name" from READER.AUX2NAME):
// CWmipReaderDeviceMapper with the input's block byte and status item.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "mappers/devices/CWmipReaderDeviceMapper.h"

class CWmipReaderInput2Mapper : public CWmipReaderDeviceMapper
{
public:
    CWmipReaderInput2Mapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
    ~CWmipReaderInput2Mapper() override;

    // The WMI class the mapper serves: "Bnt_ReaderInput2".
    static const wchar_t* GetWMIClassName();
    // The MapperFactory of the class: a new mapper that the caller owns; never null.
    static CWmipClassMapper* CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
