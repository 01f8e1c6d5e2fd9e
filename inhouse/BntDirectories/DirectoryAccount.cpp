#include "inhouse/BntDirectories/DirectoryAccount.h"

#include "inhouse/BntUtility/CPasswordHash.h"

namespace brontel::directories {

bool DirectoryAccount::VerifyPassword(std::string_view password) const
{
    return HasPassword() && CPasswordHash::Verify(password, m_passwordHash);
}

}  // namespace brontel::directories
