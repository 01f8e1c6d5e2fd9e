#include "inhouse/BntLogin/CDefinitionStamps.h"

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CLoginQuery.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/CStoredStamps.h"

#include <atomic>
#include <string>

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
        // A door's request reads the stamps once: its definitions stand on the list stamp it read.
        std::optional<LONGLONG> lists;
        if (!CStoredStamps::ListsOfRequest(lists))
        {
            lists = CStoredStamps::Read(*user->GetDatabase()).lists;
            CStoredStamps::NoteForRequest(lists);
        }
        if (!lists.has_value())
            return std::nullopt;
        return CDefinitionStamps{generation, *rights, *lists};
    }
    catch (const CDBException&)
    {
        return std::nullopt;
    }
}

std::optional<LONGLONG> CDefinitionStamps::ReadSchema(const CAcsUser* user)
{
    if (user == nullptr || !user->IsLoggedIn() || user->GetDatabase() == nullptr)
        return std::nullopt;
    try
    {
        static const std::string kSchemaText = "PRAGMA schema_version";
        const auto row = CLoginQuery::FirstRow(*user->GetDatabase(), kSchemaText, {});
        return row && !(*row)[0].IsNull() ? std::optional<LONGLONG>(CLoginQuery::Integer(*row, 0)) : std::nullopt;
    }
    catch (const CDBException&)
    {
        return std::nullopt;
    }
}

bool CDefinitionStamps::SetsListStamp(CBntDatabase& database, const CString& table)
{
    try
    {
        const auto row = CLoginQuery::FirstRow(
            database,
            "SELECT COUNT(*) FROM sqlite_master WHERE type = 'trigger' AND tbl_name = ?1 COLLATE NOCASE "
            "AND name COLLATE NOCASE IN (?1 || '_I_LISTS', ?1 || '_U_LISTS', ?1 || '_D_LISTS') "
            "AND sql LIKE '%WHERE STAMPID = 2%'",
            {CDBValue(table)});
        return row && CLoginQuery::Integer(*row, 0) == 3;
    }
    catch (const CDBException&)
    {
        return false;
    }
}

long CDefinitionStamps::GetDatabaseGeneration()
{
    return g_databaseGeneration.load();
}

void CDefinitionStamps::NewDatabaseGeneration()
{
    ++g_databaseGeneration;
}
