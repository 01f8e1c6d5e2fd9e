#include "inhouse/BntCoreDb/CSQLStatement.h"

#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CSqlText.h"

namespace {

CString Quoted(const CString& table, const CString& column)
{
    const std::string text = table.IsEmpty() ? CSqlText::QuoteIdentifier(column, false, L"Column")
                                             : CSqlText::QuoteIdentifier(table, false, L"Table") + "." +
                                                   CSqlText::QuoteIdentifier(column, false, L"Column");
    return CString(text.c_str());
}

}  // namespace

CString CSQLStatement::ConcatenateTableAndColumn(const CString& table, const CString& column)
{
    if (!table.IsEmpty())
        CSqlText::QuoteIdentifier(table, false, L"Table");
    CSqlText::QuoteIdentifier(column, false, L"Column");
    return table.IsEmpty() ? column : table + L"." + column;
}

void CSQLStatement::SetFrom(const CString& table)
{
    CString name;
    m_fromQuoted = CString(CSqlText::QuoteTableReference(table, name).c_str());
    m_from = table;
}

void CSQLStatement::AddToWhere(const CString& table, const CString& column, const CDBValue& value, int comparison)
{
    CSqlText::ComparisonText(comparison);
    if (value.IsNull() && comparison != Equal && comparison != NotEqual)
        throw CDBException(CDBException::kRetRefused, L"42000", 0, L"NULL can only be compared for equality.");
    m_where.push_back({Quoted(table, column), comparison, value});
}

void CSQLStatement::AddToSet(const CString& column, const CDBValue& value)
{
    m_set.push_back({Quoted(CString(), column), value});
}

CString CSQLStatement::GetWhere() const
{
    CString text;
    for (const Condition& condition : m_where)
    {
        if (!text.IsEmpty())
            text += L" AND ";
        text += condition.column;
        if (condition.value.IsNull())
            text += condition.comparison == Equal ? L" IS NULL" : L" IS NOT NULL";
        else
        {
            text += L" ";
            text += CSqlText::ComparisonText(condition.comparison);
            text += L" ?";
        }
    }
    return text;
}

std::vector<CDBValue> CSQLStatement::GetWhereValues() const
{
    std::vector<CDBValue> values;
    for (const Condition& condition : m_where)
    {
        if (!condition.value.IsNull())
            values.push_back(condition.value);
    }
    return values;
}

CString CSQLStatement::GetSQL(Kind kind) const
{
    if (m_fromQuoted.IsEmpty())
        throw CDBException(CDBException::kRetRefused, L"HY010", 0, L"The statement has no table.");
    CString text;
    switch (kind)
    {
    case Kind::Count:
        text = L"SELECT COUNT(*) FROM " + m_fromQuoted;
        break;
    case Kind::Delete:
        text = L"DELETE FROM " + m_fromQuoted;
        break;
    case Kind::Update:
        if (m_set.empty())
            throw CDBException(CDBException::kRetRefused, L"HY010", 0, L"The UPDATE statement sets no column.");
        text = L"UPDATE " + m_fromQuoted + L" SET ";
        for (std::size_t i = 0; i < m_set.size(); ++i)
        {
            if (i > 0)
                text += L", ";
            text += m_set[i].column + L" = ?";
        }
        break;
    }
    const CString where = GetWhere();
    if (!where.IsEmpty())
        text += L" WHERE " + where;
    return text;
}

std::vector<CDBValue> CSQLStatement::GetValues(Kind kind) const
{
    std::vector<CDBValue> values;
    if (kind == Kind::Update)
    {
        for (const Assignment& assignment : m_set)
            values.push_back(assignment.value);
    }
    const std::vector<CDBValue> where = GetWhereValues();
    values.insert(values.end(), where.begin(), where.end());
    return values;
}
