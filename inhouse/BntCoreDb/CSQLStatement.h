// A small SQL statement builder: one table, conditions on its columns with bound values, and
// the columns an UPDATE sets. It produces the text (identifiers validated and quoted, values
// as '?' markers) and the values in marker order, for a row count, an UPDATE or a DELETE.
//
// A value object owned by its caller; not shared between threads.
#pragma once

#include <vector>

#include "inhouse/BntCoreDb/CDBValue.h"
#include "platform/mfc/CString.h"

class CSQLStatement
{
public:
    enum class Kind
    {
        Count,   // SELECT COUNT(*) FROM table WHERE ...
        Update,  // UPDATE table SET ... WHERE ...
        Delete   // DELETE FROM table WHERE ...
    };

    // Comparison of a condition; the numbers are those of CMultiFilterRecordset::ParamCompOperator.
    enum Comparison
    {
        Equal = 0,
        NotEqual = 1,
        Less = 2,
        LessOrEqual = 3,
        Greater = 4,
        GreaterOrEqual = 5,
        Like = 6
    };

    // "TABLE.COLUMN" (or COLUMN alone when table is empty). Throws CDBException (42000) when
    // either name is not a valid identifier.
    static CString ConcatenateTableAndColumn(const CString& table, const CString& column);

    // The table the statement works on: "TABLE" or "TABLE ALIAS". Throws CDBException (42000)
    // for an invalid name.
    void SetFrom(const CString& table);
    const CString& GetFrom() const { return m_from; }

    // Adds the condition table.column <op> value, joined with AND to the others (table may be
    // empty). A NULL value compares with IS NULL (Equal) or IS NOT NULL (NotEqual). Throws
    // CDBException (42000) for an invalid name or an operator outside the list.
    void AddToWhere(const CString& table, const CString& column, const CDBValue& value, int comparison = Equal);

    // Adds column = value to the SET list of an UPDATE. Throws CDBException (42000) for an
    // invalid name.
    void AddToSet(const CString& column, const CDBValue& value);

    // The WHERE conditions alone ("" when there are none) and their values, in marker order.
    CString GetWhere() const;
    std::vector<CDBValue> GetWhereValues() const;

    // The whole statement of the given kind and its values in marker order. Throws
    // CDBException (HY010) when no table was set, or for an UPDATE without SET columns.
    CString GetSQL(Kind kind) const;
    std::vector<CDBValue> GetValues(Kind kind) const;

private:
    struct Condition
    {
        CString column;  // quoted, qualified when a table was given
        int comparison;
        CDBValue value;
    };
    struct Assignment
    {
        CString column;  // quoted
        CDBValue value;
    };

    CString m_from;        // as given
    CString m_fromQuoted;  // quoted table and alias
    std::vector<Condition> m_where;
    std::vector<Assignment> m_set;
};
