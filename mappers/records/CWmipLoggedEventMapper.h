// CWmipLoggedEventMapper: the read-only mapper of Bnt_LoggedEvent, the installation's event
// history: one instance per row of EVENTS, with the event's definition text from EVENT (by
// type and subtype) and the segment of its panel from ACCESSPANE. AccessResult,
// CardholderEntered and Duress are held by no column: they are derived from the event's type
// and subtype while each instance is built, and a WQL condition on them never narrows the SQL.
// Times are stored in UTC. Viewing needs permission 0x30000000; writes are not supported.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipLoggedEventMapper : public CWmipMapperSkeleton<CWmipLoggedEventMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_LoggedEvent";

    // The derived access values of one event (type t, subtype s); written is false when the
    // type and subtype carry none.
    struct AccessValues
    {
        bool written = false;
        LONG accessResult = 0;
        bool cardholderEntered = false;
        bool duress = false;
    };

    // The mapper on the database of user (the pooled connection, which must outlive the
    // mapper), with its three joins and its permission ids. Hooks EVENTS.EVENTTYPE (ReadType).
    CWmipLoggedEventMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
    // The rule that derives the three computed properties from the type and subtype.
    static AccessValues DeriveAccessValues(LONG type, LONG subtype);

    // AccessResult, CardholderEntered and Duress (without regard to case) answer
    // ProcessClauseDrop (the term becomes "1=1"); every other property as the base.
    ProcessClauseResult ProcessClause(CString& property, int& wqlOperator, CString& literal, CString& extra) override;
    // True: EVENT_TIME_UTC is UTC already.
    bool IsUseUTC() override;

private:
    // Writes CardholderEntered, Duress, AccessResult (when the type and subtype carry them) and
    // Type from the current row; the result of the last put.
    HRESULT ReadType(IWbemClassObject& instance, const CMultiFilterRecordset& row, const CString& column);
};
