// RawRecordReader: the baseline of the owner-derived benchmarks. Runs a read written by hand in
// SQL (the rows a class serves, or those a restricted caller may see, the visibility joined in
// as one would write it) through one sqlite3 prepared statement on a read-only connection of its
// own, touching every value of every row, as RawEventTypeReader does for its one table.
//
// Owned by the benchmark driver; one thread at a time.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

struct sqlite3;

class RawRecordReader
{
public:
    // Opens databaseFile read-only. Throws std::runtime_error when it cannot be opened.
    explicit RawRecordReader(const std::filesystem::path& databaseFile);
    ~RawRecordReader();
    RawRecordReader(const RawRecordReader&) = delete;
    RawRecordReader& operator=(const RawRecordReader&) = delete;

    // Prepares sql, binds values to its markers in order, steps through every row and finalises
    // it: the number of rows read. Throws std::runtime_error on a database error.
    std::int64_t Read(const char* sql, const std::vector<std::int64_t>& values = {});

    // A sum over every value read so far, so that no read can be optimised away.
    std::uint64_t Checksum() const { return m_checksum; }

private:
    struct DatabaseCloser
    {
        void operator()(sqlite3* database) const;
    };

    // Set at construction.
    std::unique_ptr<sqlite3, DatabaseCloser> m_database;

    std::uint64_t m_checksum = 0;
};
