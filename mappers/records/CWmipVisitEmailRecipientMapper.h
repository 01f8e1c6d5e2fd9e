// CWmipVisitEmailRecipientMapper: the read-only mapper of Bnt_VisitEmailRecipient, the e-mail
// recipients of a visit (VISIT_EMAIL_LINK). A recipient row whose SEGMENTID is -9999 is a plain
// address; any other SEGMENTID stands for the default recipients of that segment, shown as
// IncludeDefaultRecipients true.
//
// Built per request by its factory; the caller owns it. One request on one thread.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipVisitEmailRecipientMapper : public CWmipMapperSkeleton<CWmipVisitEmailRecipientMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_VisitEmailRecipient";
    // The SEGMENTID of a recipient that is not the default recipients of a segment.
    static constexpr LONG kNoDefaultRecipients = -9999;

    // Hooks VISIT_EMAIL_LINK.SEGMENTID (ReadSegment).
    CWmipVisitEmailRecipientMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

private:
    // VISIT_EMAIL_LINK.SEGMENTID: -9999 puts IncludeDefaultRecipients false and no SegmentID;
    // any other value puts SegmentID (a failed put throws CWMIException with its HRESULT) and
    // IncludeDefaultRecipients true.
    HRESULT ReadSegment(IWbemClassObject& instance, const CMultiFilterRecordset& row, const CString& column);
};
