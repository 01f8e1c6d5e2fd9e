#include "bench/RawEventTypeReader.h"

#include <sqlite3.h>

#include <stdexcept>
#include <string>

#include "bench/SqliteStatement.h"

namespace {

constexpr const char* kSelectAll = "SELECT EVTYPEID, EVTDESCR FROM EVENTYPE";
constexpr const char* kCount = "SELECT COUNT(*) FROM EVENTYPE";
constexpr const char* kSelectPage = "SELECT EVTYPEID, EVTDESCR FROM EVENTYPE ORDER BY EVTYPEID LIMIT ? OFFSET ?";
constexpr const char* kSelectOne = "SELECT EVTYPEID, EVTDESCR FROM EVENTYPE WHERE EVTYPEID = ?";

// Reads both columns of the current row: the id, the description's length and last byte, summed.
std::uint64_t ReadRow(sqlite3_stmt* statement)
{
    const int id = sqlite3_column_int(statement, 0);
    const unsigned char* description = sqlite3_column_text(statement, 1);
    const int length = sqlite3_column_bytes(statement, 1);
    return static_cast<std::uint64_t>(id) + static_cast<std::uint64_t>(length) +
           (description != nullptr && length > 0 ? description[length - 1] : 0u);
}

}  // namespace

void RawEventTypeReader::DatabaseCloser::operator()(sqlite3* database) const
{
    sqlite3_close(database);
}

RawEventTypeReader::RawEventTypeReader(const std::filesystem::path& databaseFile)
{
    sqlite3* database = nullptr;
    const int opened = sqlite3_open_v2(databaseFile.c_str(), &database, SQLITE_OPEN_READONLY, nullptr);
    m_database.reset(database);
    if (opened != SQLITE_OK)
        throw std::runtime_error("cannot open " + databaseFile.string() + " for the raw reads");
}

RawEventTypeReader::~RawEventTypeReader() = default;

std::int64_t RawEventTypeReader::ReadAll()
{
    SqliteStatement select(m_database.get(), kSelectAll);
    return ReadRows(select.Get(), "raw enumeration failed: ");
}

std::int64_t RawEventTypeReader::ReadRows(sqlite3_stmt* statement, const char* failure)
{
    std::int64_t rows = 0;
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW)
    {
        m_checksum += ReadRow(statement);
        ++rows;
    }
    if (step != SQLITE_DONE)
        throw std::runtime_error(failure + std::string(sqlite3_errmsg(m_database.get())));
    return rows;
}

std::int64_t RawEventTypeReader::ReadPage(std::int64_t offset, std::int64_t limit)
{
    SqliteStatement count(m_database.get(), kCount);
    if (sqlite3_step(count.Get()) != SQLITE_ROW)
        throw std::runtime_error(std::string("raw count failed: ") + sqlite3_errmsg(m_database.get()));
    m_checksum += static_cast<std::uint64_t>(sqlite3_column_int64(count.Get(), 0));
    SqliteStatement select(m_database.get(), kSelectPage);
    sqlite3_bind_int64(select.Get(), 1, limit);
    sqlite3_bind_int64(select.Get(), 2, offset);
    return ReadRows(select.Get(), "raw page read failed: ");
}

int RawEventTypeReader::ReadOne(int key)
{
    SqliteStatement select(m_database.get(), kSelectOne);
    sqlite3_bind_int(select.Get(), 1, key);
    const int step = sqlite3_step(select.Get());
    if (step == SQLITE_DONE)
        return 0;
    if (step != SQLITE_ROW)
        throw std::runtime_error(std::string("raw keyed read failed: ") + sqlite3_errmsg(m_database.get()));
    m_checksum += ReadRow(select.Get());
    return 1;
}
