// CWmipIntrinsicEventMapper: turns one software event (a SoftwareEventPacket with its XML
// text) into an __InstanceCreationEvent, __InstanceModificationEvent or
// __InstanceDeletionEvent whose TargetInstance (and PreviousInstance) is an instance of the
// record's Bnt_ class filled from the XML. While the provider's access check translates an
// event query, it collects the classes the query names with TargetInstance/PreviousInstance
// ISA.
//
// The XML text: a root ROOT (or root) with NEWDATA (or NewData), the values after the change,
// and OLDDATA (or OldData), the values before; a person's EMP element holds VISITOR ("0" for a
// cardholder). Each data element's tables and columns are read by the record class's mapper.
//
// An instance's class whose read joins values from another class's records (a visit's scheduled
// times, from its visit event) serves them only to a reader that may see that record: the
// processor serves each group of subscribers its own form of such an event (FindJoinedRecords,
// HiddenJoinedRecords, Conceal).
//
// Owned by the software event processor. MapEvent and the joined-record steps run only on the
// processor thread and keep nothing between events; ProcessClause and the class list are used by WMI threads only
// between Lock (which empties the list) and Unlock.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "platform/com/Unknown.h"
#include "platform/mfc/CString.h"
#include "provider/CWmipSoftwareEventMapper.h"

class CAcsUser;
class CWmipClassMapper;
class CWMITypeInfo;
class XmlDocument;

class CWmipIntrinsicEventMapper : public CWmipSoftwareEventMapper
{
public:
    // Record kinds of EventType (the other kinds are the SoftwareEventType values).
    static constexpr SHORT kEventTypePerson = 1;
    // Event types from here on are not software events of this mapper.
    static constexpr SHORT kFirstUnhandledEventType = 512;
    // The transaction types.
    static constexpr SHORT kCreated = 1;
    static constexpr SHORT kModified = 2;
    static constexpr SHORT kDeleted = 3;

    CWmipIntrinsicEventMapper(IWbemContext* context, IWbemServices* services);
    ~CWmipIntrinsicEventMapper() override;

    // Consumes "TargetInstance ISA ..." and "PreviousInstance ISA ..." (property without regard
    // to case): the quoted class is added to the class list (Bnt_Person adds Bnt_Cardholder and
    // Bnt_Visitor) and the answer is ProcessClauseKeep, which the translation of an ISA turns
    // into "1=1". Any other comparison answers ProcessClauseDrop and adds nothing.
    ProcessClauseResult ProcessClause(CString& property, int& wqlOperator, CString& literal, CString& extra) override;
    // True for an EventType below 512 (negative ones included).
    bool HandlesEvent(const SoftwareEventPacket& packet) override;
    // The event object (see the class comment); *event stays null on failure. 0; WBEM_E_FAILED for a transaction type
    // other than 1-3 or a record kind without a class mapper (nothing built), for a missing person kind or element, for
    // a failure other than CWMIException; the HRESULT of a CWMIException or of a failed fill or put otherwise (the
    // failures are logged).
    HRESULT MapEvent(IWbemClassObject** event, const SoftwareEventPacket& packet) override;
    // True when the consumer may view the class of TargetInstance and, for a change, of
    // PreviousInstance, as the access check asks of each class a query names (CanViewAll: a
    // query selects other classes too, by NOT or OR), and MayRead of its user admits the event.
    bool MayRead(IWmipUserEntry& consumer, IWbemClassObject& event) override;
    // True when user may read the record of TargetInstance and, for a change, of
    // PreviousInstance, by each class's declared segment sources (CWmipSegmentSourceFilter): a
    // subscriber never learns of a record it cannot read. False for an event without a target,
    // an instance of a class not served, or a failed database read (logged).
    bool MayRead(const CAcsUser& user, IWbemClassObject& event);

    // A record of another class whose values an instance of the event carries where a read of
    // the instance's class joins them: the event property holding the instance, the record's
    // class, the record as its stored row holds it (its whole-number values: keys, segment,
    // owners; null when the instance names no single stored record) and the instance's
    // properties that hold its values.
    struct JoinedRecord
    {
        const wchar_t* holder = nullptr;
        const CWMITypeInfo* type = nullptr;
        ComPtr<IWbemClassObject> stored;
        std::vector<CString> properties;
    };
    // Records past this many share the last bit of HiddenJoinedRecords' answer.
    static constexpr std::size_t kJoinedRecordBits = 32;
    // The joined records of the event's TargetInstance and PreviousInstance, by the read shape of
    // each instance's class mapper (CWmipSegmentSourceFilter::ClassOfJoinedTable names the class
    // of a joined table's rows), each found as the read finds it, by the instance's values of
    // the columns its join matches (a visit's VISIT_EVENTID, a logged event's type and subtype),
    // else by the keys the instance names (the property read from the joined key column, or one
    // the class declares to name a record keyed there);
    // empty for an event whose classes join no other class's values. Throws CWMIException when
    // no database connection can be had, CDBException for a read the database refuses.
    std::vector<JoinedRecord> FindJoinedRecords(IWbemClassObject& event);
    // The records of FindJoinedRecords the consumer may not see, bit i for record i (the last bit
    // for the records from there on), as a read of the instance's class serves their values as
    // NULL: by the record class's segment sources (CWmipSegmentSourceFilter::Admits). 0 for a
    // consumer who sees every segment and while every segmentation option is off; else a record
    // without a stored row, and a failed read (logged), count as hidden.
    unsigned HiddenJoinedRecords(IWmipUserEntry& consumer, const std::vector<JoinedRecord>& records);
    // A copy of the event whose instances hold null in the properties of each hidden record (bits
    // as HiddenJoinedRecords answers them); null when a copy fails.
    static ComPtr<IWbemClassObject> Conceal(IWbemClassObject& event, const std::vector<JoinedRecord>& records,
                                            unsigned hidden);
    // Enters the lock and empties the class list.
    void Lock() override;
    // An instance of this mapper's class (__InstanceOperationEvent) into *object when it is
    // null; 0 and nothing done when it holds an object already.
    virtual HRESULT SpawnEventInstance(IWbemClassObject** object);

    // The classes collected since the last Lock, in the order added. Read between Lock and
    // Unlock.
    const std::vector<CString>& GetClassList() const { return m_classList; }

private:
    // True when the consumer may view the class of the instance the event holds under name, or
    // the event holds none there (CanViewAll).
    bool MayViewClass(IWmipUserEntry& consumer, IWbemClassObject& event, const wchar_t* name);
    // The steps of MapEvent that may throw.
    HRESULT BuildEvent(ComPtr<IWbemClassObject>& event, const SoftwareEventPacket& packet);

    // Guarded by the lock of the base.
    std::vector<CString> m_classList;
};
