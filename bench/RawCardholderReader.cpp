#include "bench/RawCardholderReader.h"

#include <sqlite3.h>

#include <stdexcept>
#include <string>

#include "bench/SqliteStatement.h"

namespace {

constexpr const char* kSelect =
    "SELECT EMP.ID, EMP.LASTNAME, EMP.FIRSTNAME, EMP.MIDNAME, EMP.SSNO, EMP.ALLOWEDVISITORS, EMP.LASTCHANGED, "
    "EMP.SEGMENTID, EMP.VISITOR, EMP.ASSET_GROUPID, EMP.GUARD, UDFEMP.ID FROM EMP "
    "LEFT OUTER JOIN UDFEMP ON EMP.ID = UDFEMP.ID WHERE EMP.VISITOR = ? AND EMP.SEGMENTID IN (?, ?)";

}  // namespace

void RawCardholderReader::DatabaseCloser::operator()(sqlite3* database) const
{
    sqlite3_close(database);
}

RawCardholderReader::RawCardholderReader(const std::filesystem::path& databaseFile)
{
    sqlite3* database = nullptr;
    const int opened = sqlite3_open_v2(databaseFile.c_str(), &database, SQLITE_OPEN_READONLY, nullptr);
    m_database.reset(database);
    if (opened != SQLITE_OK)
        throw std::runtime_error("cannot open " + databaseFile.string() + " for the raw cardholder reads");
}

RawCardholderReader::~RawCardholderReader() = default;

std::int64_t RawCardholderReader::ReadSegments()
{
    SqliteStatement select(m_database.get(), kSelect);
    sqlite3_stmt* statement = select.Get();
    sqlite3_bind_int(statement, 1, 0);
    sqlite3_bind_int(statement, 2, 1);
    sqlite3_bind_int(statement, 3, 2);
    const int columns = sqlite3_column_count(statement);
    std::int64_t rows = 0;
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW)
    {
        for (int column = 0; column < columns; ++column)
        {
            if (sqlite3_column_type(statement, column) == SQLITE_TEXT)
                m_checksum += static_cast<std::uint64_t>(sqlite3_column_bytes(statement, column)) +
                              *sqlite3_column_text(statement, column);
            else
                m_checksum += static_cast<std::uint64_t>(sqlite3_column_int64(statement, column));
        }
        ++rows;
    }
    if (step != SQLITE_DONE)
        throw std::runtime_error("raw cardholder read failed: " + std::string(sqlite3_errmsg(m_database.get())));
    return rows;
}
