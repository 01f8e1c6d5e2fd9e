#include "inhouse/BntCoreDb/CRecordsetQuery.h"

#include <algorithm>

#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CSqlText.h"

namespace {

constexpr int kInnerJoin = 0;
constexpr int kLeftOuterJoin = 1;
constexpr int kAndFilter = 0;
constexpr int kOrFilter = 1;

[[noreturn]] void RefuseQuery(const wchar_t* state, const CString& message)
{
    throw CDBException(CDBException::kRetRefused, state, 0, message);
}

bool SameName(const CString& left, const CString& right)
{
    return left.CompareNoCase(right) == 0;
}

std::string Qualified(const CString& table, const CString& column)
{
    if (table.IsEmpty())
        return CSqlText::QuoteIdentifier(column, false, L"Column");
    return CSqlText::QuoteIdentifier(table, false, L"Table") + "." +
           CSqlText::QuoteIdentifier(column, false, L"Column");
}

// Splits "TABLE.COLUMN" given as a column with no table of its own.
void SplitColumn(const CString& column, const CString& table, CString& outTable, CString& outColumn)
{
    const int dot = column.Find(L'.');
    if (table.IsEmpty() && dot >= 0)
    {
        outTable = column.Left(dot);
        outColumn = column.Mid(dot + 1);
    }
    else
    {
        outTable = table;
        outColumn = column;
    }
    if ((!outTable.IsEmpty() && !CSqlText::IsValidIdentifier(outTable.GetWString(), false)) ||
        !CSqlText::IsValidIdentifier(outColumn.GetWString(), false))
    {
        // Let the quoting helper produce the refusal with the offending text.
        CSqlText::QuoteIdentifier(table.IsEmpty() ? column : table + L"." + column, true, L"Column");
    }
}

}  // namespace

CRecordsetQuery::TableRef CRecordsetQuery::MakeRef(const CString& fromText)
{
    TableRef ref;
    CString alias;
    ref.name = CSqlText::ParseTableReference(fromText, ref.table, alias);
    ref.quoted = CSqlText::QuoteTableReference(fromText, ref.name);
    return ref;
}

int CRecordsetQuery::FindTable(const CString& name) const
{
    if (!m_base.name.IsEmpty() && SameName(m_base.name, name))
        return 0;
    for (std::size_t i = 0; i < m_joins.size(); ++i)
    {
        if (SameName(m_joins[i].ref.name, name))
            return static_cast<int>(i) + 1;
    }
    return -1;
}

void CRecordsetQuery::SetTable(const CString& table)
{
    m_base = MakeRef(table);
    m_joins.clear();
}

void CRecordsetQuery::SetupJoin(const CString& table1, const CString& column1, const CString& table2,
                                const CString& column2, int joinKind)
{
    m_base = TableRef();
    m_joins.clear();
    AddJoin(table1, column1, table2, column2, joinKind);
}

void CRecordsetQuery::RestrictJoinedTable(const CString& name, const BoundText& served, bool oneRow)
{
    const int at = FindTable(name);
    if (at <= 0 || served.sql.empty())
        RefuseQuery(L"42000", L"Only a joined table can be restricted, by a condition on its rows.");
    CSqlText::CheckRawText(std::string_view(served.sql), served.values.size());
    m_joins[static_cast<std::size_t>(at - 1)].served = served;
    m_joins[static_cast<std::size_t>(at - 1)].oneRow = oneRow;
}

void CRecordsetQuery::CopyShape(const CRecordsetQuery& shape)
{
    m_base = shape.m_base;
    m_joins.clear();
    for (const Join& join : shape.m_joins)
        m_joins.push_back({join.ref, join.kind, join.conditions, {}, false});
}

std::string CRecordsetQuery::GetShapeText() const
{
    std::string text = m_base.quoted;
    for (const Join& join : m_joins)
        text += (join.kind == kLeftOuterJoin ? " LEFT " : " INNER ") + join.ref.quoted + " ON " +
                JoinConditions(join, join.ref.name);
    return text;
}

void CRecordsetQuery::AddRestrictionsOf(const CRecordsetQuery& restricted)
{
    if (!HasShapeOf(restricted))
        RefuseQuery(L"42000", L"Restrictions can only be added from a query of the same tables and joins.");
    for (std::size_t i = 0; i < m_joins.size(); ++i)
    {
        const Join& join = restricted.m_joins[i];
        if (!join.served.sql.empty())
            RestrictJoinedTable(join.ref.name, join.served, join.oneRow);
    }
    m_restrictingJoins += restricted.m_restrictingJoins;
    const BoundText condition = restricted.BuildCondition();
    if (!condition.sql.empty())
        AppendFilter(CString(condition.sql.c_str()), condition.values);
}

bool CRecordsetQuery::HasShapeOf(const CRecordsetQuery& other) const
{
    if (m_base.quoted != other.m_base.quoted || m_joins.size() != other.m_joins.size())
        return false;
    for (std::size_t i = 0; i < m_joins.size(); ++i)
    {
        const Join& join = m_joins[i];
        const Join& theirs = other.m_joins[i];
        if (join.ref.quoted != theirs.ref.quoted || join.kind != theirs.kind ||
            join.conditions.size() != theirs.conditions.size())
            return false;
        for (std::size_t c = 0; c < join.conditions.size(); ++c)
        {
            if (join.conditions[c].text != theirs.conditions[c].text)
                return false;
        }
    }
    return true;
}

std::vector<CString> CRecordsetQuery::GetJoinedColumns(const CString& name, std::vector<CString>* partners) const
{
    std::vector<CString> columns;
    if (partners != nullptr)
        partners->clear();
    const int at = FindTable(name);
    if (at <= 0)
        return columns;
    for (const JoinCondition& condition : m_joins[static_cast<std::size_t>(at - 1)].conditions)
    {
        if (SameName(condition.leftName, name))
        {
            columns.push_back(condition.leftColumn);
            if (partners != nullptr)
                partners->push_back(condition.rightName + L"." + condition.rightColumn);
        }
        if (SameName(condition.rightName, name))
        {
            columns.push_back(condition.rightColumn);
            if (partners != nullptr)
                partners->push_back(condition.leftName + L"." + condition.leftColumn);
        }
    }
    return columns;
}

void CRecordsetQuery::AddRestrictingJoin(const CRecordsetQuery& row, const CString& match)
{
    if (row.m_base.name.IsEmpty() || match.IsEmpty())
        RefuseQuery(L"42000", L"A restricting join needs a table and a condition on its rows.");
    m_restrictingJoins +=
        " INNER JOIN " + row.m_base.quoted + " ON " + CSqlText::CheckRawText(match, 0) + row.m_restrictingJoins;
    const BoundText condition = row.BuildCondition();
    if (!condition.sql.empty())
        AppendFilter(CString(condition.sql.c_str()), condition.values);
}

void CRecordsetQuery::AddJoin(const CString& table1, const CString& column1, const CString& table2,
                              const CString& column2, int joinKind)
{
    if (joinKind != kInnerJoin && joinKind != kLeftOuterJoin)
        RefuseQuery(L"42000", L"Unknown join kind; 0 is an inner join, 1 a left outer join.");
    const TableRef ref1 = MakeRef(table1);
    const TableRef ref2 = MakeRef(table2);
    const JoinCondition condition{ref1.name, column1, ref2.name, column2,
                                  Qualified(ref1.name, column1) + " = " + Qualified(ref2.name, column2)};
    if (m_base.name.IsEmpty())
    {
        m_base = ref1;
        m_joins.push_back({ref2, joinKind, {condition}, {}});
        return;
    }
    const int at1 = FindTable(ref1.name);
    const int at2 = FindTable(ref2.name);
    if (at1 >= 0 && at2 >= 0)
    {
        // A second condition between two tables already joined (EVENTS to EVENT on type and on
        // subtype) narrows the ON clause of the later of the two.
        const int later = std::max(at1, at2);
        if (later == 0)
            RefuseQuery(L"42000", L"A join must name two different tables.");
        m_joins[static_cast<std::size_t>(later - 1)].conditions.push_back(condition);
        return;
    }
    if (at1 < 0 && at2 < 0)
        RefuseQuery(L"42000", L"A join must name a table that is already part of the recordset.");
    m_joins.push_back({at1 < 0 ? ref1 : ref2, joinKind, {condition}, {}});
}

bool CRecordsetQuery::IsBaseColumn(const Column& column) const
{
    return column.table.IsEmpty() || SameName(column.table, m_base.name);
}

std::vector<std::pair<CString, CString>> CRecordsetQuery::GetTableNames() const
{
    std::vector<std::pair<CString, CString>> names;
    if (!m_base.name.IsEmpty())
        names.emplace_back(m_base.name, m_base.table);
    for (const Join& join : m_joins)
        names.emplace_back(join.ref.name, join.ref.table);
    return names;
}

void CRecordsetQuery::AddColumn(const CString& column, const CString& table, bool readOnly, const CString& alias)
{
    CString realTable;
    CString realColumn;
    SplitColumn(column, table, realTable, realColumn);
    if (!alias.IsEmpty())
        CSqlText::QuoteIdentifier(alias, false, L"Column alias");
    for (const Column& existing : m_columns)
    {
        // The same column twice would only shadow itself. Both names are checked identifiers, so
        // names of different lengths never match.
        if (existing.column.GetLength() == realColumn.GetLength() && SameName(existing.column, realColumn) &&
            SameName(existing.table, realTable))
            return;
    }
    m_columns.push_back({realTable, realColumn, alias, readOnly});
}

void CRecordsetQuery::SetColumnAlias(const CString& column, const CString& table, const CString& alias)
{
    CString realTable;
    CString realColumn;
    SplitColumn(column, table, realTable, realColumn);
    CSqlText::QuoteIdentifier(alias, false, L"Column alias");
    for (Column& existing : m_columns)
    {
        if (SameName(existing.table, realTable) && SameName(existing.column, realColumn))
        {
            existing.alias = alias;
            return;
        }
    }
    m_columns.push_back({realTable, realColumn, alias, false});
}

void CRecordsetQuery::RemoveColumn(const CString& column, const CString& table)
{
    CString realTable;
    CString realColumn;
    SplitColumn(column, table, realTable, realColumn);
    std::erase_if(m_columns, [&](const Column& existing) {
        return SameName(existing.table, realTable) && SameName(existing.column, realColumn);
    });
}

void CRecordsetQuery::AddFilterText(std::string sql, std::vector<CDBValue> values, int filterType)
{
    if (filterType != kAndFilter && filterType != kOrFilter)
        RefuseQuery(L"42000", L"Unknown filter type; 0 joins with AND, 1 with OR.");
    m_filters.push_back({std::move(sql), std::move(values), filterType == kOrFilter});
}

void CRecordsetQuery::AddFilter(const CString& column, const CDBValue& value, int comparison, int filterType)
{
    const std::string name = CSqlText::QuoteIdentifier(column, true, L"Filter column");
    const char* op = CSqlText::ComparisonText(comparison);
    if (value.IsNull())
    {
        if (comparison != 0 && comparison != 1)
            RefuseQuery(L"42000", L"NULL can only be compared for equality.");
        AddFilterText(name + (comparison == 0 ? " IS NULL" : " IS NOT NULL"), {}, filterType);
        return;
    }
    AddFilterText(name + " " + op + " ?", {value}, filterType);
}

void CRecordsetQuery::AddFilterNull(const CString& column, bool isNull, int filterType)
{
    const std::string name = CSqlText::QuoteIdentifier(column, true, L"Filter column");
    AddFilterText(name + (isNull ? " IS NULL" : " IS NOT NULL"), {}, filterType);
}

void CRecordsetQuery::AddFilterIn(const CString& column, const std::vector<CDBValue>& values, int filterType)
{
    const std::string name = CSqlText::QuoteIdentifier(column, true, L"Filter column");
    if (values.size() > kMaxInValues)
        RefuseQuery(L"42000", L"Too many values in one IN filter.");
    if (values.empty())
    {
        // An empty list matches no row.
        AddFilterText("0 = 1", {}, filterType);
        return;
    }
    std::string sql = name + " IN (";
    for (std::size_t i = 0; i < values.size(); ++i)
        sql += i == 0 ? "?" : ", ?";
    AddFilterText(sql + ")", values, filterType);
}

void CRecordsetQuery::SetFilter(const CString& text, std::vector<CDBValue> values)
{
    m_filterSql = CSqlText::CheckRawText(text, values.size());
    m_filter = text;
    m_filterValues = std::move(values);
}

void CRecordsetQuery::AppendFilter(const CString& text, const std::vector<CDBValue>& values)
{
    std::string checked = CSqlText::CheckRawText(text, values.size());
    if (text.IsEmpty())
        return;
    if (m_filter.IsEmpty())
    {
        m_filter = text;
        m_filterSql = std::move(checked);
        m_filterValues = values;
        return;
    }
    // Each side keeps its own meaning whatever ORs it holds.
    m_filter = L"(" + m_filter + L") AND (" + text + L")";
    m_filterSql = "(" + m_filterSql + ") AND (" + checked + ")";
    m_filterValues.insert(m_filterValues.end(), values.begin(), values.end());
}

void CRecordsetQuery::ClearFilters()
{
    m_restrictingJoins.clear();
    m_filters.clear();
    m_filter.Empty();
    m_filterSql.clear();
    m_filterValues.clear();
}

void CRecordsetQuery::AddOrderBy(const CString& column, const CString& table, bool descending)
{
    CString realTable;
    CString realColumn;
    SplitColumn(column, table, realTable, realColumn);
    m_orderBy.push_back(Qualified(realTable, realColumn) + (descending ? " DESC" : ""));
}

void CRecordsetQuery::SetOrderBy(const CString& orderBy)
{
    std::vector<std::string> items;
    CString rest = orderBy;
    if (!rest.Trim().IsEmpty())
    {
        int start = 0;
        const std::wstring& text = orderBy.GetWString();
        for (;;)
        {
            const std::size_t comma = text.find(L',', static_cast<std::size_t>(start));
            const std::size_t end = comma == std::wstring::npos ? text.size() : comma;
            CString item(text.data() + start, static_cast<int>(end - static_cast<std::size_t>(start)));
            item.Trim();
            bool descending = false;
            const int blank = item.FindOneOf(L" \t");
            if (blank >= 0)
            {
                CString direction = item.Mid(blank + 1);
                direction.Trim();
                if (direction.CompareNoCase(L"DESC") == 0)
                    descending = true;
                else if (direction.CompareNoCase(L"ASC") != 0)
                    RefuseQuery(L"42000",
                                L"An order-by item must be a column name, optionally followed by ASC or DESC.");
                item = item.Left(blank);
            }
            items.push_back(CSqlText::QuoteIdentifier(item, true, L"Order-by column") + (descending ? " DESC" : ""));
            if (comma == std::wstring::npos)
                break;
            start = static_cast<int>(comma) + 1;
        }
    }
    m_orderBy = std::move(items);
}

void CRecordsetQuery::SetPaging(LONG firstRow, LONG lastRow)
{
    m_paging = lastRow != 0;
    m_firstRow = firstRow;
    m_lastRow = lastRow;
}

std::string CRecordsetQuery::BuildColumns() const
{
    std::string sql;
    for (const Column& column : m_columns)
    {
        if (!sql.empty())
            sql += ", ";
        sql += Qualified(column.table, column.column);
        if (!column.alias.IsEmpty())
            sql += " AS " + CSqlText::QuoteIdentifier(column.alias, false, L"Column alias");
    }
    return sql;
}

std::string CRecordsetQuery::JoinConditions(const Join& join, const CString& name)
{
    const bool ownName = SameName(name, join.ref.name);
    const auto side = [&](const CString& table, const CString& column) {
        return Qualified(SameName(table, join.ref.name) ? name : table, column);
    };
    std::string on;
    for (std::size_t i = 0; i < join.conditions.size(); ++i)
    {
        const JoinCondition& condition = join.conditions[i];
        on += i == 0 ? "" : " AND ";
        on += ownName ? condition.text
                      : side(condition.leftName, condition.leftColumn) + " = " +
                            side(condition.rightName, condition.rightColumn);
    }
    return on;
}

std::string CRecordsetQuery::BuildFromWhere(std::vector<CDBValue>& values) const
{
    if (m_base.name.IsEmpty())
        RefuseQuery(L"HY010", L"The recordset has no table.");
    std::string sql = " FROM " + m_base.quoted;
    std::string where;
    for (std::size_t i = 0; i < m_joins.size(); ++i)
    {
        const Join& join = m_joins[i];
        const std::string on = JoinConditions(join, join.ref.name);
        if (join.served.sql.empty())
        {
            sql += join.kind == kLeftOuterJoin ? " LEFT OUTER JOIN " : " INNER JOIN ";
            sql += join.ref.quoted + " ON " + on;
            continue;
        }
        // An inner join still keeps only the rows whose joined row exists: when the join names
        // one row, the same join under a name of its own, which reads no column (the engine
        // finds the row by its key, as the unrestricted join does); else a test of each row
        // (the inner name hides the outer one in the sub-select).
        if (join.kind != kLeftOuterJoin && !join.oneRow)
            where += (where.empty() ? "" : " AND ") + std::string("EXISTS (SELECT 1 FROM ") + join.ref.quoted +
                     " WHERE " + on + ")";
        else if (join.kind != kLeftOuterJoin)
        {
            const CString existing = CString(L"JOINEDROW") + CString(std::to_wstring(i + 1).c_str());
            CString name;
            sql += " INNER JOIN " + CSqlText::QuoteTableReference(join.ref.table + L" " + existing, name) + " ON " +
                   JoinConditions(join, existing);
        }
        // The served rows only: the row the join finds is kept when the condition admits it,
        // else the joined columns read NULL.
        sql += " LEFT OUTER JOIN " + join.ref.quoted + " ON " + on + " AND (" + join.served.sql + ")";
        values.insert(values.end(), join.served.values.begin(), join.served.values.end());
    }
    sql += m_restrictingJoins;
    if (!where.empty())
        where = "(" + where + ")";
    AppendFilters(where, values);
    if (!where.empty())
        sql += " WHERE " + where;
    return sql;
}

void CRecordsetQuery::AppendFilters(std::string& where, std::vector<CDBValue>& values) const
{
    for (std::size_t i = 0; i < m_filters.size(); ++i)
    {
        const Filter& filter = m_filters[i];
        const bool opensGroup = i == 0 || !filter.orWithPrevious;
        const bool closesGroup = i + 1 == m_filters.size() || !m_filters[i + 1].orWithPrevious;
        if (opensGroup)
            where += where.empty() ? "(" : " AND (";
        else
            where += " OR ";
        where += filter.sql;
        if (closesGroup)
            where += ")";
        values.insert(values.end(), filter.values.begin(), filter.values.end());
    }
    if (!m_filter.IsEmpty())
    {
        where += (where.empty() ? "(" : " AND (") + m_filterSql + ")";
        values.insert(values.end(), m_filterValues.begin(), m_filterValues.end());
    }
}

CRecordsetQuery::BoundText CRecordsetQuery::BuildCondition() const
{
    BoundText result;
    AppendFilters(result.sql, result.values);
    return result;
}

CRecordsetQuery::BoundText CRecordsetQuery::BuildExists() const
{
    BoundText result;
    result.sql = "EXISTS (SELECT 1" + BuildFromWhere(result.values) + ")";
    return result;
}

CRecordsetQuery::BoundText CRecordsetQuery::BuildSelect(bool withRowId) const
{
    if (m_columns.empty())
        RefuseQuery(L"HY010", L"The recordset has no columns.");
    BoundText result;
    result.sql = std::string("SELECT ") + (m_distinct ? "DISTINCT " : "") + BuildColumns();
    if (withRowId)
        result.sql += ", " + CSqlText::QuoteIdentifier(m_base.name, false, L"Table") + ".rowid";
    result.sql += BuildFromWhere(result.values);
    if (!m_orderBy.empty())
    {
        result.sql += " ORDER BY ";
        for (std::size_t i = 0; i < m_orderBy.size(); ++i)
            result.sql += (i == 0 ? "" : ", ") + m_orderBy[i];
    }
    if (m_paging)
    {
        // Rows firstRow..lastRow, 1-based and inclusive; a first row below 1 counts as 1 and a
        // last row before the first gives an empty page.
        const LONGLONG first = std::max<LONGLONG>(m_firstRow, 1);
        const LONGLONG count = m_lastRow < first ? 0 : static_cast<LONGLONG>(m_lastRow) - first + 1;
        result.sql += " LIMIT ? OFFSET ?";
        result.values.emplace_back(count);
        result.values.emplace_back(first - 1);
    }
    return result;
}

CRecordsetQuery::BoundText CRecordsetQuery::BuildCount() const
{
    BoundText result;
    if (m_distinct)
    {
        result.sql = "SELECT COUNT(*) FROM (SELECT DISTINCT " +
                     (m_columns.empty() ? std::string("*") : BuildColumns()) + BuildFromWhere(result.values) + ")";
    }
    else
        result.sql = "SELECT COUNT(*)" + BuildFromWhere(result.values);
    return result;
}
