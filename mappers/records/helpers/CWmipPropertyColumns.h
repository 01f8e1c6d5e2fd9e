// CWmipPropertyColumns: a mapper's table of properties and the "TABLE.COLUMN" texts behind them,
// for GetTableDotColumn and ProcessClause: a property found (without regard to case) gives its
// column (empty for a property no column holds); any other the column of its own name in the
// main table.
//
// Static functions over constant tables; thread-safe.
#pragma once

#include <span>

#include "platform/mfc/CString.h"

struct PropertyColumn
{
    const wchar_t* property;
    const wchar_t* column;
};

class CWmipPropertyColumns
{
public:
    CWmipPropertyColumns() = delete;

    static CString Find(std::span<const PropertyColumn> table, const CString& property, const wchar_t* mainTable);
};
