#include "mappers/records/helpers/CWmipRecordChecks.h"

#include "framework/CWmipMessages.h"
#include "framework/CWmipRowLookup.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/CString.h"

using brontel::utility::CWMIException;

HRESULT CWmipRecordChecks::HoldsAll(const CAcsUser& user, std::initializer_list<DWORD> permissions)
{
    for (const DWORD permission : permissions)
    {
        if (!user.HasPermission(permission))
            return WBEM_E_ACCESS_DENIED;
    }
    return S_OK;
}

bool CWmipRecordChecks::HasRow(CBntDatabase& database, const wchar_t* table, std::initializer_list<ColumnValue> columns)
{
    return CWmipRowLookup::HasRow(database, table, [&](CDynamicRecordset& rows) {
        rows.AddColumnToSet(columns.begin()->column, table);
        for (const ColumnValue& column : columns)
            rows.AddFilterLongLong(CString(table) + L"." + column.column, column.value);
    });
}

void CWmipRecordChecks::RequireGivenRow(const wchar_t* sourceFile, CBntDatabase& database, IWbemClassObject* instance,
                                        const wchar_t* property, const wchar_t* table, const wchar_t* column)
{
    LONG value = 0;
    if (FAILED(WMIHelper::GetNumber(instance, property, value)))
        return;
    if (!HasRow(database, table, {{column, value}}))
        ThrowNamed(sourceFile, __LINE__, WBEM_E_INVALID_PARAMETER, CWmipMessages::kInvalidProperty, property);
}
