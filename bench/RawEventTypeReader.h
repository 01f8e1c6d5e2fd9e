// RawEventTypeReader: the baseline of the benchmarks. Reads the columns that Bnt_EventType maps
// (EVENTYPE.EVTYPEID and EVTDESCR) straight through sqlite3 prepared statements on a read-only
// connection of its own, touching every value read.
//
// Owned by the benchmark driver; one thread at a time.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

class RawEventTypeReader
{
public:
    // Opens databaseFile read-only. Throws std::runtime_error when it cannot be opened.
    explicit RawEventTypeReader(const std::filesystem::path& databaseFile);
    ~RawEventTypeReader();
    RawEventTypeReader(const RawEventTypeReader&) = delete;
    RawEventTypeReader& operator=(const RawEventTypeReader&) = delete;

    // Reads every row (one statement prepared, stepped through and finalised): the number of
    // rows read. Throws std::runtime_error on a database error.
    std::int64_t ReadAll();
    // Reads the row whose EVTYPEID is key (one statement prepared, bound, stepped and
    // finalised): 1 when found, 0 when not. Throws std::runtime_error on a database error.
    int ReadOne(int key);
    // The number of rows, then the rows [offset, offset + limit) in key order with LIMIT/OFFSET
    // (two statements, as a paged read with its total needs): the number of rows of the page.
    // Throws std::runtime_error on a database error.
    std::int64_t ReadPage(std::int64_t offset, std::int64_t limit);

    // A sum over every value read so far, so that no read can be optimised away.
    std::uint64_t Checksum() const { return m_checksum; }

private:
    // Steps the statement through its rows, touching each: the number read. Throws
    // std::runtime_error with the failure text and the database's message.
    std::int64_t ReadRows(sqlite3_stmt* statement, const char* failure);

    struct DatabaseCloser
    {
        void operator()(sqlite3* database) const;
    };

    // Set at construction.
    std::unique_ptr<sqlite3, DatabaseCloser> m_database;

    std::uint64_t m_checksum = 0;
};
