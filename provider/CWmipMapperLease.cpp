#include "provider/CWmipMapperLease.h"

#include "framework/CWmipClassMapper.h"
#include "inhouse/BntLogin/DBConnectionManager.h"

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
    if (m_connection != nullptr)
    {
        m_connectionManager->ReleaseConnection(m_connection);
        m_connection = nullptr;
    }
}
