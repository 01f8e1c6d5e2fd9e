#include "inhouse/BntUdf/LUDFDbMgr.h"

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CLoginQuery.h"

namespace {

constexpr char kLayoutQuery[] = "SELECT F.DDFLDID, O.DBOBJTYPE, T.TBLNAME, F.FLDNAME, O.LABEL FROM UDFOBJS O "
                                "JOIN DDFLD F ON F.DDFLDID = O.DDFLDID JOIN DDTBL T ON T.ID = O.TBLID "
                                "WHERE ? = 0 OR O.DBOBJTYPE = ? ORDER BY O.DBOBJTYPE, O.LFIELD, O.UDFOBJSID";

CString TextAt(const CLoginQuery::Row& row, std::size_t column)
{
    return row[column].IsNull() ? CString() : row[column].AsText();
}

LONG ConfigNumber(CBntDatabase& database, LONG id, LONG fallback)
{
    const auto row = CLoginQuery::FirstRow(database, "SELECT NUMBERVALUE FROM CONFIG_VALUE WHERE CONFIGID = ?", {id});
    return row && !(*row)[0].IsNull() ? static_cast<LONG>(CLoginQuery::Integer(*row, 0)) : fallback;
}

LONG TimeOfDay(CBntDatabase& database, LONG id, LONG fallback)
{
    const LONG seconds = ConfigNumber(database, id, fallback);
    return seconds >= 0 && seconds < LUDFDbMgr::kSecondsPerDay ? seconds : fallback;
}

}  // namespace

bool LUDFDbMgr::Read(LONG objectType)
{
    m_fields.clear();
    if (m_database == nullptr)
    {
        return false;
    }
    std::vector<LUDFField> fields;
    for (const auto& row : CLoginQuery::Rows(*m_database, kLayoutQuery, {CDBValue(objectType), CDBValue(objectType)}))
    {
        LUDFField field;
        field.fieldId = static_cast<LONG>(CLoginQuery::Integer(row, 0));
        field.objectType = static_cast<LONG>(CLoginQuery::Integer(row, 1));
        field.table = TextAt(row, 2);
        field.column = TextAt(row, 3);
        field.label = TextAt(row, 4);
        fields.push_back(std::move(field));
    }
    m_signIn = TimeOfDay(*m_database, kDefaultSignInId, kDefaultSignInSeconds);
    m_signOut = TimeOfDay(*m_database, kDefaultSignOutId, kDefaultSignOutSeconds);
    m_disposable = ConfigNumber(*m_database, kAllowDisposableBadgesId, 1) != 0;
    m_visitorBadges = ConfigNumber(*m_database, kAllowVisitorBadgesId, 1) != 0;
    m_fields = std::move(fields);
    return true;
}
