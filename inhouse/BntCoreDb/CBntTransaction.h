// A scoped transaction on a CBntDatabase: begins in the constructor and rolls back in the
// destructor unless Commit was called, so every path out of a multi-table write that does not
// commit leaves nothing half-written.
//
// Owned by the scope that writes; used on that scope's thread only. The database must
// outlive it.
#pragma once

class CBntDatabase;

class CBntTransaction
{
public:
    // Begins a transaction (a savepoint when one is already open). The outermost level takes the
    // database's write lock at once (BEGIN IMMEDIATE): what is read inside stays so until it
    // ends, as no other connection can write meanwhile. Throws CDBException.
    explicit CBntTransaction(CBntDatabase& database);
    // Rolls back when not committed; errors are swallowed (a lost connection has discarded
    // the work already).
    ~CBntTransaction();
    CBntTransaction(const CBntTransaction&) = delete;
    CBntTransaction& operator=(const CBntTransaction&) = delete;

    // Commits this level. Throws CDBException; the work is rolled back then, and the
    // destructor does nothing more. Calling it twice throws CDBException (HY010).
    void Commit();

private:
    // Set at construction.
    CBntDatabase& m_database;
    bool m_finished = false;
};
