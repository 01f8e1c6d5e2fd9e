// CWmipSegmentSourceFilter: restricts a class's recordset to the records the caller may see, by
// the segment sources the class declares (CWMITypeInfo::SegmentSource). Every read of the
// framework goes through it: enumeration, query, counts and pages, get, the stored row a write or
// delete reads first, and the named-record look-ups that read as the caller.
//
// Own column: the column's table in the join holds the record's segment, restricting while its
// option is on. Owner: the record is seen only with its owner, so the filter is "the naming
// columns IN (the owner's keys that pass the owner's own filter)", built from the owner's
// declarations the same way (an owner of an owner is followed). Not segmented: nothing.
// Deny by default: a class without a source, a column the join does not hold, an owner that is
// not registered or a chain of owners deeper than kMaxOwnerDepth give a filter no row passes.
//
// Stateless; any thread.
#pragma once

class CAcsUser;
class CBntDatabase;
class CMultiFilterRecordset;
class CWMITypeInfo;

class CWmipSegmentSourceFilter
{
public:
    // How many owners one record may be followed through (a badge extension, its badge, the
    // badge's person).
    static constexpr int kMaxOwnerDepth = 4;

    CWmipSegmentSourceFilter() = delete;

    // Adds the filter of the class's sources to recordset; nothing for an all-segments user.
    // database runs the owners' sub-selects (it must be the recordset's). Throws CDBException
    // for a name the recordset refuses.
    static void Apply(const CAcsUser& user, const CWMITypeInfo& type, CMultiFilterRecordset& recordset,
                      CBntDatabase* database);
};
