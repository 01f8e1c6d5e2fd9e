// CWmipMapperLease: one pooled database connection of a request and the mapper built on it.
// Gives them back in the one order that keeps the pool sound: the mapper first (deleting it
// closes its recordset, which reads through the connection), then the connection.
//
// Owned by one request on one thread (no lock). The connection manager is borrowed and must
// outlive the lease; a null manager lends nothing.
#pragma once

#include <memory>

class CAcsUser;
class CBntDatabase;
class CWmipClassMapper;
class DBConnectionManager;

class CWmipMapperLease
{
public:
    explicit CWmipMapperLease(DBConnectionManager* connectionManager);
    // Close().
    ~CWmipMapperLease();
    CWmipMapperLease(const CWmipMapperLease&) = delete;
    CWmipMapperLease& operator=(const CWmipMapperLease&) = delete;

    // Takes a connection from the pool unless one is held already. The held connection; null
    // when the pool has none (or there is no pool). Valid until Close.
    const CAcsUser* TakeConnection();
    // The held connection; null when none.
    const CAcsUser* GetConnection() const { return m_connection; }
    // Takes a connection (TakeConnection) and opens a read transaction on it (CBntDatabase::
    // BeginRead), which lasts until EndRead, Close or the connection's first write: the request's
    // reads on it see one moment of the database, for the cost of one transaction. The held
    // connection; null when the pool has none. Throws CDBException.
    const CAcsUser* BeginRead();
    // Ends the read transaction, if one is open. Never throws.
    void EndRead();

    // Keeps the mapper (deleting one kept before).
    void SetMapper(std::unique_ptr<CWmipClassMapper> mapper);
    // The kept mapper; null when none. Valid until the mapper is deleted or handed over.
    CWmipClassMapper* GetMapper() const { return m_mapper.get(); }
    // Hands the kept mapper over (null when none); the connection stays held.
    std::unique_ptr<CWmipClassMapper> TakeMapper();
    // Deletes the kept mapper; nothing when none.
    void DeleteMapper();

    // Deletes the mapper, ends the read transaction, then gives the connection back. Safe to
    // call more than once.
    void Close();

private:
    // Set at construction.
    DBConnectionManager* const m_connectionManager;

    const CAcsUser* m_connection = nullptr;
    // The held connection's database while a read transaction of this lease is open.
    CBntDatabase* m_reading = nullptr;
    std::unique_ptr<CWmipClassMapper> m_mapper;
};
