#include "inhouse/BntCoreDb/CLoginQuery.h"

#include "inhouse/BntCoreDb/CBntStatement.h"

std::vector<CLoginQuery::Row> CLoginQuery::Rows(CBntDatabase& database, const std::string& sql,
                                                const std::vector<CDBValue>& params)
{
    CBntStatement statement(database.GetConnection(), sql, params);
    std::vector<Row> rows;
    Row row;
    while (rows.size() < kMaxRows && statement.Step(row))
    {
        rows.push_back(row);
    }
    return rows;
}

std::vector<LONGLONG> CLoginQuery::Integers(CBntDatabase& database, const std::string& sql,
                                            const std::vector<CDBValue>& params)
{
    CBntStatement statement(database.GetConnection(), sql, params);
    std::vector<LONGLONG> values;
    Row row;
    while (values.size() < kMaxRows && statement.Step(row))
    {
        values.push_back(Integer(row, 0));
    }
    return values;
}

std::optional<CLoginQuery::Row> CLoginQuery::FirstRow(CBntDatabase& database, const std::string& sql,
                                                      const std::vector<CDBValue>& params)
{
    CBntStatement statement(database.GetConnection(), sql, params);
    Row row;
    if (!statement.Step(row))
    {
        return std::nullopt;
    }
    return row;
}

LONGLONG CLoginQuery::Integer(const Row& row, std::size_t column, LONGLONG fallback)
{
    return column < row.size() && !row[column].IsNull() ? row[column].AsInteger() : fallback;
}
