// CWmipRequestableReaderMapper: the mapper of Bnt_RequestableReader, the read-only list of the
// readers (READER joined to their panel) that some access level open to requests
// (ACCESSLVL.AVAILABLE_FOR_REQUEST = 1) links (ACCLVLINK). A reader linked by several such
// levels is listed once. Viewing needs 0x10000003; the class cannot be written.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipRequestableReaderMapper : public CWmipMapperSkeleton<CWmipRequestableReaderMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_RequestableReader";

    CWmipRequestableReaderMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // Only readers of levels open to requests, each reader once.
    void FilterInstanceRecordset(CMultiFilterRecordset* recordset) override;
};
