// CBntRowSet: the base of the small forward-only recordsets of this library: the rows of one
// query, read whole when the set is opened, walked with IsEOF and MoveNext.
//
// A per-call object over a database it does not own; not shared between threads. Database
// failures are thrown as CDBException.
#pragma once

#include <string>
#include <vector>

#include "inhouse/BntCoreDb/CDBValue.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CBntDatabase;

class CBntRowSet
{
public:
    explicit CBntRowSet(CBntDatabase* database);
    virtual ~CBntRowSet();
    CBntRowSet(const CBntRowSet&) = delete;
    CBntRowSet& operator=(const CBntRowSet&) = delete;

    // True when the set is not open or stands past its last row.
    bool IsEOF() const;
    // Moves to the next row; nothing past the end.
    void MoveNext();
    // Forgets the rows.
    void Close();

protected:
    // Reads the rows of the query (values bound in order) and stands on the first. Without a
    // database the set stays empty.
    void OpenQuery(const std::string& sql, const std::vector<CDBValue>& params);
    // The column of the current row as a 32-bit number; 0 past the end, for NULL or for a
    // number outside the 32-bit range.
    LONG Long(std::size_t column) const;
    // The column of the current row as text; empty past the end or for NULL.
    CString Text(std::size_t column) const;
    // The column of the current row as bytes; empty past the end or for NULL.
    std::vector<BYTE> Bytes(std::size_t column) const;

private:
    CBntDatabase* m_database;
    std::vector<std::vector<CDBValue>> m_rows;
    std::size_t m_current = 0;
};
