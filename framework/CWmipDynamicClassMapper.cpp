#include "framework/CWmipDynamicClassMapper.h"

#include "framework/CWMITypeInfo.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "platform/com/CimTypes.h"

namespace {

// Splits "TABLE.COLUMN,TABLE.COLUMN"; false for any other shape.
bool SplitJoin(const CString& join, CString& table1, CString& column1, CString& table2, CString& column2)
{
    const int comma = join.Find(L',');
    if (comma < 0)
        return false;
    const CString left = join.Left(comma);
    const CString right = join.Mid(comma + 1);
    const int leftDot = left.Find(L'.');
    const int rightDot = right.Find(L'.');
    if (leftDot <= 0 || rightDot <= 0)
        return false;
    table1 = left.Left(leftDot);
    column1 = left.Mid(leftDot + 1);
    table2 = right.Left(rightDot);
    column2 = right.Mid(rightDot + 1);
    return !column1.IsEmpty() && !column2.IsEmpty();
}

// "\"-12\"" -> "-12": a quoted text of an optional '-' and 1 to 19 digits.
bool UnquoteWholeNumber(const CString& literal, CString& number)
{
    const int length = literal.GetLength();
    if (length < 3 || length > 22 || literal[0] != L'"' || literal[length - 1] != L'"')
        return false;
    const CString inner = literal.Mid(1, length - 2);
    int start = inner[0] == L'-' ? 1 : 0;
    if (start >= inner.GetLength())
        return false;
    for (int i = start; i < inner.GetLength(); ++i)
    {
        if (inner[i] < L'0' || inner[i] > L'9')
            return false;
    }
    number = inner;
    return true;
}

}  // namespace

CWmipDynamicClassMapper::CWmipDynamicClassMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                                                 const wchar_t* className)
    : CWmipClassMapper(user, context, services, className)
{
}

CWmipDynamicClassMapper::~CWmipDynamicClassMapper() = default;

ProcessClauseResult CWmipDynamicClassMapper::ProcessClause(CString& property, int& wqlOperator, CString& literal,
                                                           CString& extra)
{
    const CString column = GetTableDotColumn(property);
    if (column.IsEmpty())
        return CWmipClassMapper::ProcessClause(property, wqlOperator, literal, extra);
    CWmipClassMapper::ProcessClause(property, wqlOperator, literal, extra);
    const CWMITypeInfo* typeInfo = GetTypeInfo();
    CString number;
    if (typeInfo != nullptr && IsIntegerCimType(typeInfo->GetPropertyType(property)) &&
        UnquoteWholeNumber(literal, number))
        literal = number;
    property = column;
    return ProcessClauseKeep;
}

void CWmipDynamicClassMapper::SetupInstanceRecordset(CDynamicRecordset* recordset)
{
    const CWMITypeInfo* typeInfo = GetTypeInfo();
    if (typeInfo == nullptr || recordset == nullptr)
        return;
    bool first = true;
    for (const CString& join : m_joins)
    {
        CString table1;
        CString column1;
        CString table2;
        CString column2;
        if (!SplitJoin(join, table1, column1, table2, column2))
            throw CDBException(CDBException::kRetRefused, L"42000", 0, CString(L"Invalid join: ") + join);
        if (first)
            recordset->SetupJoin(table1, column1, table2, column2, CMultiFilterRecordset::InnerJoin);
        else
            recordset->AddJoin(table1, column1, table2, column2, CMultiFilterRecordset::InnerJoin);
        first = false;
    }
    const auto& columns = typeInfo->GetPropertyColumns();
    for (const auto& [property, tableDotColumn] : columns)
    {
        const int dot = tableDotColumn.Find(L'.');
        const CString table = dot < 0 ? CString() : tableDotColumn.Left(dot);
        const CString column = dot < 0 ? tableDotColumn : tableDotColumn.Mid(dot + 1);
        if (m_joins.empty() && !recordset->GetQuery().HasTable())
            recordset->SetTable(table);
        recordset->AddColumnToSet(column, table, false, nullptr);
    }
}

void CWmipDynamicClassMapper::AddJoin(const wchar_t* table1, const wchar_t* column1, const wchar_t* table2,
                                      const wchar_t* column2)
{
    m_joins.push_back(CString(table1 != nullptr ? table1 : L"") + L"." + CString(column1 != nullptr ? column1 : L"") +
                      L"," + CString(table2 != nullptr ? table2 : L"") + L"." +
                      CString(column2 != nullptr ? column2 : L""));
}
