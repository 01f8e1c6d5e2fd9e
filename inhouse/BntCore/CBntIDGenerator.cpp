#include "inhouse/BntCore/CBntIDGenerator.h"

#include <limits>

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"

using brontel::utility::CWMIDebugLog;

namespace {

constexpr wchar_t kSource[] = L"CBntIDGenerator";

}  // namespace

CBntIDGenerator::CBntIDGenerator(const CAcsUser* user) : m_database(user != nullptr ? user->GetDatabase() : nullptr)
{
}

CBntIDGenerator::CBntIDGenerator(CBntDatabase* database) : m_database(database) {}

LONG CBntIDGenerator::GetNextID(LONG idType, LONG) const
{
    if (m_database == nullptr) {
        CWMIDebugLog::LogError(kSource, __LINE__, L"No database to draw an identifier from.", E_POINTER);
        return 0;
    }
    try {
        const LONGLONG next = m_database->GetNextID(idType);
        if (next <= 0 || next > std::numeric_limits<LONG>::max()) {
            CString text;
            text.Format(L"The identifier counter of type %d is out of range.", idType);
            CWMIDebugLog::LogError(kSource, __LINE__, text, E_FAIL);
            return 0;
        }
        return static_cast<LONG>(next);
    } catch (const CDBException& e) {
        CString text;
        text.Format(L"Unable to draw an identifier of type %d.", idType);
        CWMIDebugLog::LogError(kSource, __LINE__, text, E_FAIL, &e);
        return 0;
    }
}
