// CWmipVisitEventMapper: the read-only mapper of Bnt_VisitEvent, the event row every visit owns
// (VISIT_EVENT), joined with its host (EMP) for the host's segments. Rows are written only by
// the visit mapper; adding, modifying and deleting through this class are not supported. Its
// date-times are kept as stored (IsUseUTC): LastChanged is UTC, the scheduled times are the
// local times the visit mapper wrote.
//
// Built per request by its factory; the caller owns it. One request on one thread.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipVisitEventMapper : public CWmipMapperSkeleton<CWmipVisitEventMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_VisitEvent";

    // Bnt_VisitEvent on the database of user (the pooled connection, which must outlive it).
    CWmipVisitEventMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // A plain comparison on a property becomes its VISIT_EVENT column (GetTableDotColumn) and
    // is kept; other results pass unchanged.
    ProcessClauseResult ProcessClause(CString& property, int& wqlOperator, CString& literal, CString& extra) override;
    bool IsUseUTC() override;
    // ID, CardholderID, DelegateID, DatabaseID, SignInLocationID, LastChanged and the two
    // scheduled times their VISIT_EVENT columns; any other property the VISIT_EVENT column of
    // its own name.
    CString GetTableDotColumn(const CString& property) override;
    // The framework's columns, joined with the host, without LAST_CHANGED.
    void SetupInstanceRecordset(CDynamicRecordset* recordset) override;
    // The framework's check, then 0x80041003 for a caller short of all segments while
    // cardholder segmentation is enabled.
    void CanViewAll() override;
};
