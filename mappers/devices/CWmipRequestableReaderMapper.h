// CWmipRequestableReaderMapper: the mapper of Bnt_RequestableReader, the read-only list of the
// readers (READER joined to their panel) that some access level open to requests
// (ACCESSLVL.AVAILABLE_FOR_REQUEST = 1) links (ACCLVLINK). A reader linked by several such
// levels is listed once. Viewing needs 0x10000003; the class cannot be written.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipDynamicClassMapper.h"

class CWmipRequestableReaderMapper : public CWmipDynamicClassMapper
{
public:
    CWmipRequestableReaderMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
    ~CWmipRequestableReaderMapper() override;

    // The WMI class the mapper serves: "Bnt_RequestableReader".
    static const wchar_t* GetWMIClassName();
    // The MapperFactory of the class: a new mapper that the caller owns; never null.
    static CWmipClassMapper* CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // Only readers of levels open to requests, each reader once.
    void FilterInstanceRecordset(CMultiFilterRecordset* recordset) override;
};
