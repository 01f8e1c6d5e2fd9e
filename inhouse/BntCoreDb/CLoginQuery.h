// Runs a SELECT statement of fixed text (values bound) on a database and hands back the rows;
// the in-house libraries that read users, directories, permissions, segments and options query
// through it.
//
// Static functions only; each call stands alone and is as thread-safe as the database it
// runs on. Every failure is the database's CDBException.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBValue.h"

class CLoginQuery
{
public:
    using Row = std::vector<CDBValue>;

    CLoginQuery() = delete;

    // Bounds the rows one query may bring into memory; further rows are not read.
    static constexpr std::size_t kMaxRows = 100000;

    // Every row of the statement, at most kMaxRows.
    static std::vector<Row> Rows(CBntDatabase& database, const std::string& sql, const std::vector<CDBValue>& params);
    // The first row, or nothing when the statement yields none.
    static std::optional<Row> FirstRow(CBntDatabase& database, const std::string& sql,
                                       const std::vector<CDBValue>& params);
    // The first column of every row as an integer (NULL gives 0), at most kMaxRows: a list of ids
    // (a group's thousands of rights, a user's segments) read without keeping a row for each.
    static std::vector<LONGLONG> Integers(CBntDatabase& database, const std::string& sql,
                                          const std::vector<CDBValue>& params);
    // A column of a row as an integer (NULL gives fallback).
    static LONGLONG Integer(const Row& row, std::size_t column, LONGLONG fallback = 0);
};
