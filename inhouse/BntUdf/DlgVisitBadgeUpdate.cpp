#include "inhouse/BntUdf/DlgVisitBadgeUpdate.h"

DlgVisitBadgeUpdate::DlgVisitBadgeUpdate(CBntAcsDBMgrVisit&, LONG, void*) {}

INT_PTR DlgVisitBadgeUpdate::DoModal()
{
    return kNotAccepted;
}
