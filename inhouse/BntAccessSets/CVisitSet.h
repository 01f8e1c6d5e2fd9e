// CVisitSet: statements over the visits of the installation (VISIT, VISIT_EVENT).
//
// Static builders only: each returns a statement text with its values to bind; thread-safe.
#pragma once

#include <vector>

#include "inhouse/BntCoreDb/CDBValue.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CVisitSet
{
public:
    CVisitSet() = delete;

    // The DELETE of the visit events that serve only the visitor's visits (events no other
    // visitor's visit belongs to), for CBntDatabase::ExecuteSQL; values receives the values to
    // bind (replaced).
    static CString BuildDeleteSingleVisitsEventsForVisitorQuery(LONG visitorId, std::vector<CDBValue>& values);
};
