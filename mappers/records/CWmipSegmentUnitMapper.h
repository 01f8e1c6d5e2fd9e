// CWmipSegmentUnitMapper: the mapper of Bnt_SegmentUnit, the segment units (SEGMENT rows of TYPE
// 0, never the all-segments row -1). Read-only; the caller sees only the units it may reach.
//
// Built per request by its factory; the caller owns it. One request on one thread.
#pragma once

#include "mappers/records/CWmipSegmentMapper.h"

class CWmipSegmentUnitMapper : public CWmipMapperSkeleton<CWmipSegmentUnitMapper, CWmipSegmentMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_SegmentUnit";

    CWmipSegmentUnitMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // TYPE 0 and not the row -1.
    void FilterInstanceRecordset(CMultiFilterRecordset* recordset) override;
};
