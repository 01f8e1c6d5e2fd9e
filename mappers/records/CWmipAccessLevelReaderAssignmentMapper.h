// CWmipAccessLevelReaderAssignmentMapper: the read-only mapper of Bnt_AccessLevelReaderAssignment,
// the reader links of the access levels (ACCLVLINK) with their level, reader and timezone.
// Viewing needs permission 0x1000000B; writes are not supported.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipAccessLevelReaderAssignmentMapper : public CWmipMapperSkeleton<CWmipAccessLevelReaderAssignmentMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_AccessLevelReaderAssignment";

    // The mapper on the database of user (the pooled connection, which must outlive the mapper).
    CWmipAccessLevelReaderAssignmentMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // Reads the timezone's name as TIMEZONENAME beside the level's own DESCRIPT; keeps only the
    // links whose reader's panel stands in the caller's segments.
    void FilterInstanceRecordset(CMultiFilterRecordset* recordset) override;
};
