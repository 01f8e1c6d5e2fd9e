#include "bench/RawRecordReader.h"

#include <sqlite3.h>

#include <stdexcept>
#include <string>

#include "bench/SqliteStatement.h"

void RawRecordReader::DatabaseCloser::operator()(sqlite3* database) const
{
    sqlite3_close(database);
}

RawRecordReader::RawRecordReader(const std::filesystem::path& databaseFile)
{
    sqlite3* database = nullptr;
    const int opened = sqlite3_open_v2(databaseFile.c_str(), &database, SQLITE_OPEN_READONLY, nullptr);
    m_database.reset(database);
    if (opened != SQLITE_OK)
        throw std::runtime_error("cannot open " + databaseFile.string() + " for the raw record reads");
}

RawRecordReader::~RawRecordReader() = default;

std::int64_t RawRecordReader::Read(const char* sql, const std::vector<std::int64_t>& values)
{
    SqliteStatement select(m_database.get(), sql);
    sqlite3_stmt* statement = select.Get();
    for (std::size_t i = 0; i < values.size(); ++i)
        sqlite3_bind_int64(statement, static_cast<int>(i) + 1, values[i]);
    const int columns = sqlite3_column_count(statement);
    std::int64_t rows = 0;
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW)
    {
        for (int column = 0; column < columns; ++column)
        {
            const int type = sqlite3_column_type(statement, column);
            if (type == SQLITE_TEXT || type == SQLITE_BLOB)
                m_checksum += static_cast<std::uint64_t>(sqlite3_column_bytes(statement, column));
            else
                m_checksum += static_cast<std::uint64_t>(sqlite3_column_int64(statement, column));
        }
        ++rows;
    }
    if (step != SQLITE_DONE)
        throw std::runtime_error(std::string("raw record read failed: ") + sqlite3_errmsg(m_database.get()));
    return rows;
}
