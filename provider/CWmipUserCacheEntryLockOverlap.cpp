// CWmipUserCacheEntry: the Onity/ILS lock overlap check of an access level assignment. An
// offline lock keeps a single access entry per badge, so a badge may reach each lock reader
// through one of its access levels only.
#include "provider/CWmipUserCacheEntry.h"

#include <set>
#include <utility>

#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntUserDb/CBntAssignedAcLvlList.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"

using brontel::utility::CWMIDebugLog;

namespace {

using LockReader = std::pair<LONG, LONG>;

// The lock readers the level grants.
std::set<LockReader> LockReadersOf(CBntDatabase* database, LONG accessLevelId)
{
    CDynamicRecordset readers(database);
    readers.SetupJoin(L"ACCLVLINK", L"PANELID", L"OFFLINE_LOCK_READER", L"PANELID");
    readers.AddColumnToSet(L"PANELID", L"ACCLVLINK");
    readers.AddColumnToSet(L"READERID", L"ACCLVLINK");
    readers.AddFilterLong(L"ACCLVLINK.ACCESSLVID", accessLevelId);
    readers.AppendFilter(L"ACCLVLINK.READERID = OFFLINE_LOCK_READER.READERID");
    readers.OpenForwardOnly();
    std::set<LockReader> found;
    for (; !readers.IsEOF(); readers.MoveNext())
        found.emplace(readers.GetLong(0), readers.GetLong(1));
    return found;
}

}  // namespace

bool CWmipUserCacheEntry::CanOnityILSLevelBeAssigned(CBntAssignedAcLvlList& assigned, LONG accessLevelId)
{
    CBntAssignedAcLvlList added;
    added.AddStandard(accessLevelId, 0);
    return CanOnityILSLevelBeAssigned(assigned, added);
}

bool CWmipUserCacheEntry::CanOnityILSLevelBeAssigned(CBntAssignedAcLvlList& assigned, CBntAssignedAcLvlList& added)
{
    CBntDatabase* database = GetUser() != nullptr ? GetUser()->GetDatabase() : nullptr;
    if (database == nullptr)
        return false;
    try {
        std::set<LockReader> held;
        for (const CBntAssignedAcLvlList::Entry& entry : assigned.GetEntries()) {
            for (const LockReader& reader : LockReadersOf(database, entry.levelId))
                held.insert(reader);
        }
        for (const CBntAssignedAcLvlList::Entry& entry : added.GetEntries()) {
            for (const LockReader& reader : LockReadersOf(database, entry.levelId)) {
                if (!held.insert(reader).second)
                    return false;
            }
        }
        return true;
    } catch (const CDBException& e) {
        CWMIDebugLog::LogError(L"CWmipUserCacheEntry", __LINE__, L"Unable to check the lock readers of the levels.",
                               E_FAIL, &e);
        return false;
    }
}
