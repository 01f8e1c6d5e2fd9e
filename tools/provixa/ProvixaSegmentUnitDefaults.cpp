#include "tools/provixa/ProvixaSegmentUnitDefaults.h"

#include "tools/provixa/EmbeddedInstallation.h"
#include "tools/provixa/ProvixaInstallation.h"
#include "tools/provixa/ProvixaTableText.h"

#include <sqlite3.h>

#include <algorithm>
#include <initializer_list>
#include <string_view>
#include <utility>

namespace {

constexpr char kTable[] = "SEGMENT_UNIT";
// What the engine says of each column, a missing default told apart from an empty text.
constexpr char kColumnFacts[] =
    "cid, name, type, \"notnull\", coalesce(dflt_value, ''), dflt_value IS NULL, pk, hidden";
constexpr std::size_t kColumnFactCount = 8;

std::string ColumnsQuery(const char* facts)
{
    return std::string("SELECT ") + facts + " FROM pragma_table_xinfo('" + kTable + "') ORDER BY cid";
}

// Runs one statement with its text values bound in order; *changes (when given) receives the
// rows it changed. False with *error saying why not.
bool ExecuteBound(sqlite3* db, const char* sql, std::initializer_list<std::string_view> values, std::string* error,
                  int* changes = nullptr)
{
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &raw, nullptr);
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(raw, sqlite3_finalize);
    int index = 0;
    for (const std::string_view value : values)
    {
        if (rc == SQLITE_OK)
            rc = sqlite3_bind_text(raw, ++index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    }
    if (rc == SQLITE_OK)
        rc = sqlite3_step(raw);
    if (rc != SQLITE_DONE)
    {
        *error = ProvixaInstallation::EngineReason(db, rc);
        return false;
    }
    if (changes != nullptr)
        *changes = sqlite3_changes(db);
    return true;
}

// A name quoted for SQL text, whatever characters it holds.
std::string QuotedName(std::string_view name)
{
    std::string quoted = "\"";
    for (const char c : name)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

// Switches the connection's triggers off for its life.
class TriggersOff
{
public:
    explicit TriggersOff(sqlite3* db) : m_db(db)
    {
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_ENABLE_TRIGGER, -1, &m_was);
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    }
    ~TriggersOff() { sqlite3_db_config(m_db, SQLITE_DBCONFIG_ENABLE_TRIGGER, m_was, nullptr); }
    TriggersOff(const TriggersOff&) = delete;
    TriggersOff& operator=(const TriggersOff&) = delete;

private:
    sqlite3* m_db;
    int m_was = 1;
};

// Makes the connection read a text in double quotes as a name only, never as a literal, for its
// life.
class QuotedTextOff
{
public:
    explicit QuotedTextOff(sqlite3* db) : m_db(db)
    {
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_DQS_DDL, -1, &m_ddl);
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_DQS_DML, -1, &m_dml);
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    }
    ~QuotedTextOff()
    {
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_DQS_DDL, m_ddl, nullptr);
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_DQS_DML, m_dml, nullptr);
    }
    QuotedTextOff(const QuotedTextOff&) = delete;
    QuotedTextOff& operator=(const QuotedTextOff&) = delete;

private:
    sqlite3* m_db;
    int m_ddl = 1;
    int m_dml = 1;
};

}  // namespace

void ProvixaSegmentUnitDefaults::Closer::operator()(sqlite3* db) const
{
    sqlite3_close(db);
}

bool ProvixaSegmentUnitDefaults::Load(std::string* error)
{
    sqlite3* raw = nullptr;
    const int opened = sqlite3_open(":memory:", &raw);
    m_scratch.reset(raw);
    if (opened != SQLITE_OK)
    {
        *error = sqlite3_errstr(opened);
        return false;
    }
    return ProvixaInstallation::Execute(m_scratch.get(), EmbeddedInstallation::SchemaSql(), error) &&
           ProvixaInstallation::Execute(m_scratch.get(),
                                        std::string("SELECT name, dflt_value FROM pragma_table_info('") + kTable +
                                            "') WHERE name LIKE 'MAX!_%' ESCAPE '!' AND dflt_value IS NOT NULL",
                                        error, &m_declared);
}

bool ProvixaSegmentUnitDefaults::Decide(sqlite3* home, std::string* error)
{
    m_changed.clear();
    std::vector<std::string> table;
    std::vector<std::string> columns;  // per column: name, type, default or none
    if (!ProvixaInstallation::Execute(
            home,
            std::string("SELECT name, sql FROM sqlite_schema WHERE type = 'table' AND name = '") + kTable +
                "' COLLATE NOCASE",
            error, &table) ||
        !ProvixaInstallation::Execute(home, ColumnsQuery("name, type, dflt_value"), error, &columns))
        return false;
    if (table.size() != 2)
        return true;
    m_name = table[0];
    m_text = table[1];
    // The limits whose default stores 0, by the engine's own reading of the text.
    std::vector<std::pair<std::size_t, std::size_t>> zeros;  // the limit, its column
    for (std::size_t limit = 0; limit + 1 < m_declared.size(); limit += 2)
    {
        std::size_t held = 0;
        while (held + 2 < columns.size() && !ProvixaTableText::SameName(columns[held], m_declared[limit]))
            held += 3;
        bool zero = false;
        if (held + 2 >= columns.size() || columns[held + 2].empty())
            continue;
        if (!StoresZero(columns[held + 1], columns[held + 2], m_declared[limit], &zero, error))
            return false;
        if (zero)
            zeros.emplace_back(limit, held);
    }
    if (zeros.empty())
        return true;
    std::vector<ProvixaTableText::Default> written;
    std::string reason;
    if (!ProvixaTableText::Defaults(m_text, &written, &reason))
    {
        *error = "the text declaring " + m_name + " cannot be read with confidence: " + reason;
        return false;
    }
    // The defaults to change, each span of the text with what it becomes.
    std::vector<std::pair<const ProvixaTableText::Default*, const std::string*>> spans;
    std::vector<Changed> changed;
    for (const auto& [limit, held] : zeros)
    {
        const std::string& column = m_declared[limit];
        std::vector<const ProvixaTableText::Default*> clauses;
        for (const ProvixaTableText::Default& clause : written)
        {
            if (ProvixaTableText::SameName(clause.column, column))
                clauses.push_back(&clause);
        }
        if (clauses.size() > 1)
        {
            *error = "the column " + column + " of " + m_name + " is declared with " + std::to_string(clauses.size()) +
                     " defaults: which one to change for the schema's limit default cannot be told with confidence";
            return false;
        }
        // The engine's reading of the text is the check on ours.
        bool zero = false;
        if (clauses.size() == 1 &&
            !StoresZero(columns[held + 1],
                        m_text.substr(clauses.front()->begin, clauses.front()->end - clauses.front()->begin), column,
                        &zero, error))
            return false;
        if (!zero)
        {
            *error = "the text declaring " + m_name + " cannot be read with confidence: the default of " + column +
                     " is not where the engine finds it";
            return false;
        }
        spans.emplace_back(clauses.front(), &m_declared[limit + 1]);
        m_changed.push_back(column);
        const char* collation = nullptr;
        if (sqlite3_table_column_metadata(home, "main", m_name.c_str(), column.c_str(), nullptr, &collation, nullptr,
                                          nullptr, nullptr) != SQLITE_OK)
        {
            *error = sqlite3_errmsg(home);
            return false;
        }
        changed.push_back(Changed{column, columns[held + 1], collation, columns[held + 2], m_declared[limit + 1]});
    }
    if (!JudgeChecks(home, changed, error))
        return false;
    std::sort(spans.begin(), spans.end(), [](const auto& a, const auto& b) { return a.first->begin > b.first->begin; });
    m_upgraded = m_text;
    for (const auto& [span, value] : spans)
        m_upgraded.replace(span->begin, span->end - span->begin, *value);
    // What the engine must read back from the new text: every column as it was but the limits'
    // new defaults.
    m_columnsAfter.clear();
    if (!ProvixaInstallation::Execute(home, ColumnsQuery(kColumnFacts), error, &m_columnsAfter))
        return false;
    for (std::size_t at = 0; at + kColumnFactCount <= m_columnsAfter.size(); at += kColumnFactCount)
    {
        for (std::size_t limit = 0; limit + 1 < m_declared.size(); limit += 2)
        {
            const bool changed = std::find(m_changed.begin(), m_changed.end(), m_declared[limit]) != m_changed.end();
            if (changed && ProvixaTableText::SameName(m_columnsAfter[at + 1], m_declared[limit]))
                m_columnsAfter[at + 4] = m_declared[limit + 1];
        }
    }
    return true;
}

bool ProvixaSegmentUnitDefaults::Write(sqlite3* home, std::string* error) const
{
    if (!Due())
        return true;
    std::string rows = "SELECT ";
    std::string rewritten;
    for (std::size_t at = 0; at + kColumnFactCount <= m_columnsAfter.size(); at += kColumnFactCount)
        rows += (at == 0 ? "quote(" : ", quote(") + QuotedName(m_columnsAfter[at + 1]) + ")";
    rows += " FROM " + QuotedName(m_name);
    for (const std::string& column : m_changed)
        rewritten += (rewritten.empty() ? "" : ", ") + QuotedName(column) + " = " + QuotedName(column);
    std::vector<std::string> before;
    std::vector<std::string> version;
    if (!ProvixaInstallation::Execute(home, rows, error, &before) ||
        !ProvixaInstallation::Execute(home, "PRAGMA schema_version", error, &version))
        return false;
    if (version.size() != 1)
    {
        *error = "the engine gives no schema version";
        return false;
    }
    // Nothing the upgrade does changes a row, so no trigger fires for it.
    const TriggersOff quiet(home);
    // A row written before a limit column was added holds no value for it and is read with
    // the column's default: each is written whole first, as it reads now.
    if (!ProvixaInstallation::Execute(home, "UPDATE " + QuotedName(m_name) + " SET " + rewritten, error))
        return false;
    // The engine's own way to change a default: the text in place, under a new schema version.
    int changes = 0;
    const bool written =
        ProvixaInstallation::Execute(home, "PRAGMA writable_schema=ON", error) &&
        ExecuteBound(home, "UPDATE sqlite_schema SET sql = ?1 WHERE type = 'table' AND name = ?2 AND sql = ?3",
                     {m_upgraded, m_name, m_text}, error, &changes) &&
        ProvixaInstallation::Execute(home, "PRAGMA schema_version=" + std::to_string(std::stoll(version.front()) + 1),
                                     error);
    std::string off;
    const bool reset = ProvixaInstallation::Execute(home, "PRAGMA writable_schema=OFF", &off);
    if (!written || !reset || changes != 1)
    {
        if (written)
            *error = !reset ? off : "the text of " + m_name + " was not where init read it";
        return false;
    }
    std::vector<std::string> columns;
    std::vector<std::string> after;
    if (!ProvixaInstallation::Execute(home, ColumnsQuery(kColumnFacts), error, &columns) ||
        !ProvixaInstallation::Execute(home, rows, error, &after))
        return false;
    if (columns != m_columnsAfter || after != before)
    {
        *error = "the table " + m_name + " did not read back as it was with the schema's limit defaults";
        return false;
    }
    return true;
}

bool ProvixaSegmentUnitDefaults::JudgeChecks(sqlite3* home, const std::vector<Changed>& changed,
                                             std::string* error) const
{
    std::vector<ProvixaTableText::Check> checks;
    std::vector<std::string> generated;
    std::string reason;
    if (!ProvixaTableText::Checks(m_text, &checks, &reason))
    {
        *error = "the text declaring " + m_name + " cannot be read with confidence: " + reason;
        return false;
    }
    // A generated column may be computed from a limit.
    if (!ProvixaInstallation::Execute(
            home, std::string("SELECT name FROM pragma_table_xinfo('") + kTable + "') WHERE hidden IN (2, 3)", error,
            &generated))
        return false;
    for (const ProvixaTableText::Check& check : checks)
    {
        const std::string text = m_text.substr(check.begin, check.end - check.begin);
        const std::string doubt = "whether the table's own constraint " + text +
                                  " takes a unit written with the schema's limit defaults cannot be told with "
                                  "confidence: ";
        std::vector<const Changed*> limits;
        std::string named;
        for (const Changed& limit : changed)
        {
            if (ProvixaTableText::Names(text, limit.column))
            {
                limits.push_back(&limit);
                named += (named.empty() ? "" : ", ") + limit.column;
            }
        }
        for (const std::string& column : generated)
        {
            if (ProvixaTableText::Names(text, column))
                named += (named.empty() ? "" : ", ") + column + " (computed from other columns)";
        }
        // A constraint that names no value the upgrade changes judges every unit as it did.
        if (named.empty())
            continue;
        // A unit may write one of two limits and leave the other to its default: no single unit
        // stands for them all.
        if (limits.size() != 1 || named != limits.front()->column)
        {
            *error = doubt + "it names " + named;
            return false;
        }
        // Whatever the unit writes in its other columns, the constraint reads the limit alone: a
        // unit writing it is judged as before, one leaving it to its default as the default.
        std::string refusedBefore;
        std::string refusedAfter;
        if (!CheckTakes(text, *limits.front(), limits.front()->oldDefault, &refusedBefore, &reason) ||
            !CheckTakes(text, *limits.front(), limits.front()->newDefault, &refusedAfter, &reason))
        {
            *error = doubt + "it cannot be judged on " + limits.front()->column + " alone: " + reason;
            return false;
        }
        // One that refused such a unit already loses nothing by the upgrade.
        if (!refusedAfter.empty() && refusedBefore.empty())
        {
            *error = "with the schema's limit defaults the table's own constraint would refuse a unit written "
                     "without limits: " +
                     refusedAfter;
            return false;
        }
    }
    return true;
}

bool ProvixaSegmentUnitDefaults::CheckTakes(const std::string& check, const Changed& limit, const std::string& value,
                                            std::string* refused, std::string* error) const
{
    sqlite3* scratch = m_scratch.get();
    // Without a row id and with no text in double quotes read as a literal, a name of any other
    // column is one the engine does not know.
    const QuotedTextOff strict(scratch);
    const std::string table = "temp." + QuotedName(m_name);
    if (!ProvixaInstallation::Execute(scratch,
                                      "CREATE TABLE " + table + " (" + QuotedName(limit.column) + " " + limit.type +
                                          " COLLATE " + QuotedName(limit.collation) + " DEFAULT " + value +
                                          " PRIMARY KEY, " + check + ") WITHOUT ROWID",
                                      error))
        return false;
    const int rc =
        sqlite3_exec(scratch, ("INSERT INTO " + table + " DEFAULT VALUES").c_str(), nullptr, nullptr, nullptr);
    const int code = sqlite3_extended_errcode(scratch);
    const std::string words = sqlite3_errmsg(scratch);
    std::string dropped;
    if (!ProvixaInstallation::Execute(scratch, "DROP TABLE " + table, &dropped))
    {
        *error = dropped;
        return false;
    }
    if (rc != SQLITE_OK && code != SQLITE_CONSTRAINT_CHECK)
    {
        *error = words;
        return false;
    }
    *refused = rc == SQLITE_OK ? std::string() : words;
    return true;
}

bool ProvixaSegmentUnitDefaults::StoresZero(const std::string& type, const std::string& value,
                                            const std::string& column, bool* zero, std::string* error) const
{
    std::vector<std::string> answer;
    std::string reason = "it gives no value";
    if (!ProvixaInstallation::Execute(
            m_scratch.get(),
            "DROP TABLE IF EXISTS temp.DEFAULT_PROBE; CREATE TEMP TABLE DEFAULT_PROBE (V " + type + " DEFAULT " +
                value +
                "); INSERT INTO DEFAULT_PROBE DEFAULT VALUES; SELECT typeof(V) IN ('integer', 'real') "
                "AND V = 0 FROM DEFAULT_PROBE",
            &reason, &answer) ||
        answer.size() != 1)
    {
        *error = "the default of " + column + " in the text declaring " + m_name +
                 " cannot be read with confidence: " + reason;
        return false;
    }
    *zero = answer.front() == "1";
    return true;
}
