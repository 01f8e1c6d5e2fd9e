#include "inhouse/BntUserDb/LUDFDbMgr.h"

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntLogin/CLoginQuery.h"

namespace {

constexpr char kLayoutQuery[] =
    "SELECT F.DDFLDID, O.DBOBJTYPE, T.TBLNAME, F.FLDNAME, O.LABEL FROM UDFOBJS O "
    "JOIN DDFLD F ON F.DDFLDID = O.DDFLDID JOIN DDTBL T ON T.ID = O.TBLID "
    "WHERE ? = 0 OR O.DBOBJTYPE = ? ORDER BY O.DBOBJTYPE, O.LFIELD, O.UDFOBJSID";

CString TextAt(const CLoginQuery::Row& row, std::size_t column)
{
    return row[column].IsNull() ? CString() : row[column].AsText();
}

}  // namespace

void LUDFDbMgr::Read(LONG objectType)
{
    m_fields.clear();
    if (m_database == nullptr) {
        return;
    }
    std::vector<LUDFField> fields;
    for (const auto& row : CLoginQuery::Rows(*m_database, kLayoutQuery, {CDBValue(objectType), CDBValue(objectType)})) {
        LUDFField field;
        field.fieldId = static_cast<LONG>(CLoginQuery::Integer(row, 0));
        field.objectType = static_cast<LONG>(CLoginQuery::Integer(row, 1));
        field.table = TextAt(row, 2);
        field.column = TextAt(row, 3);
        field.label = TextAt(row, 4);
        fields.push_back(std::move(field));
    }
    m_fields = std::move(fields);
}
