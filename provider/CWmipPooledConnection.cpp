#include "provider/CWmipPooledConnection.h"

#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/DBConnectionManager.h"

CWmipPooledConnection::CWmipPooledConnection(DBConnectionManager* manager)
    : m_manager(manager), m_connection(manager != nullptr ? manager->Connection(0) : nullptr)
{
}

CWmipPooledConnection::~CWmipPooledConnection()
{
    if (m_connection != nullptr)
    {
        m_manager->ReleaseConnection(m_connection);
    }
}

CBntDatabase* CWmipPooledConnection::GetDatabase() const
{
    return m_connection != nullptr ? m_connection->GetDatabase() : nullptr;
}
