// The shape and filters of one recordset (tables and joins, columns, typed filters, the raw
// filter with its values, distinct, ordering, paging) and the SELECT and COUNT texts built
// from them. Every name is validated when it is added; values only ever become '?' markers.
//
// Owned by its CMultiFilterRecordset; CRowCountSet builds its COUNT from it. Not shared
// between threads.
#pragma once

#include <string>
#include <vector>

#include "inhouse/BntCoreDb/CDBValue.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CRecordsetQuery
{
public:
    // Most values one IN filter may list.
    static constexpr std::size_t kMaxInValues = 10000;

    struct Column
    {
        CString table;  // the name the column is qualified with (alias or table); may be empty
        CString column;
        CString alias;  // empty when the column is read under its own name
        bool readOnly;
    };

    // A SELECT or COUNT text with its values in marker order.
    struct BoundText
    {
        std::string sql;
        std::vector<CDBValue> values;
    };

    // --- Tables and joins (names "TABLE" or "TABLE ALIAS"). Throw CDBException (42000).
    void SetTable(const CString& table);
    void SetupJoin(const CString& table1, const CString& column1, const CString& table2, const CString& column2,
                   int joinKind);
    void AddJoin(const CString& table1, const CString& column1, const CString& table2, const CString& column2,
                 int joinKind);
    // Serves the joined table `name` only in its rows that `served` (a condition on the joined
    // row under that name, with its values; see BuildCondition) admits: it is added to the join's
    // ON clause, so elsewhere its columns read NULL in every column, filter and order, while a
    // row its join finds keeps its place (an inner join still needs the row to exist). The
    // engine tests the condition on the one row the join finds, never on every row of the
    // table. Throws CDBException (42000) for a name that is no join or an empty condition.
    // oneRow: the join's conditions name a unique key of the joined table, so that an inner join
    // keeps its rows by a second join of the table under a name of its own (found by that key)
    // rather than by an EXISTS test of each row.
    void RestrictJoinedTable(const CString& name, const BoundText& served, bool oneRow);
    // The columns of the joined table `name` that its join's conditions match; empty for a name
    // that is no join. partners, when given, receives at the same places the "NAME.COLUMN" each
    // one is matched with.
    std::vector<CString> GetJoinedColumns(const CString& name, std::vector<CString>* partners = nullptr) const;
    // Keeps only the rows that one row of another query's table matches: an inner join of that
    // table under its name in `row`, ON `match` (a condition with no values between its columns
    // and this query's), with the restricting joins of `row` after it, and `row`'s filters joined
    // to the raw filter. The join reads no column and GetTableNames does not list it, so the
    // engine may answer it by the key `match` names, or drive the read from the joined table.
    // `match` must name a unique key of the row's table, or a row would repeat. ClearFilters
    // removes it with the filters. Throws CDBException (42000) for a text the raw filter refuses
    // or a `row` without a table.
    void AddRestrictingJoin(const CRecordsetQuery& row, const CString& match);
    // The tables and joins of `shape` (names, conditions and kinds; no restriction, column or
    // filter), in place of this query's.
    void CopyShape(const CRecordsetQuery& shape);
    // The text of the tables and joins: two queries of the same text join the same tables under
    // the same names on the same conditions.
    std::string GetShapeText() const;
    // Adds the restrictions `restricted` holds, a query of this one's shape (CopyShape): its
    // joined tables' restrictions, its restricting joins, and its filters joined to the raw
    // filter. Throws CDBException (42000) when the shapes differ or a text is refused.
    void AddRestrictionsOf(const CRecordsetQuery& restricted);
    bool HasTable() const { return !m_base.name.IsEmpty(); }
    const CString& GetBaseTable() const { return m_base.table; }
    // True when the column's table is the base table (or the column is unqualified).
    bool IsBaseColumn(const Column& column) const;
    // Names (aliases or tables) in FROM order, and the real table behind each.
    std::vector<std::pair<CString, CString>> GetTableNames() const;

    // --- Columns.
    void AddColumn(const CString& column, const CString& table, bool readOnly, const CString& alias);
    void SetColumnAlias(const CString& column, const CString& table, const CString& alias);
    void RemoveColumn(const CString& column, const CString& table);
    const std::vector<Column>& GetColumns() const { return m_columns; }

    // --- Filters. Column texts may be "COLUMN" or "TABLE.COLUMN".
    void AddFilter(const CString& column, const CDBValue& value, int comparison, int filterType);
    void AddFilterNull(const CString& column, bool isNull, int filterType);
    void AddFilterIn(const CString& column, const std::vector<CDBValue>& values, int filterType);
    void SetFilter(const CString& text, std::vector<CDBValue> values);
    void AppendFilter(const CString& text, const std::vector<CDBValue>& values);
    const CString& GetFilter() const { return m_filter; }
    const std::vector<CDBValue>& GetFilterValues() const { return m_filterValues; }
    void ClearFilters();

    // --- Distinct, ordering, paging.
    void SetDistinct(bool distinct) { m_distinct = distinct; }
    bool IsDistinct() const { return m_distinct; }
    void AddOrderBy(const CString& column, const CString& table, bool descending);
    void SetOrderBy(const CString& orderBy);
    void SetPaging(LONG firstRow, LONG lastRow);

    // The SELECT of the columns (plus the base table's rowid last when withRowId), and the
    // COUNT of the rows the same FROM and WHERE select (no ordering or paging). Throw
    // CDBException (HY010) when no table was set or (SELECT) no column is in the set.
    BoundText BuildSelect(bool withRowId) const;
    BoundText BuildCount() const;
    // The typed and raw filters as one condition (what follows WHERE), its values in marker
    // order; an empty text when no filter is set. Joins, their restrictions and the restricting
    // joins are not part of it. Throws CDBException like the filters' own checks.
    BoundText BuildCondition() const;
    // "EXISTS (SELECT 1 FROM ... WHERE ...)" over the same FROM and WHERE as BuildCount: true
    // when a row passes. A filter may name a table of the enclosing statement, which makes the
    // test correlated (evaluated for the enclosing row). Throws CDBException (HY010) when no
    // table was set.
    BoundText BuildExists() const;

private:
    struct TableRef
    {
        CString table;
        CString name;  // alias, or the table when none
        std::string quoted;
    };
    // "left = right" of a join, each side a (name, column) of the recordset.
    struct JoinCondition
    {
        CString leftName;
        CString leftColumn;
        CString rightName;
        CString rightColumn;
        // "left = right" as written under the join's own names.
        std::string text;
    };
    struct Join
    {
        TableRef ref;
        int kind;
        std::vector<JoinCondition> conditions;
        // RestrictJoinedTable: the condition on the joined row it serves; empty: every row.
        BoundText served;
        bool oneRow = false;
    };
    struct Filter
    {
        std::string sql;
        std::vector<CDBValue> values;
        bool orWithPrevious;
    };

    static TableRef MakeRef(const CString& fromText);
    int FindTable(const CString& name) const;  // -1 none, 0 base, i+1 join i
    void AddFilterText(std::string sql, std::vector<CDBValue> values, int filterType);
    std::string BuildFromWhere(std::vector<CDBValue>& values) const;
    // Appends the filters to where (joined with AND to what it holds) and their values.
    void AppendFilters(std::string& where, std::vector<CDBValue>& values) const;
    std::string BuildColumns() const;
    // The ON text of the join's conditions, the join's own name written as `name`.
    static std::string JoinConditions(const Join& join, const CString& name);
    // True when `other` joins the same tables under the same names on the same conditions.
    bool HasShapeOf(const CRecordsetQuery& other) const;

    TableRef m_base;
    std::vector<Join> m_joins;
    // AddRestrictingJoin's joins, as FROM text (they carry no values).
    std::string m_restrictingJoins;
    std::vector<Column> m_columns;
    std::vector<Filter> m_filters;
    CString m_filter;
    // m_filter as CheckRawText passed it, checked once when it was set or appended.
    std::string m_filterSql;
    std::vector<CDBValue> m_filterValues;
    bool m_distinct = false;
    std::vector<std::string> m_orderBy;
    bool m_paging = false;
    LONG m_firstRow = 0;
    LONG m_lastRow = 0;
};
