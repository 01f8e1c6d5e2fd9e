// StatementRecorder: the SQL statements the code under test runs while a recorder lives, each
// as prepared (with its '?' markers) and with its values written in, so that a test can read a
// statement's shape, the values it was given and its query plan. It rides on the statement
// trace that StatementGate puts on every SQLite connection of the test program.
//
// One recorder at a time, owned by the test; statements of every thread are recorded (a request
// may run on a thread of the door's own). Thread-safe.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace support {
class StatementRecorder
{
public:
    struct Statement
    {
        std::string sql;       // as prepared, '?' markers in place
        std::string expanded;  // with the bound values written in
        // The connection it ran on (its engine handle: the same value, the same connection), and
        // whether a transaction was open there when it began.
        const void* connection = nullptr;
        bool inTransaction = false;
    };

    // Throws std::logic_error when the statement trace could not be installed.
    StatementRecorder();
    ~StatementRecorder();
    StatementRecorder(const StatementRecorder&) = delete;
    StatementRecorder& operator=(const StatementRecorder&) = delete;

    // The statements recorded since construction or the last Clear, in the order they ran.
    std::vector<Statement> Statements() const;
    void Clear();

    // One step of a query plan: its detail text, and whether it runs inside a sub-query (under a
    // "CORRELATED ..." or "LIST SUBQUERY ..." step), once per row of the statement around it.
    struct PlanStep
    {
        std::string detail;
        bool inSubquery = false;
    };
    // The steps of the engine's query plan of sql (its markers left unbound) on a read-only
    // connection to the database; a failed EXPLAIN gives one step that says why.
    static std::vector<PlanStep> Plan(const std::filesystem::path& database, const std::string& sql);

    // For the statement trace: whether a recorder lives (the trace expands a statement's values
    // only then), and the running statement to record.
    static bool Recording();
    static void OnStatement(const char* sql, const char* expanded, const void* connection, bool inTransaction);
};
}  // namespace support
