// CWmipPooledConnection: one database connection borrowed from the connection manager for the
// length of a scope, given back on every path.
//
// Owned by one scope on one thread; the manager is borrowed and must outlive the object.
#pragma once

class CAcsUser;
class CBntDatabase;
class DBConnectionManager;

class CWmipPooledConnection
{
public:
    // Takes a connection (Connection(0)) when a manager is given; none otherwise.
    explicit CWmipPooledConnection(DBConnectionManager* manager);
    // Gives the connection back when one was taken.
    ~CWmipPooledConnection();
    CWmipPooledConnection(const CWmipPooledConnection&) = delete;
    CWmipPooledConnection& operator=(const CWmipPooledConnection&) = delete;

    // The connection and its database; null when none was had. Valid for the object's life.
    CAcsUser* Get() const { return m_connection; }
    CBntDatabase* GetDatabase() const;

private:
    DBConnectionManager* const m_manager;
    CAcsUser* const m_connection;
};
