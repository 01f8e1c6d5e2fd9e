#include "tests/support/StatementRecorder.h"

#include <sqlite3.h>

#include <atomic>
#include <map>
#include <mutex>
#include <stdexcept>

#include "tests/support/StatementGate.h"
#include "tests/support/TestSqlite.h"

namespace support {
namespace {

std::mutex g_lock;
StatementRecorder* g_recorder = nullptr;
std::vector<StatementRecorder::Statement> g_statements;
std::atomic<bool> g_recording{false};

}  // namespace

StatementRecorder::StatementRecorder()
{
    if (!StatementGate::Traced())
        throw std::logic_error("the statement trace is not on the connections");
    const std::lock_guard guard(g_lock);
    g_recorder = this;
    g_statements.clear();
    g_recording = true;
}

StatementRecorder::~StatementRecorder()
{
    const std::lock_guard guard(g_lock);
    g_recorder = nullptr;
    g_statements.clear();
    g_recording = false;
}

std::vector<StatementRecorder::Statement> StatementRecorder::Statements() const
{
    const std::lock_guard guard(g_lock);
    return g_statements;
}

void StatementRecorder::Clear()
{
    const std::lock_guard guard(g_lock);
    g_statements.clear();
}

bool StatementRecorder::Recording()
{
    return g_recording;
}

void StatementRecorder::OnStatement(const char* sql, const char* expanded, const void* connection, bool inTransaction)
{
    const std::lock_guard guard(g_lock);
    if (g_recorder != nullptr && sql != nullptr)
        g_statements.push_back({sql, expanded != nullptr ? expanded : sql, connection, inTransaction});
}

std::vector<StatementRecorder::PlanStep> StatementRecorder::Plan(const std::filesystem::path& database,
                                                                 const std::string& sql)
{
    const SqliteDatabase db = OpenSqlite(database, SQLITE_OPEN_READONLY);
    std::vector<PlanStep> steps;
    sqlite3_stmt* statement = nullptr;
    if (db == nullptr ||
        sqlite3_prepare_v2(db.get(), ("EXPLAIN QUERY PLAN " + sql).c_str(), -1, &statement, nullptr) != SQLITE_OK)
        steps.push_back(
            {std::string("EXPLAIN failed: ") + (db != nullptr ? sqlite3_errmsg(db.get()) : "no connection")});
    // Step ids and whether each is, or lies under, a sub-query; a parent comes before its children.
    std::map<int, bool> underSubquery;
    while (statement != nullptr && sqlite3_step(statement) == SQLITE_ROW)
    {
        const int id = sqlite3_column_int(statement, 0);
        const int parent = sqlite3_column_int(statement, 1);
        std::string detail = reinterpret_cast<const char*>(sqlite3_column_text(statement, 3));
        const bool inside = underSubquery[parent];
        underSubquery[id] = inside || detail.find("SUBQUERY") != std::string::npos;
        steps.push_back({std::move(detail), inside});
    }
    sqlite3_finalize(statement);
    return steps;
}

}  // namespace support
