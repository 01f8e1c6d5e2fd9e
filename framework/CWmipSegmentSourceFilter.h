// CWmipSegmentSourceFilter: restricts a class's recordset to the records the caller may see, by
// the segment sources the class declares (CWMITypeInfo::SegmentSource). Every read of the
// framework goes through it: enumeration, query, counts and pages, get, the stored row a write or
// delete reads first, and the named-record look-ups that read as the caller.
//
// Own column: the column's table in the join holds the record's segment, restricting while its
// option is on. Owner: the record is seen only with its owner, so the filter is the owner row
// whose keys the naming columns hold, passing the owner's own filter, built from the owner's
// declarations the same way (an owner of an owner is followed, each under a name of its own):
// joined by those keys when they name one row of the owner's table and the owner is required,
// else "EXISTS (that row)". Either way a condition on the one owner row, which the engine finds
// by key (or reaches from the visible owners), never a list of every visible owner. A class with
// several owners (a link) passes each. Not segmented: nothing. A joined table of another class's
// records reads NULL where the caller may not see its row.
// Deny by default: a class without a source, a column the join does not hold, an owner that is
// not registered or a chain of owners deeper than CWMITypeInfo::SegmentSource::kMaxOwnerDepth give a filter no row
// passes.
//
// Any thread. Apply keeps the restrictions it built per class, recordset tables and joins, and
// caller's sign-in, segments and segmentation options, and adds the kept ones to a later
// recordset of the same key (guarded by a lock of its own); a filter that denied is built, and
// its reason logged, on every request.
#pragma once

#include <cstddef>
#include <vector>

class CAcsUser;
class CString;
class CBntDatabase;
class CMultiFilterRecordset;
class CWMITypeInfo;
class IWbemClassObject;

class CWmipSegmentSourceFilter
{
public:
    // Most filters Apply keeps; it starts again with none when it is full.
    static constexpr std::size_t kMaxKeptFilters = 4096;

    CWmipSegmentSourceFilter() = delete;

    // Adds the filter of the class's sources to recordset; nothing for an all-segments user.
    // database is the recordset's (the owners' filters are built on recordsets of it). Throws CDBException
    // for a name the recordset refuses.
    static void Apply(const CAcsUser& user, const CWMITypeInfo& type, CMultiFilterRecordset& recordset,
                      CBntDatabase* database);
    // Restricts the rows of a list table that a property's value list reads: by the sources of
    // the served class whose key is the table's ID, else (a user-defined list) by the table's
    // own SEGMENTID column when it has one.
    static void ApplyToList(const CAcsUser& user, const CString& table, CMultiFilterRecordset& rows,
                            CBntDatabase* database);
    // True when the caller may see the record of the class whose values the instance holds
    // (an event's record, which may be gone from the database): each source admits it, an own
    // column by the read's own rule evaluated over the record's values (the instance's, and for
    // a value it does not hold, such as a person's kind, the stored row's, found by key as the
    // class's read joins the column's table), an owner by the owner's row that the instance's names give,
    // read under the owner's own filter. True for an all-segments user; false for a class
    // without a source or a value neither the instance nor a stored row holds. Throws
    // CDBException.
    static bool Admits(const CAcsUser& user, const CWMITypeInfo& type, IWbemClassObject& instance,
                       CBntDatabase* database);
    // The served class whose records are the rows of a table that another class's read joins
    // (the class Apply judges the joined rows by, so that a hidden one reads NULL), with the
    // table's columns that hold its keys in *keyColumns; null when the table holds no served
    // class's records.
    static const CWMITypeInfo* ClassOfJoinedTable(const CString& table, std::vector<CString>* keyColumns);
    // How many filters Apply keeps now (at most kMaxKeptFilters).
    static std::size_t KeptFilterCount();
};
