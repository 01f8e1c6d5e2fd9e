#include "inhouse/BntLogin/CDefinitionStamps.h"

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CLoginQuery.h"
#include "inhouse/BntLogin/CAcsUser.h"

#include <atomic>

namespace {

std::atomic<long> g_databaseGeneration{0};

}  // namespace

std::optional<CDefinitionStamps> CDefinitionStamps::Read(const CAcsUser* user, std::optional<LONGLONG> rights)
{
    if (!rights.has_value() || user == nullptr || !user->IsLoggedIn() || user->GetDatabase() == nullptr)
        return std::nullopt;
    const long generation = GetDatabaseGeneration();
    try
    {
        const std::optional<LONGLONG> lists = ReadListStamp(*user->GetDatabase());
        if (!lists.has_value())
            return std::nullopt;
        return CDefinitionStamps{generation, *rights, *lists};
    }
    catch (const CDBException&)
    {
        return std::nullopt;
    }
}

std::optional<LONGLONG> CDefinitionStamps::ReadListStamp(CBntDatabase& database)
{
    const auto row = CLoginQuery::FirstRow(database, "SELECT STAMP FROM RIGHTS_STAMP WHERE STAMPID = 2", {});
    return row ? std::optional<LONGLONG>(CLoginQuery::Integer(*row, 0)) : std::nullopt;
}

long CDefinitionStamps::GetDatabaseGeneration()
{
    return g_databaseGeneration.load();
}

void CDefinitionStamps::NewDatabaseGeneration()
{
    ++g_databaseGeneration;
}
