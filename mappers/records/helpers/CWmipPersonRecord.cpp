#include "mappers/records/helpers/CWmipPersonRecord.h"

#include "framework/CWmipMessages.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntResources/BntResourceStrings.h"
#include "mappers/records/helpers/CWmipRecordChecks.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/COleDateTime.h"

namespace {

// Audit text of a person: person id and name.
constexpr UINT kPersonAuditResource = 20702;

}  // namespace

CWmipPersonRecord::Row CWmipPersonRecord::Read(CBntDatabase& database, LONG personId)
{
    CDynamicRecordset emp(&database);
    emp.SetTable(L"EMP");
    for (const wchar_t* column : {L"ID", L"VISITOR", L"SEGMENTID", L"LASTNAME", L"FIRSTNAME", L"MIDNAME"})
        emp.AddColumnToSet(column, L"EMP");
    emp.AddFilterLong(L"EMP.ID", personId);
    emp.OpenForwardOnly();
    Row row;
    if (emp.IsEOF())
        return row;
    row.exists = true;
    row.visitor = emp.GetBool(L"EMP.VISITOR");
    row.segmentId = emp.GetLong(L"EMP.SEGMENTID");
    row.lastName = emp.GetText(L"EMP.LASTNAME");
    row.firstName = emp.GetText(L"EMP.FIRSTNAME");
    row.middleName = emp.GetText(L"EMP.MIDNAME");
    return row;
}

CWmipPersonRecord::Row CWmipPersonRecord::ReadNamed(const wchar_t* sourceFile, CBntDatabase& database, LONG personId)
{
    Row row = Read(database, personId);
    if (!row.exists)
        CWmipRecordChecks::ThrowNamed(sourceFile, __LINE__, WBEM_E_INVALID_PARAMETER, CWmipMessages::kInvalidProperty,
                                      L"PersonID");
    return row;
}

CString CWmipPersonRecord::FormatAuditText(LONG personId, const CString& name)
{
    CString format;
    brontel::resources::LoadResourceString(kPersonAuditResource, format);
    CString text;
    text.FormatMessage(format, personId, static_cast<const wchar_t*>(name));
    return text;
}

CString CWmipPersonRecord::NameOf(const Row& row, bool withMiddleName)
{
    if (!row.exists)
        return CString();
    CString name = row.lastName + L", " + row.firstName;
    if (withMiddleName)
        name += L" " + row.middleName;
    return name;
}

bool CWmipPersonRecord::TouchLastChanged(CBntDatabase& database, LONG personId)
{
    CDynamicRecordset emp(&database);
    emp.SetTable(L"EMP");
    emp.AddColumnToSet(L"ID", L"EMP");
    emp.AddColumnToSet(L"LASTCHANGED", L"EMP");
    emp.AddFilterLong(L"EMP.ID", personId);
    emp.Open();
    if (emp.IsEOF())
        return false;
    emp.Edit();
    emp.SetDateTime(L"LASTCHANGED", COleDateTime::GetCurrentTime());
    emp.Update();
    return true;
}
