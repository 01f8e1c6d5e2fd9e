// A recordset that its caller shapes at run time: the base table or the joins, the columns
// and their aliases, on top of everything CMultiFilterRecordset offers. Table and column names
// must come from the registered declarations and the system's own texts, never from a
// request; they are checked as identifiers ([A-Za-z_][A-Za-z0-9_]*, TABLE.COLUMN where a
// column is expected, "TABLE ALIAS" where a table is expected) and anything else is refused
// with CDBException (42000).
//
// Owned by its caller; used on one thread at a time (see CMultiFilterRecordset).
#pragma once

#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"

class CDynamicRecordset : public CMultiFilterRecordset
{
public:
    // A recordset with no table of its own yet. Throws CDBException for a null database.
    explicit CDynamicRecordset(CBntDatabase* database);

    using CMultiFilterRecordset::AddAliasToColumn;
    using CMultiFilterRecordset::AddAllColumnsToSet;
    using CMultiFilterRecordset::AddColumnToSet;
    using CMultiFilterRecordset::AddJoin;
    using CMultiFilterRecordset::RemoveColumnFromSet;
    using CMultiFilterRecordset::SetTable;
    using CMultiFilterRecordset::SetupJoin;
};
