#include "mappers/records/CWmipSegmentUnitMapper.h"

#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"

CWmipSegmentUnitMapper::CWmipSegmentUnitMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
}

void CWmipSegmentUnitMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    if (recordset == nullptr)
        return;
    recordset->AddFilterLong(L"SEGMENT.TYPE", 0);
    recordset->AddFilterLong(L"SEGMENT.SEGMENTID", -1, CMultiFilterRecordset::NotEqual,
                             CMultiFilterRecordset::AndFilter);
}
