// RawCardholderReader: the baseline of the cardholder benchmark. Runs by hand the read that
// Bnt_Cardholder makes for a segment-restricted operator (EMP joined to its UDFEMP row,
// cardholders only, the operator's segments) through one sqlite3 prepared statement on a
// read-only connection of its own, touching every value of every row.
//
// Owned by the benchmark driver; one thread at a time.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>

struct sqlite3;

class RawCardholderReader
{
public:
    // Opens databaseFile read-only. Throws std::runtime_error when it cannot be opened.
    explicit RawCardholderReader(const std::filesystem::path& databaseFile);
    ~RawCardholderReader();
    RawCardholderReader(const RawCardholderReader&) = delete;
    RawCardholderReader& operator=(const RawCardholderReader&) = delete;

    // Reads every cardholder of segments 1 and 2 (one statement prepared, bound, stepped
    // through and finalised): the number of rows read. Throws std::runtime_error on a
    // database error.
    std::int64_t ReadSegments();

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
