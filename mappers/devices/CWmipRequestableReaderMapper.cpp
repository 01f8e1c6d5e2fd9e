#include "mappers/devices/CWmipRequestableReaderMapper.h"

#include <memory>

#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"

namespace {

constexpr DWORD kViewReadersPermission = 0x10000003;
constexpr int kAvailableForRequest = 1;

}  // namespace

CWmipRequestableReaderMapper::CWmipRequestableReaderMapper(const CAcsUser* user, IWbemContext* context,
                                                           IWbemServices* services)
    : CWmipDynamicClassMapper(user, context, services, GetWMIClassName())
{
    AddJoin(L"ACCESSPANE", L"PANELID", L"READER", L"PANELID");
    AddJoin(L"READER", L"READERID", L"ACCLVLINK", L"READERID");
    AddJoin(L"READER", L"PANELID", L"ACCLVLINK", L"PANELID");
    AddJoin(L"ACCLVLINK", L"ACCESSLVID", L"ACCESSLVL", L"ACCESSLVID");
    SetPermissions(kViewReadersPermission, 0, 0, 0);
}

CWmipRequestableReaderMapper::~CWmipRequestableReaderMapper() = default;

const wchar_t* CWmipRequestableReaderMapper::GetWMIClassName()
{
    return L"Bnt_RequestableReader";
}

CWmipClassMapper* CWmipRequestableReaderMapper::CreateMapper(const CAcsUser* user, IWbemContext* context,
                                                             IWbemServices* services)
{
    return std::make_unique<CWmipRequestableReaderMapper>(user, context, services).release();
}

void CWmipRequestableReaderMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    recordset->AddFilterInt(L"ACCESSLVL.AVAILABLE_FOR_REQUEST", kAvailableForRequest);
    // Each requestable level's link would otherwise repeat the reader.
    recordset->SetDistinct(true);
}
