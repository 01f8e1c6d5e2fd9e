// A recordset over one table or a join of tables: typed filters combined in groups, a raw
// filter text with its bound values, distinct, ordering and paging; read forward row by row
// through typed getters, and written with Edit/AddNew/Update/Delete on its base table.
// The recordset classes of the installation (event sets, panel sets, ...) derive from it and
// fix their table and columns in their constructors; CDynamicRecordset lets callers shape it.
//
// Filters: each typed filter is joined to the ones before it by its filter type. AndFilter
// starts a new group, OrFilter adds an alternative to the current group; the groups are joined
// with AND, then the raw filter text is joined with AND. So (A, OR B, OR C, AND D) selects
// (A OR B OR C) AND D.
//
// Owned by the caller, on a CBntDatabase that stays open while the recordset is used; used on
// one thread at a time. Closing or losing the database while the recordset is open makes the
// next call throw CDBException (08003 or the lost-connection exception).
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "inhouse/BntCoreDb/CDBValue.h"
#include "inhouse/BntCoreDb/CRecordsetQuery.h"
#include "platform/mfc/COleDateTime.h"
#include "platform/mfc/CString.h"
#include "platform/mfc/TimeStructs.h"
#include "platform/win32/WinTypes.h"

class CBntConnection;
class CBntDatabase;
class CBntStatement;

class CMultiFilterRecordset
{
public:
    enum ParamCompOperator
    {
        Equal = 0,
        NotEqual = 1,
        LessThan = 2,
        LessOrEqual = 3,
        GreaterThan = 4,
        GreaterOrEqual = 5,
        Like = 6
    };

    enum FilterType
    {
        AndFilter = 0,
        OrFilter = 1
    };

    // Join kinds of SetupJoin/AddJoin.
    enum JoinKind
    {
        InnerJoin = 0,
        LeftOuterJoin = 1
    };

    // Open option: the rows may not be written.
    static constexpr DWORD kReadOnly = 0x0004;

    // A recordset on the database (which must outlive it). Throws CDBException (HY009) for a
    // null database.
    explicit CMultiFilterRecordset(CBntDatabase* database);
    virtual ~CMultiFilterRecordset();
    CMultiFilterRecordset(const CMultiFilterRecordset&) = delete;
    CMultiFilterRecordset& operator=(const CMultiFilterRecordset&) = delete;

    // --- Filters (before Open or Requery). Column texts are "COLUMN" or "TABLE.COLUMN" and
    // must be identifiers; every value is bound. Invalid names, operators or filter types throw
    // CDBException (42000). LIKE compares texts with the engine's LIKE (case-insensitive ASCII).
    void AddFilterLong(const CString& column, LONG value, int comparison = Equal, int filterType = AndFilter);
    void AddFilterInt(const CString& column, int value, int comparison = Equal, int filterType = AndFilter);
    void AddFilterLongLong(const CString& column, LONGLONG value, int comparison = Equal, int filterType = AndFilter);
    void AddFilterText(const CString& column, const CString& value, int comparison = Equal, int filterType = AndFilter);
    // A null or invalid date throws CDBException (22007).
    void AddFilterDate(const CString& column, const COleDateTime& value, int comparison = Equal,
                       int filterType = AndFilter);
    // column IS NULL (isNull) or IS NOT NULL.
    void AddFilterNull(const CString& column, bool isNull, int filterType = AndFilter);
    // column IN (values); an empty list matches no row; more than kMaxInValues throws.
    void AddFilterLongIn(const CString& column, const std::vector<LONG>& values, int filterType = AndFilter);
    // Removes every typed filter and the raw filter.
    void ClearFilters();

    // The raw filter: SQL composed by the system itself (the WQL translator's output), whose
    // values are passed separately and bound to its '?' markers in order. The text must never
    // carry a request value: quotes, comments, ';' and a marker count other than
    // values.size() are refused with CDBException (42000).
    void SetFilter(const CString& text, std::vector<CDBValue> values = {});
    // Joins text to the raw filter with AND, each side parenthesised; values are appended.
    void AppendFilter(const CString& text, const std::vector<CDBValue>& values = {});
    const CString& GetFilter() const { return m_query.GetFilter(); }
    const std::vector<CDBValue>& GetFilterValues() const { return m_query.GetFilterValues(); }

    // --- Distinct, ordering, paging (before Open or Requery).
    // Each row once (SELECT DISTINCT). A distinct recordset is read-only.
    void SetDistinct(bool distinct) { m_query.SetDistinct(distinct); }
    // Appends one ordering column.
    void AddOrderBy(const CString& column, const CString& table = CString(), bool descending = false);
    // Replaces the ordering with "NAME [ASC|DESC], ..." (names may be TABLE.COLUMN); an empty
    // text removes it. Anything else throws CDBException (42000).
    void SetOrderBy(const CString& orderBy);
    // Only rows firstRow to lastRow (1-based, inclusive) of the ordered result. lastRow 0
    // turns paging off; a firstRow below 1 counts as 1; a lastRow before firstRow gives no row.
    void SetPaging(LONG firstRow, LONG lastRow);

    // --- Opening and moving.
    // Runs the query and stands on the first row (IsEOF when there is none). With no column
    // in the set, every column of every table is read. Throws CDBException.
    void Open(DWORD options = 0);
    // Opens read-only; a non-empty filter text (no values) is first joined to the raw filter.
    void OpenForwardOnly(const wchar_t* filterText = nullptr);
    // Runs the query again with the current filters, from the first row.
    void Requery();
    // Ends the query; the set's shape and filters are kept. Never throws.
    void Close();
    bool IsOpen() const { return m_statement != nullptr; }
    // True past the last row (and on an empty result); IsBOF only on an empty result.
    bool IsEOF() const;
    bool IsBOF() const;
    // Moves to the next row; a pending Edit or AddNew is dropped. Throws CDBException (24000
    // at the end or when not open).
    void MoveNext();

    // --- Reading the current row, by column name ("ALIAS", "COLUMN" or "TABLE.COLUMN",
    // without regard to case; a bare name matches the first column of that name that has no
    // alias) or by 0-based index. NULL reads as 0, false, an empty text, no bytes, or a null
    // date-time. No current row: CDBException 24000; unknown column: 42S22; a value that does
    // not convert: 22018, out of range: 22003, a malformed date-time: 22007.
    LONG GetLong(const CString& column) const;
    LONG GetLong(int index) const;
    int GetInt(const CString& column) const;
    int GetInt(int index) const;
    LONGLONG GetLongLong(const CString& column) const;
    LONGLONG GetLongLong(int index) const;
    double GetDouble(const CString& column) const;
    double GetDouble(int index) const;
    bool GetBool(const CString& column) const;
    bool GetBool(int index) const;
    CString GetText(const CString& column) const;
    CString GetText(int index) const;
    // The text GetText(index) gives, converted once per row: the view stays valid until the
    // recordset moves, is requeried or closed, or the row is edited, added, updated or deleted.
    std::wstring_view GetTextView(int index) const;
    COleDateTime GetDateTime(const CString& column) const;
    TIMESTAMP_STRUCT GetTimestamp(const CString& column) const;
    TIMESTAMP_STRUCT GetTimestamp(int index) const;
    std::vector<BYTE> GetBytes(const CString& column) const;
    std::vector<BYTE> GetBytes(int index) const;
    // The bytes GetBytes(index) gives, where the current row holds them, not copied: the view
    // stays valid until the recordset moves, is requeried or closed, or the row is edited, added,
    // updated or deleted.
    std::span<const BYTE> GetBytesView(int index) const;
    bool IsFieldNull(const CString& column) const;
    bool IsFieldNull(int index) const;
    CDBValue GetValue(const CString& column) const;
    CDBValue GetValue(int index) const;
    // Number of columns in the set and the name of column i (its alias when it has one).
    int GetColumnCount() const { return static_cast<int>(m_query.GetColumns().size()); }
    CString GetColumnName(int index) const;

    // --- Writing (recordsets opened with Open and without kReadOnly, not distinct). Only
    // columns of the base table that are in the set and not read-only can be set.
    // Edit: starts changing the current row. AddNew: starts a new row (all fields NULL).
    void Edit();
    void AddNew();
    // Set a field of the row being edited or added. Throws CDBException: HY010 outside
    // Edit/AddNew, 42S22 for a column not in the set, HY092 for a column that cannot be
    // written, 22007 for an invalid date.
    void SetValue(const CString& column, const CDBValue& value);
    void SetDateTime(const CString& column, const COleDateTime& value);  // null status writes NULL
    void SetNull(const CString& column);
    // Writes the changed fields only, with bound values. true when a row was written; false
    // after an Edit that changed nothing. After an Edit the current row shows the new values;
    // an added row is seen after Requery. Throws CDBException (HY000 when the edited row no
    // longer exists; engine errors such as 23000).
    bool Update();
    // Deletes the current row; move on before reading again. Throws CDBException.
    void Delete();

    // --- Identifiers. The next value of the ID generator for idType, kept above every value
    // already in keyColumn of the base table, in one atomic statement. Throws CDBException.
    LONGLONG GetNextID(LONG idType, const CString& keyColumn);

    // The shape and filters, for CRowCountSet.
    const CRecordsetQuery& GetQuery() const { return m_query; }
    // See CRecordsetQuery::RestrictJoinedTable.
    void RestrictJoinedTable(const CString& name, const CRecordsetQuery::BoundText& served, bool oneRow)
    {
        m_query.RestrictJoinedTable(name, served, oneRow);
    }
    // True when values of the columns name at most one row of the table: its primary key or one
    // of its unique indexes has every column among them. False for a table the database does
    // not hold. Throws CDBException.
    bool IsUniqueKey(const CString& table, const std::vector<CString>& columns) const;
    // See CRecordsetQuery::CopyShape and AddRestrictionsOf.
    void CopyShapeOf(const CMultiFilterRecordset& shape)
    {
        ColumnsChanged();
        m_query = CRecordsetQuery();
        m_query.CopyShape(shape.m_query);
    }
    void AddRestrictionsOf(const CRecordsetQuery& restricted) { m_query.AddRestrictionsOf(restricted); }
    // See CRecordsetQuery::AddRestrictingJoin: rows is the one-table recordset of the matching
    // row, its filters written on its name.
    void AddRestrictingJoin(const CMultiFilterRecordset& row, const CString& match)
    {
        m_query.AddRestrictingJoin(row.m_query, match);
    }

protected:
    // Shaping, for derived recordsets (CDynamicRecordset makes these public). Table texts are
    // "TABLE" or "TABLE ALIAS". Invalid names throw CDBException (42000).
    // The base table; removes any join.
    void SetTable(const CString& table);
    // The base table1 joined to table2 on table1.column1 = table2.column2; replaces any join.
    void SetupJoin(const CString& table1, const CString& column1, const CString& table2, const CString& column2,
                   int joinKind = InnerJoin);
    // Joins the table of the two that is not yet in the set; when both are, the condition is
    // added to the later one's join. A join naming neither table throws.
    void AddJoin(const CString& table1, const CString& column1, const CString& table2, const CString& column2,
                 int joinKind = InnerJoin);
    // Adds table.column (table may be empty) to the columns read; readOnly columns are never
    // written; a non-null alias names the column in the result.
    void AddColumnToSet(const CString& column, const CString& table = CString(), bool readOnly = false,
                        const wchar_t* alias = nullptr);
    // Adds every column of the table ("TABLE" or "TABLE ALIAS", which must be in the set), in
    // the table's order. Throws CDBException: 42000 for an invalid name, 42S02 for a table that
    // does not exist.
    void AddAllColumnsToSet(const CString& table);
    // Reads table.column under the alias (adds the column when it is not in the set).
    void AddAliasToColumn(const CString& column, const CString& table, const CString& alias);
    void RemoveColumnFromSet(const CString& column, const CString& table = CString());

private:
    enum class EditMode
    {
        None,
        Edit,
        AddNew
    };

    void OpenQuery();
    void ExpandAllColumns();
    // Adds the columns of table (the recordset's name for it: the alias, or the table itself).
    void AddColumnsOf(const CString& name, const CString& table);
    void Fetch();
    int FindColumn(const CString& column) const;
    // FindColumn's walk of the column set.
    int FindColumnInSet(const CString& column) const;
    // The most names FindColumn keeps resolved.
    static constexpr std::size_t kMaxFoundColumns = 32;
    // The column set changed: names found before may stand elsewhere now.
    void ColumnsChanged() { m_foundColumns.clear(); }
    const CDBValue& ValueAt(int index) const;
    // The values ValueAt answers changed: texts converted before are stale.
    void RowChanged() { ++m_rowVersion; }
    const CDBValue& ValueOf(const CString& column) const;
    void RequireWritable() const;

    // Set at construction.
    std::shared_ptr<CBntConnection> m_connection;

    CRecordsetQuery m_query;
    DWORD m_options = 0;
    bool m_forwardOnly = false;
    bool m_updatable = false;
    // The open statement's text and values, kept while it lives (its bytes are bound in place).
    CRecordsetQuery::BoundText m_select;
    std::unique_ptr<CBntStatement> m_statement;
    std::vector<CDBValue> m_row;
    LONGLONG m_rowId = 0;
    bool m_hasRow = false;
    bool m_empty = false;
    bool m_deleted = false;
    EditMode m_editMode = EditMode::None;
    std::vector<CDBValue> m_editRow;
    std::vector<bool> m_dirty;
    // The texts of the current row's columns converted by GetTextView, each valid while its
    // version is m_rowVersion; the storage is reused from row to row.
    std::uint64_t m_rowVersion = 1;
    mutable std::vector<std::wstring> m_texts;
    mutable std::vector<std::uint64_t> m_textVersions;
    // The names FindColumn resolved, as given, with their index: a hook reading a column by
    // name on every row looks it up once. Emptied whenever the column set changes.
    mutable std::vector<std::pair<std::wstring, int>> m_foundColumns;
};
