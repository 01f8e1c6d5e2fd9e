#include "tests/support/StatementGate.h"
#include "tests/support/StatementRecorder.h"

#include <sqlite3.h>

#include <cctype>
#include <string_view>

namespace support {
namespace {

// The gate of the writer running on this thread, and whether it has arrived there yet.
thread_local StatementGate* t_gate = nullptr;
thread_local bool t_arrived = false;

bool Writes(const char* sql)
{
    std::string_view text(sql != nullptr ? sql : "");
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    for (const std::string_view keyword : {"BEGIN", "INSERT", "UPDATE", "DELETE", "REPLACE"})
    {
        if (text.size() < keyword.size())
            continue;
        bool same = true;
        for (std::size_t i = 0; i < keyword.size() && same; ++i)
            same = std::toupper(static_cast<unsigned char>(text[i])) == keyword[i];
        if (same)
            return true;
    }
    return false;
}

int Trace(unsigned type, void*, void* statement, void* text)
{
    if (type != SQLITE_TRACE_STMT)
        return 0;
    StatementGate::OnStatement(static_cast<const char*>(text));
    if (!StatementRecorder::Recording())
        return 0;
    auto* const running = static_cast<sqlite3_stmt*>(statement);
    char* expanded = sqlite3_expanded_sql(running);
    sqlite3* const db = sqlite3_db_handle(running);
    StatementRecorder::OnStatement(static_cast<const char*>(text), expanded, db, sqlite3_get_autocommit(db) == 0);
    sqlite3_free(expanded);
    return 0;
}

int TraceConnection(sqlite3* db, const char**, const sqlite3_api_routines*)
{
    return sqlite3_trace_v2(db, SQLITE_TRACE_STMT, &Trace, nullptr);
}

// Every connection opened from here on carries the trace; it costs one thread-local test per
// statement while no gate runs.
const bool kTraced = sqlite3_auto_extension(reinterpret_cast<void (*)()>(&TraceConnection)) == SQLITE_OK;

}  // namespace

StatementGate::StatementGate(int writers) : m_writers(writers) {}

void StatementGate::Run(const std::function<void()>& request)
{
    t_gate = this;
    t_arrived = false;
    request();
    // A request that ended without writing (refused early) counts as arrived.
    if (!t_arrived)
        Arrive(false);
    t_gate = nullptr;
}

bool StatementGate::Traced()
{
    return kTraced;
}

bool StatementGate::AllArrived() const
{
    CheckedMutexLock guard(m_lock);
    return kTraced && m_arrived == m_writers && !m_late;
}

void StatementGate::OnStatement(const char* sql)
{
    if (t_gate == nullptr || t_arrived || !Writes(sql))
        return;
    t_gate->Arrive(true);
}

void StatementGate::Arrive(bool wait)
{
    t_arrived = true;
    CheckedMutexLock guard(m_lock);
    ++m_arrived;
    m_arrival.notify_all();
    if (wait &&
        !guard.WaitFor(m_arrival, kArrivalLimit, [&]() REQUIRES(m_lock) { return m_arrived >= m_writers || m_late; }))
    {
        m_late = true;
        m_arrival.notify_all();
    }
}
}  // namespace support
