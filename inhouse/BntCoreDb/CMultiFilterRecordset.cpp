#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"

#include <algorithm>
#include <limits>
#include <mutex>

#include "inhouse/BntCoreDb/CBntConnection.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CBntStatement.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CSqlText.h"

namespace {

[[noreturn]] void Refuse(const wchar_t* state, const CString& message)
{
    throw CDBException(CDBException::kRetRefused, state, 0, message);
}

std::shared_ptr<CBntConnection> ConnectionOf(CBntDatabase* database)
{
    if (database == nullptr)
        Refuse(L"HY009", L"A recordset needs a database.");
    return database->GetConnection();
}

LONG ToLong(LONGLONG value)
{
    if (value < std::numeric_limits<LONG>::min() || value > std::numeric_limits<LONG>::max())
        throw CDBException(CDBException::kRetRefused, L"22003", 0, L"The value does not fit a 32-bit integer.");
    return static_cast<LONG>(value);
}

COleDateTime ToDateTime(const CDBValue& value)
{
    COleDateTime result;
    if (value.IsNull())
    {
        result.SetStatus(COleDateTime::null);
        return result;
    }
    return COleDateTime(value.AsTimestamp());
}

CDBValue FromDateTime(const COleDateTime& value)
{
    if (value.GetStatus() == COleDateTime::null)
        return CDBValue();
    TIMESTAMP_STRUCT timestamp{};
    if (value.GetStatus() != COleDateTime::valid || !value.GetAsDBTIMESTAMP(timestamp))
        throw CDBException(CDBException::kRetRefused, L"22007", 0, L"The date-time value is not valid.");
    return CDBValue::FromTimestamp(timestamp);
}

}  // namespace

CMultiFilterRecordset::CMultiFilterRecordset(CBntDatabase* database) : m_connection(ConnectionOf(database)) {}

CMultiFilterRecordset::~CMultiFilterRecordset() = default;

void CMultiFilterRecordset::AddFilterLong(const CString& column, LONG value, int comparison, int filterType)
{
    m_query.AddFilter(column, CDBValue(value), comparison, filterType);
}

void CMultiFilterRecordset::AddFilterInt(const CString& column, int value, int comparison, int filterType)
{
    m_query.AddFilter(column, CDBValue(value), comparison, filterType);
}

void CMultiFilterRecordset::AddFilterLongLong(const CString& column, LONGLONG value, int comparison, int filterType)
{
    m_query.AddFilter(column, CDBValue(value), comparison, filterType);
}

void CMultiFilterRecordset::AddFilterText(const CString& column, const CString& value, int comparison, int filterType)
{
    m_query.AddFilter(column, CDBValue(value), comparison, filterType);
}

void CMultiFilterRecordset::AddFilterDate(const CString& column, const COleDateTime& value, int comparison,
                                          int filterType)
{
    if (value.GetStatus() == COleDateTime::null)
        Refuse(L"22007", L"A date filter needs a date; use AddFilterNull for NULL.");
    m_query.AddFilter(column, FromDateTime(value), comparison, filterType);
}

void CMultiFilterRecordset::AddFilterNull(const CString& column, bool isNull, int filterType)
{
    m_query.AddFilterNull(column, isNull, filterType);
}

void CMultiFilterRecordset::AddFilterLongIn(const CString& column, const std::vector<LONG>& values, int filterType)
{
    if (values.size() > CRecordsetQuery::kMaxInValues)
        Refuse(L"42000", L"Too many values in one IN filter.");
    std::vector<CDBValue> bound(values.begin(), values.end());
    m_query.AddFilterIn(column, bound, filterType);
}

void CMultiFilterRecordset::ClearFilters()
{
    m_query.ClearFilters();
}

void CMultiFilterRecordset::SetFilter(const CString& text, std::vector<CDBValue> values)
{
    m_query.SetFilter(text, std::move(values));
}

void CMultiFilterRecordset::AppendFilter(const CString& text, const std::vector<CDBValue>& values)
{
    m_query.AppendFilter(text, values);
}

void CMultiFilterRecordset::AddOrderBy(const CString& column, const CString& table, bool descending)
{
    m_query.AddOrderBy(column, table, descending);
}

void CMultiFilterRecordset::SetOrderBy(const CString& orderBy)
{
    m_query.SetOrderBy(orderBy);
}

void CMultiFilterRecordset::SetPaging(LONG firstRow, LONG lastRow)
{
    m_query.SetPaging(firstRow, lastRow);
}

void CMultiFilterRecordset::SetTable(const CString& table)
{
    m_query.SetTable(table);
}

void CMultiFilterRecordset::SetupJoin(const CString& table1, const CString& column1, const CString& table2,
                                      const CString& column2, int joinKind)
{
    m_query.SetupJoin(table1, column1, table2, column2, joinKind);
}

void CMultiFilterRecordset::AddJoin(const CString& table1, const CString& column1, const CString& table2,
                                    const CString& column2, int joinKind)
{
    m_query.AddJoin(table1, column1, table2, column2, joinKind);
}

void CMultiFilterRecordset::AddColumnToSet(const CString& column, const CString& table, bool readOnly,
                                           const wchar_t* alias)
{
    ColumnsChanged();
    m_query.AddColumn(column, table, readOnly, CString(alias));
}

void CMultiFilterRecordset::AddAliasToColumn(const CString& column, const CString& table, const CString& alias)
{
    ColumnsChanged();
    m_query.SetColumnAlias(column, table, alias);
}

void CMultiFilterRecordset::RemoveColumnFromSet(const CString& column, const CString& table)
{
    ColumnsChanged();
    m_query.RemoveColumn(column, table);
}

void CMultiFilterRecordset::Open(DWORD options)
{
    Close();
    m_options = options;
    m_forwardOnly = false;
    OpenQuery();
}

void CMultiFilterRecordset::OpenForwardOnly(const wchar_t* filterText)
{
    Close();
    if (filterText != nullptr && *filterText != L'\0')
        m_query.AppendFilter(filterText, {});
    m_options = kReadOnly;
    m_forwardOnly = true;
    OpenQuery();
}

void CMultiFilterRecordset::Requery()
{
    if (!IsOpen())
        Refuse(L"HY010", L"The recordset is not open.");
    Close();
    OpenQuery();
}

void CMultiFilterRecordset::Close()
{
    RowChanged();
    m_statement.reset();
    m_row.clear();
    m_hasRow = false;
    m_empty = false;
    m_deleted = false;
    m_editMode = EditMode::None;
    m_editRow.clear();
    m_dirty.clear();
}

void CMultiFilterRecordset::ExpandAllColumns()
{
    for (const auto& [name, table] : m_query.GetTableNames())
        AddColumnsOf(name, table);
}

void CMultiFilterRecordset::AddColumnsOf(const CString& name, const CString& table)
{
    // The columns come from the table's own empty result (a search by row id that matches no
    // row, so the engine reads nothing), whose statement is prepared once per connection and
    // text: a request pays no read of the schema, and a column added since is seen because the
    // step prepares a statement kept from before a schema change again.
    std::vector<std::string> names;
    try
    {
        CBntStatement columns(
            m_connection,
            "SELECT * FROM " + CSqlText::QuoteIdentifier(table, false, L"table") + " WHERE _rowid_ = NULL", {});
        std::vector<CDBValue> row;
        columns.Step(row);
        names = columns.GetColumnNames();
    }
    catch (const CDBException& e)
    {
        // Only an engine refusal of the text itself means the table is unknown; a fault of the
        // connection or the engine goes on as it is.
        if (e.m_nRetCode != CDBException::kRetDatabaseError || e.GetState() != L"42000")
            throw;
    }
    if (names.empty())
        Refuse(L"42S02", L"The table " + table + L" does not exist.");
    ColumnsChanged();
    for (const std::string& column : names)
        m_query.AddColumn(Utf8ToCString(column), name, false, CString());
}

bool CMultiFilterRecordset::IsUniqueKey(const CString& table, const std::vector<CString>& columns) const
{
    // Each unique key of the table by its name ("" for the primary key), with its columns.
    CBntStatement keys(m_connection,
                       "SELECT '', name FROM pragma_table_info(?) WHERE pk > 0 UNION ALL SELECT list.name, info.name "
                       "FROM pragma_index_list(?) AS list, pragma_index_info(list.name) AS info WHERE list.\"unique\" "
                       "ORDER BY 1",
                       {CDBValue(table), CDBValue(table)});
    std::vector<CDBValue> row;
    CString key;
    bool covered = false;
    bool any = false;
    while (keys.Step(row))
    {
        const CString name = row[0].AsText();
        if (!any || name != key)
        {
            if (any && covered)
                return true;
            key = name;
            covered = true;
            any = true;
        }
        const CString column = row[1].AsText();
        covered = covered && std::any_of(columns.begin(), columns.end(),
                                         [&](const CString& given) { return given.CompareNoCase(column) == 0; });
    }
    return any && covered;
}

void CMultiFilterRecordset::AddAllColumnsToSet(const CString& table)
{
    for (const auto& [name, real] : m_query.GetTableNames())
    {
        if (name.CompareNoCase(table) == 0)
        {
            AddColumnsOf(name, real);
            return;
        }
    }
    Refuse(L"42000", L"The table " + table + L" is not in the recordset.");
}

void CMultiFilterRecordset::OpenQuery()
{
    if (!m_query.HasTable())
        Refuse(L"HY010", L"The recordset has no table.");
    if (m_query.GetColumns().empty())
        ExpandAllColumns();
    m_updatable = !m_forwardOnly && (m_options & kReadOnly) == 0 && !m_query.IsDistinct();
    m_select = m_query.BuildSelect(m_updatable);
    m_statement = std::make_unique<CBntStatement>(m_connection, m_select.sql, m_select.values);
    Fetch();
    m_empty = !m_hasRow;
}

void CMultiFilterRecordset::Fetch()
{
    RowChanged();
    m_deleted = false;
    m_editMode = EditMode::None;
    m_hasRow = m_statement->Step(m_row);
    if (m_hasRow && m_updatable)
    {
        m_rowId = m_row.back().AsInteger();
        m_row.pop_back();
    }
}

bool CMultiFilterRecordset::IsEOF() const
{
    return !m_hasRow;
}

bool CMultiFilterRecordset::IsBOF() const
{
    return m_empty || !IsOpen();
}

void CMultiFilterRecordset::MoveNext()
{
    if (!IsOpen() || !m_hasRow)
        Refuse(L"24000", L"There is no next row: the recordset is not open or is past its last row.");
    Fetch();
}

int CMultiFilterRecordset::FindColumn(const CString& name) const
{
    for (const auto& [found, index] : m_foundColumns)
    {
        if (found == name.GetWString())
            return index;
    }
    const int index = FindColumnInSet(name);
    if (m_foundColumns.size() < kMaxFoundColumns)
        m_foundColumns.emplace_back(name.GetWString(), index);
    return index;
}

int CMultiFilterRecordset::FindColumnInSet(const CString& name) const
{
    const std::vector<CRecordsetQuery::Column>& columns = m_query.GetColumns();
    const int dot = name.Find(L'.');
    if (dot >= 0)
    {
        const CString table = name.Left(dot);
        const CString column = name.Mid(dot + 1);
        for (std::size_t i = 0; i < columns.size(); ++i)
        {
            if (columns[i].table.CompareNoCase(table) == 0 && columns[i].column.CompareNoCase(column) == 0)
                return static_cast<int>(i);
        }
    }
    else
    {
        for (std::size_t i = 0; i < columns.size(); ++i)
        {
            if (!columns[i].alias.IsEmpty() && columns[i].alias.CompareNoCase(name) == 0)
                return static_cast<int>(i);
        }
        for (std::size_t i = 0; i < columns.size(); ++i)
        {
            if (columns[i].alias.IsEmpty() && columns[i].column.CompareNoCase(name) == 0)
                return static_cast<int>(i);
        }
    }
    CString message(L"The recordset has no column ");
    message += name.Left(CSqlText::kMaxIdentifierLength * 2 + 1);
    message += L".";
    Refuse(L"42S22", message);
}

const CDBValue& CMultiFilterRecordset::ValueAt(int index) const
{
    if (m_editMode != EditMode::None)
    {
        if (index < 0 || index >= static_cast<int>(m_editRow.size()))
            Refuse(L"07009", L"The column index is out of range.");
        return m_editRow[static_cast<std::size_t>(index)];
    }
    if (!m_hasRow || m_deleted)
        Refuse(L"24000", L"There is no current row.");
    if (index < 0 || index >= static_cast<int>(m_row.size()))
        Refuse(L"07009", L"The column index is out of range.");
    return m_row[static_cast<std::size_t>(index)];
}

const CDBValue& CMultiFilterRecordset::ValueOf(const CString& column) const
{
    return ValueAt(FindColumn(column));
}

LONG CMultiFilterRecordset::GetLong(const CString& column) const
{
    return ToLong(ValueOf(column).AsInteger());
}
LONG CMultiFilterRecordset::GetLong(int index) const
{
    return ToLong(ValueAt(index).AsInteger());
}
int CMultiFilterRecordset::GetInt(const CString& column) const
{
    return ToLong(ValueOf(column).AsInteger());
}
int CMultiFilterRecordset::GetInt(int index) const
{
    return ToLong(ValueAt(index).AsInteger());
}
LONGLONG CMultiFilterRecordset::GetLongLong(const CString& column) const
{
    return ValueOf(column).AsInteger();
}
LONGLONG CMultiFilterRecordset::GetLongLong(int index) const
{
    return ValueAt(index).AsInteger();
}
double CMultiFilterRecordset::GetDouble(const CString& column) const
{
    return ValueOf(column).AsReal();
}
double CMultiFilterRecordset::GetDouble(int index) const
{
    return ValueAt(index).AsReal();
}
bool CMultiFilterRecordset::GetBool(const CString& column) const
{
    return ValueOf(column).AsInteger() != 0;
}
bool CMultiFilterRecordset::GetBool(int index) const
{
    return ValueAt(index).AsInteger() != 0;
}
CString CMultiFilterRecordset::GetText(const CString& column) const
{
    return ValueOf(column).AsText();
}
CString CMultiFilterRecordset::GetText(int index) const
{
    return CString(std::wstring(GetTextView(index)));
}

std::wstring_view CMultiFilterRecordset::GetTextView(int index) const
{
    const CDBValue& value = ValueAt(index);
    const auto slot = static_cast<std::size_t>(index);
    if (slot >= m_texts.size())
    {
        m_texts.resize(slot + 1);
        m_textVersions.resize(slot + 1, 0);
    }
    if (m_textVersions[slot] != m_rowVersion)
    {
        value.AsText(m_texts[slot]);
        m_textVersions[slot] = m_rowVersion;
    }
    return m_texts[slot];
}
COleDateTime CMultiFilterRecordset::GetDateTime(const CString& column) const
{
    return ToDateTime(ValueOf(column));
}
TIMESTAMP_STRUCT CMultiFilterRecordset::GetTimestamp(const CString& column) const
{
    return ValueOf(column).AsTimestamp();
}
TIMESTAMP_STRUCT CMultiFilterRecordset::GetTimestamp(int index) const
{
    return ValueAt(index).AsTimestamp();
}
std::vector<BYTE> CMultiFilterRecordset::GetBytes(const CString& column) const
{
    return ValueOf(column).AsBytes();
}
std::vector<BYTE> CMultiFilterRecordset::GetBytes(int index) const
{
    return ValueAt(index).AsBytes();
}
std::span<const BYTE> CMultiFilterRecordset::GetBytesView(int index) const
{
    return ValueAt(index).AsBytesView();
}
bool CMultiFilterRecordset::IsFieldNull(const CString& column) const
{
    return ValueOf(column).IsNull();
}
bool CMultiFilterRecordset::IsFieldNull(int index) const
{
    return ValueAt(index).IsNull();
}
CDBValue CMultiFilterRecordset::GetValue(const CString& column) const
{
    return ValueOf(column);
}
CDBValue CMultiFilterRecordset::GetValue(int index) const
{
    return ValueAt(index);
}

CString CMultiFilterRecordset::GetColumnName(int index) const
{
    const std::vector<CRecordsetQuery::Column>& columns = m_query.GetColumns();
    if (index < 0 || index >= static_cast<int>(columns.size()))
        Refuse(L"07009", L"The column index is out of range.");
    const CRecordsetQuery::Column& column = columns[static_cast<std::size_t>(index)];
    return column.alias.IsEmpty() ? column.column : column.alias;
}

void CMultiFilterRecordset::RequireWritable() const
{
    if (!IsOpen())
        Refuse(L"HY010", L"The recordset is not open.");
    if (!m_updatable)
        Refuse(L"HY092", L"The recordset is read-only.");
}

void CMultiFilterRecordset::Edit()
{
    RequireWritable();
    if (!m_hasRow || m_deleted)
        Refuse(L"24000", L"There is no current row to edit.");
    RowChanged();
    m_editMode = EditMode::Edit;
    m_editRow = m_row;
    m_dirty.assign(m_row.size(), false);
}

void CMultiFilterRecordset::AddNew()
{
    RequireWritable();
    RowChanged();
    m_editMode = EditMode::AddNew;
    m_editRow.assign(m_query.GetColumns().size(), CDBValue());
    m_dirty.assign(m_editRow.size(), false);
}

void CMultiFilterRecordset::SetValue(const CString& column, const CDBValue& value)
{
    if (m_editMode == EditMode::None)
        Refuse(L"HY010", L"Call Edit or AddNew before setting a field.");
    const int index = FindColumn(column);
    const CRecordsetQuery::Column& spec = m_query.GetColumns()[static_cast<std::size_t>(index)];
    if (spec.readOnly || !m_query.IsBaseColumn(spec))
        Refuse(L"HY092", L"The column " + spec.column + L" cannot be written through this recordset.");
    RowChanged();
    m_editRow[static_cast<std::size_t>(index)] = value;
    m_dirty[static_cast<std::size_t>(index)] = true;
}

void CMultiFilterRecordset::SetDateTime(const CString& column, const COleDateTime& value)
{
    SetValue(column, FromDateTime(value));
}

void CMultiFilterRecordset::SetNull(const CString& column)
{
    SetValue(column, CDBValue());
}

bool CMultiFilterRecordset::Update()
{
    if (m_editMode == EditMode::None)
        Refuse(L"HY010", L"Call Edit or AddNew before Update.");
    RequireWritable();
    RowChanged();
    const std::vector<CRecordsetQuery::Column>& columns = m_query.GetColumns();
    const std::string table = CSqlText::QuoteIdentifier(m_query.GetBaseTable(), false, L"Table");
    std::vector<CDBValue> values;
    std::string names;
    std::string markers;
    for (std::size_t i = 0; i < columns.size(); ++i)
    {
        if (!m_dirty[i])
            continue;
        const std::string name = CSqlText::QuoteIdentifier(columns[i].column, false, L"Column");
        if (m_editMode == EditMode::Edit)
            names += (names.empty() ? "" : ", ") + name + " = ?";
        else
        {
            names += (names.empty() ? "" : ", ") + name;
            markers += markers.empty() ? "?" : ", ?";
        }
        values.push_back(m_editRow[i]);
    }
    if (m_editMode == EditMode::Edit)
    {
        if (values.empty())
        {
            m_editMode = EditMode::None;
            return false;
        }
        values.emplace_back(m_rowId);
        if (m_connection->Execute("UPDATE " + table + " SET " + names + " WHERE rowid = ?", values) == 0)
            Refuse(L"HY000", L"The row being edited no longer exists.");
        m_row = m_editRow;
    }
    else
    {
        const std::string sql = values.empty() ? "INSERT INTO " + table + " DEFAULT VALUES"
                                               : "INSERT INTO " + table + " (" + names + ") VALUES (" + markers + ")";
        m_connection->Execute(sql, values);
    }
    m_editMode = EditMode::None;
    return true;
}

void CMultiFilterRecordset::Delete()
{
    RequireWritable();
    if (!m_hasRow || m_deleted || m_editMode != EditMode::None)
        Refuse(L"24000", L"There is no current row to delete.");
    const std::string table = CSqlText::QuoteIdentifier(m_query.GetBaseTable(), false, L"Table");
    if (m_connection->Execute("DELETE FROM " + table + " WHERE rowid = ?", {CDBValue(m_rowId)}) == 0)
        Refuse(L"HY000", L"The row to delete no longer exists.");
    RowChanged();
    m_deleted = true;
}

LONGLONG CMultiFilterRecordset::GetNextID(LONG idType, const CString& keyColumn)
{
    if (!m_query.HasTable())
        Refuse(L"HY010", L"The recordset has no table.");
    const std::string ids = CSqlText::QuoteIdentifier(CBntDatabase::kIdTable, false, L"Table");
    const std::string type = CSqlText::QuoteIdentifier(CBntDatabase::kIdTypeColumn, false, L"Column");
    const std::string next = CSqlText::QuoteIdentifier(CBntDatabase::kIdValueColumn, false, L"Column");
    const std::string table = CSqlText::QuoteIdentifier(m_query.GetBaseTable(), false, L"Table");
    const std::string key = CSqlText::QuoteIdentifier(keyColumn, false, L"Column");
    // The counter never hands out a value that the table already holds, even when rows were
    // written with their own keys or the counter is new.
    const std::string sql = "INSERT INTO " + ids + " (" + type + ", " + next + ") SELECT ?, COALESCE(MAX(" + key +
                            "), 0) + 2 FROM " + table + " WHERE 1 ON CONFLICT (" + type + ") DO UPDATE SET " + next +
                            " = MAX(" + next + ", excluded." + next + " - 1) + 1 RETURNING " + next + " - 1";
    std::vector<CDBValue> row;
    m_connection->Execute(sql, {CDBValue(idType)}, &row);
    if (row.empty())
        Refuse(L"HY000", L"The ID generator returned no value.");
    return row[0].AsInteger();
}
