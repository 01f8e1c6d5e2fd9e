// CWmipSegmentSourceRegistrar: declares to CWmipMapperRegistry, in its constructor, where the
// records of a class take their segments from (see CWMITypeInfo::SegmentSource): its own column
// when a table is given, the record of ownerClass that `names` name when an owner is given
// (names and ownerKeys comma-separated lists of the same length; optionalEnd when a row may leave
// the names NULL), else not segmented for reason.
//
// Holds nothing; runs on the loader thread only, before any other thread of the library.
#pragma once

#include "platform/mfc/CString.h"

class CWmipSegmentSourceRegistrar
{
public:
    CWmipSegmentSourceRegistrar(const CString& className, const CString& table, const CString& column,
                                int segmentOption, const CString& names, const CString& ownerClass,
                                const CString& ownerKeys, const CString& reason, bool optionalEnd = false);
};
