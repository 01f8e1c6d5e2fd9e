// CWmipDirectoryMapper: the read-only mapper of Bnt_Directory, the configured directories
// (BNT_DIRECTORY) without the directory templates. A Windows NT 4 domain or a local-accounts
// directory has no port: its Port is left empty.
//
// Built per request by its factory; the caller owns it. One request on one thread.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipDirectoryMapper : public CWmipMapperSkeleton<CWmipDirectoryMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_Directory";

    // Hooks BNT_DIRECTORY.DIR_PORT (ReadPort).
    CWmipDirectoryMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // DIR_ISTEMPLATE 0 only.
    void FilterInstanceRecordset(CMultiFilterRecordset* recordset) override;

private:
    // DIR_PORT: Port stays empty for directory types 2 and 3, else the column's number; the
    // HRESULT of the put.
    HRESULT ReadPort(IWbemClassObject& instance, const CMultiFilterRecordset& row, const CString& column);
};
