#include "inhouse/BntCoreDb/CBntStatement.h"

#include <sqlite3.h>

#include <limits>
#include <memory>
#include <string>

#include "inhouse/BntCoreDb/CBntConnection.h"
#include "inhouse/BntCoreDb/CDBException.h"

namespace {

bool IsBlank(const char* text)
{
    for (; *text != '\0'; ++text)
    {
        if (*text != ' ' && *text != '\t' && *text != '\n' && *text != '\r')
            return false;
    }
    return true;
}

// Prepares the text, which must hold exactly one statement. Throws CDBException. Lock held.
sqlite3_stmt* Prepare(CBntConnection& connection, sqlite3* db, const std::string& sql)
{
    const char* tail = nullptr;
    sqlite3_stmt* stmt = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt, &tail);
    if (rc != SQLITE_OK)
    {
        sqlite3_finalize(stmt);
        connection.ThrowEngineErrorLocked(rc, sqlite3_errmsg(db), true);
    }
    if (stmt == nullptr || (tail != nullptr && !IsBlank(tail)))
    {
        // One text, one statement: a second statement hidden in a text is never run.
        sqlite3_finalize(stmt);
        throw CDBException(CDBException::kRetRefused, L"42000", 0, L"The SQL text must hold exactly one statement.");
    }
    return stmt;
}

}  // namespace

CBntStatement::CBntStatement(std::shared_ptr<CBntConnection> connection, const std::string& sql,
                             const std::vector<CDBValue>& params, bool faultable)
    : m_connection(std::move(connection))
{
    std::lock_guard guard(m_connection->GetLock());
    sqlite3* db = m_connection->RequireHandleLocked();
    m_generation = m_connection->GetGenerationLocked();
    int injected = 0;
    if (faultable && m_connection->TakeInjectedFaultLocked(injected))
        m_connection->ThrowEngineErrorLocked(injected, "Injected fault.", false);
    if (sql.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        throw CDBException(CDBException::kRetRefused, L"42000", 0, L"SQL text is too long.");
    sqlite3_stmt* stmt = m_connection->TakeCachedStatementLocked(sql, m_sql);
    if (stmt == nullptr)
    {
        m_sql = sql;
        stmt = Prepare(*m_connection, db, sql);
    }
    m_stmt = stmt;
    // A write is never made on a read transaction's moment (nor held uncommitted by it). The
    // engine counts BEGIN IMMEDIATE as a write, so a transaction's begin ends the read as well.
    if (!sqlite3_stmt_readonly(stmt))
        m_connection->EndReadLocked();
    if (static_cast<std::size_t>(sqlite3_bind_parameter_count(stmt)) != params.size())
    {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        throw CDBException(CDBException::kRetRefused, L"07002", 0,
                           L"The number of values does not match the statement's parameters.");
    }
    for (std::size_t i = 0; i < params.size(); ++i)
    {
        const int index = static_cast<int>(i) + 1;
        const CDBValue& value = params[i];
        int bound = SQLITE_OK;
        switch (value.GetKind())
        {
        case CDBValue::Kind::Null:
            bound = sqlite3_bind_null(stmt, index);
            break;
        case CDBValue::Kind::Integer:
            bound = sqlite3_bind_int64(stmt, index, value.GetInteger());
            break;
        case CDBValue::Kind::Real:
            bound = sqlite3_bind_double(stmt, index, value.GetReal());
            break;
        case CDBValue::Kind::Text:
            bound = sqlite3_bind_text64(stmt, index, value.GetUtf8().data(), value.GetUtf8().size(), SQLITE_TRANSIENT,
                                        SQLITE_UTF8);
            break;
        case CDBValue::Kind::Blob:
            // Bound where it stands, not copied: the caller keeps the values for the statement's
            // life, and the statement's return to the cache clears its bindings.
            bound = sqlite3_bind_blob64(stmt, index, value.GetBytes().data(), value.GetBytes().size(), SQLITE_STATIC);
            break;
        }
        if (bound != SQLITE_OK)
        {
            sqlite3_finalize(m_stmt);
            m_stmt = nullptr;
            m_connection->ThrowEngineErrorLocked(bound, sqlite3_errstr(bound), false);
        }
    }
    m_columnCount = sqlite3_column_count(stmt);
}

CBntStatement::~CBntStatement()
{
    std::lock_guard guard(m_connection->GetLock());
    // A closed or dropped connection has finalized the statement already.
    if (m_stmt != nullptr && m_connection->GetGenerationLocked() == m_generation)
        m_connection->CacheStatementLocked(std::move(m_sql), m_stmt);
}

std::vector<std::string> CBntStatement::GetColumnNames() const
{
    std::lock_guard guard(m_connection->GetLock());
    m_connection->RequireHandleLocked();
    if (m_connection->GetGenerationLocked() != m_generation)
        throw CDBException::ConnectionLost(L"The connection was reopened while the statement was in use.");
    std::vector<std::string> names;
    const int count = sqlite3_column_count(m_stmt);
    names.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
    {
        const char* name = sqlite3_column_name(m_stmt, i);
        names.emplace_back(name != nullptr ? name : "");
    }
    return names;
}

bool CBntStatement::Step(std::vector<CDBValue>& row)
{
    if (m_batchNext < m_batchCount && m_connection->GetGeneration() == m_generation)
    {
        HandOut(row);
        return true;
    }
    std::lock_guard guard(m_connection->GetLock());
    if (m_batchNext >= m_batchCount && m_done && m_pendingError == 0)
        return false;
    m_connection->RequireHandleLocked();
    if (m_connection->GetGenerationLocked() != m_generation)
        throw CDBException::ConnectionLost(L"The connection was reopened while the statement was in use.");
    if (m_batchNext >= m_batchCount)
        FillBatchLocked();
    if (m_batchNext >= m_batchCount)
        return false;
    HandOut(row);
    return true;
}

void CBntStatement::HandOut(std::vector<CDBValue>& row)
{
    std::vector<CDBValue>& slot = m_batch[m_batchNext++];
    row.swap(slot);
    // The slot now holds the caller's row before: its small texts and bytes are kept for the
    // storage to be reused, a large one is given back, so a value of megabytes is never held
    // past its row.
    for (CDBValue& value : slot)
    {
        const CDBValue::Kind kind = value.GetKind();
        const std::size_t size = kind == CDBValue::Kind::Text   ? value.GetUtf8().size()
                                 : kind == CDBValue::Kind::Blob ? value.GetBytes().size()
                                                                : 0;
        if (size > kKeptValueBytes)
            value = CDBValue();
    }
}

void CBntStatement::FillBatchLocked()
{
    m_batchNext = 0;
    m_batchCount = 0;
    if (m_pendingError != 0)
    {
        const int code = m_pendingError;
        m_pendingError = 0;
        m_connection->ThrowEngineErrorLocked(code, m_pendingMessage.c_str(), false);
    }
    if (m_done)
        return;
    sqlite3* db = m_connection->RequireHandleLocked();
    int failure = SQLITE_OK;
    std::string failureMessage;
    {
        // The engine's own mutex is held over the whole batch (the connection's lock already
        // keeps every other caller out): each step and column read then re-enters it instead of
        // taking it, and the column values ReadRowLocked reads are protected, as sqlite3_value_*
        // require. Null when the engine runs without mutexes; entering null does nothing.
        const std::unique_ptr<sqlite3_mutex, decltype(&sqlite3_mutex_leave)> engine(
            [db] {
                sqlite3_mutex* mutex = sqlite3_db_mutex(db);
                sqlite3_mutex_enter(mutex);
                return mutex;
            }(),
            &sqlite3_mutex_leave);
        std::size_t bytes = 0;
        while (m_batchCount < kBatchRows && bytes < kBatchBytes)
        {
            const int rc = sqlite3_step(m_stmt);
            // A statement kept from before a schema change is prepared again by its step, and a
            // "SELECT *" then has the table's columns of now.
            m_columnCount = sqlite3_column_count(m_stmt);
            if (rc == SQLITE_ROW)
            {
                if (m_batch.size() <= m_batchCount)
                    m_batch.emplace_back();
                ReadRowLocked(m_batch[m_batchCount++], bytes);
                continue;
            }
            m_done = true;
            if (rc == SQLITE_DONE)
            {
                m_changes = sqlite3_changes64(db);
                sqlite3_reset(m_stmt);
            }
            else
            {
                failure = rc;
                failureMessage = sqlite3_errmsg(db);
            }
            break;
        }
    }
    // Reported only once the engine's mutex is left: reporting a lost connection closes it.
    if (failure == SQLITE_OK)
        return;
    if (m_batchCount == 0)
        m_connection->ThrowEngineErrorLocked(failure, failureMessage.c_str(), false);
    m_pendingError = failure;
    m_pendingMessage = std::move(failureMessage);
}

void CBntStatement::ReadRowLocked(std::vector<CDBValue>& row, std::size_t& size) const
{
    // The values of the row read before are overwritten in place, so texts reuse their storage.
    // Each column is fetched once and read through its value, which FillBatchLocked protects.
    row.resize(static_cast<std::size_t>(m_columnCount));
    for (int i = 0; i < m_columnCount; ++i)
    {
        CDBValue& value = row[static_cast<std::size_t>(i)];
        sqlite3_value* column = sqlite3_column_value(m_stmt, i);
        switch (sqlite3_value_type(column))
        {
        case SQLITE_INTEGER:
            value = CDBValue(static_cast<LONGLONG>(sqlite3_value_int64(column)));
            break;
        case SQLITE_FLOAT:
            value = CDBValue(sqlite3_value_double(column));
            break;
        case SQLITE_TEXT: {
            const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(column));
            const int length = sqlite3_value_bytes(column);
            size += static_cast<std::size_t>(length);
            value.AssignUtf8(text != nullptr ? std::string_view(text, static_cast<std::size_t>(length))
                                             : std::string_view());
            break;
        }
        case SQLITE_BLOB: {
            const auto* bytes = static_cast<const BYTE*>(sqlite3_value_blob(column));
            const int length = sqlite3_value_bytes(column);
            size += static_cast<std::size_t>(length);
            value.AssignBytes(bytes != nullptr ? std::span<const BYTE>(bytes, static_cast<std::size_t>(length))
                                               : std::span<const BYTE>());
            break;
        }
        default:
            value = CDBValue();
            break;
        }
    }
}
