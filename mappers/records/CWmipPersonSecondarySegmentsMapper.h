// CWmipPersonSecondarySegmentsMapper: the mapper of Bnt_PersonSecondarySegments, the secondary
// segments of persons (EMP_SEGMENT_LINK, one instance per person and segment). Links are added
// and deleted, never modified; both writes check the person, the segment, the person kind's
// segmentation and the caller's segment access, an add also the segmentation rules and that
// the segment is not assigned already. Each write is audited as a modification of the person
// and stamps the person as changed.
//
// Built per request by its factory; the caller owns it. One request on one thread.
#pragma once

#include "framework/CWmipMapperSkeleton.h"
#include "mappers/records/CWmipPersonPartMapper.h"

class CWmipPersonSecondarySegmentsMapper
    : public CWmipMapperSkeleton<CWmipPersonSecondarySegmentsMapper, CWmipPersonPartMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_PersonSecondarySegments";

    CWmipPersonSecondarySegmentsMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // The framework's check of the view id (the rows carry no person kind).
    HRESULT CanView() override;
    // The framework's check, then, with an instance, CheckSecondarySegment.
    void CanAdd(IWbemClassObject* instance) override;
    void CanDelete(IWbemClassObject* instance) override;
    // The framework's audit and replication, always as a modification (6) of the person.
    void LogTransaction(brontel::UserTranOperation::UserTransactionOperation operation,
                        IWbemClassObject* instance) override;
    // Resource 20702 with PersonID and "LASTNAME, FIRSTNAME MIDNAME".
    CString GetTransactionValues(brontel::UserTranOperation::UserTransactionOperation operation,
                                 IWbemClassObject* instance) override;

    // The rules of an add (isAdd) or a delete, thrown as CWMIException: 0x80041028 without
    // PersonID or SegmentID; 0x80041008 for an unknown person or segment; 0x80041001 when the
    // person kind's segmentation is off; 0x80041003 without write access (type 2) to the
    // person's primary segment or access (type 1) to the segment; for an add, 0x80041001 "This
    // segment is already assigned." and "Cannot assign this segment based on segmentation
    // rules.".
    void CheckSecondarySegment(bool isAdd, IWbemClassObject* instance);
};
