// CWmipStoredRows: the walk of a cache or list that loads many rows of the installation's
// tables, which other processes write too. A row holding a value its reader cannot take (a
// text in a number column, a number beyond its type) costs only itself: it is passed over with
// a log line naming its table and key, and every other row is read. Any other failure (a lost
// connection, a missing table) ends the walk and reaches the caller.
//
// Stateless; each walk runs on its caller's thread with the caller's recordset.
#pragma once

#include <functional>
#include <initializer_list>

class CMultiFilterRecordset;

class CWmipStoredRows
{
public:
    CWmipStoredRows() = delete;

    // Calls `read` on each row of the opened recordset, from its current row to its end. A
    // stored value `read` cannot take passes its row over with the log line "Row of TABLE
    // (KEY = VALUE, ...) cannot be read and is passed over: REASON", the key naming columns of
    // the set. `read` reads every value it needs before it changes anything, so that a row
    // passed over leaves nothing behind.
    static void ForEach(CMultiFilterRecordset& rows, const wchar_t* table, std::initializer_list<const wchar_t*> key,
                        const std::function<void()>& read);
};
