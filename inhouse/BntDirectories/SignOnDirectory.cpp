#include "inhouse/BntDirectories/SignOnDirectory.h"

namespace brontel::directories {

SignOnDirectory::SignOnDirectory(CBntDatabase& database, LONG id, const CString& name, bool useManualSSO)
    : m_database(database), m_id(id), m_name(name), m_useManualSSO(useManualSSO)
{
}

std::unique_ptr<CDirectoryLogon> SignOnDirectory::FindAccountByName(const CString& userName) const
{
    auto found = CDirectoryLogon::Find(m_database, m_id, userName);
    return found ? std::make_unique<CDirectoryLogon>(std::move(*found)) : nullptr;
}

bool SignOnDirectory::CheckCredentials(const CDirectoryLogon& account, std::string_view password) const
{
    return account.GetDirectoryID() == m_id && account.Verify(password);
}

}  // namespace brontel::directories
