#include "provider/CWmipMapperLease.h"

#include "framework/CWmipClassMapper.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/DBConnectionManager.h"

#include <utility>

CWmipMapperLease::CWmipMapperLease(DBConnectionManager* connectionManager) : m_connectionManager(connectionManager) {}

CWmipMapperLease::~CWmipMapperLease()
{
    Close();
}

const CAcsUser* CWmipMapperLease::TakeConnection()
{
    if (m_connection == nullptr && m_connectionManager != nullptr)
        m_connection = m_connectionManager->Connection(0);
    return m_connection;
}

const CAcsUser* CWmipMapperLease::BeginRead()
{
    if (TakeConnection() != nullptr && m_reading == nullptr && m_connection->GetDatabase() != nullptr)
    {
        m_connection->GetDatabase()->BeginRead();
        m_reading = m_connection->GetDatabase();
    }
    return m_connection;
}

void CWmipMapperLease::EndRead()
{
    if (m_reading != nullptr)
        std::exchange(m_reading, nullptr)->EndRead();
}

void CWmipMapperLease::SetMapper(std::unique_ptr<CWmipClassMapper> mapper)
{
    m_mapper = std::move(mapper);
}

std::unique_ptr<CWmipClassMapper> CWmipMapperLease::TakeMapper()
{
    return std::move(m_mapper);
}

void CWmipMapperLease::DeleteMapper()
{
    m_mapper.reset();
}

void CWmipMapperLease::Close()
{
    // The mapper's recordset reads through the connection: it must be closed before another
    // request can be lent the same connection.
    m_mapper.reset();
    // No read transaction outlives the request: it would hold back the checkpoints of others'
    // writes and show the next borrower a moment gone by.
    EndRead();
    if (m_connection != nullptr)
    {
        m_connectionManager->ReleaseConnection(m_connection);
        m_connection = nullptr;
    }
}
