#include "inhouse/BntAccessSets/CBntRowSet.h"

#include <limits>

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CLoginQuery.h"

CBntRowSet::CBntRowSet(CBntDatabase* database) : m_database(database) {}

CBntRowSet::~CBntRowSet() = default;

bool CBntRowSet::IsEOF() const
{
    return m_current >= m_rows.size();
}

void CBntRowSet::MoveNext()
{
    if (m_current < m_rows.size())
        ++m_current;
}

void CBntRowSet::Close()
{
    m_rows.clear();
    m_current = 0;
}

void CBntRowSet::OpenQuery(const std::string& sql, const std::vector<CDBValue>& params)
{
    Close();
    if (m_database != nullptr)
        m_rows = CLoginQuery::Rows(*m_database, sql, params);
}

LONG CBntRowSet::Long(std::size_t column) const
{
    if (IsEOF())
        return 0;
    const LONGLONG value = CLoginQuery::Integer(m_rows[m_current], column, 0);
    if (value < std::numeric_limits<LONG>::min() || value > std::numeric_limits<LONG>::max())
        return 0;
    return static_cast<LONG>(value);
}

CString CBntRowSet::Text(std::size_t column) const
{
    if (IsEOF() || column >= m_rows[m_current].size() || m_rows[m_current][column].IsNull())
        return CString();
    return m_rows[m_current][column].AsText();
}

std::vector<BYTE> CBntRowSet::Bytes(std::size_t column) const
{
    if (IsEOF() || column >= m_rows[m_current].size() || m_rows[m_current][column].IsNull())
        return {};
    return m_rows[m_current][column].AsBytes();
}
