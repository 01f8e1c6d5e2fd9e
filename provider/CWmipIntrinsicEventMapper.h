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
// Owned by the software event processor. MapEvent runs only on the processor thread and keeps
// nothing between events; ProcessClause and the class list are used by WMI threads only
// between Lock (which empties the list) and Unlock.
#pragma once

#include <memory>
#include <vector>

#include "platform/com/Unknown.h"
#include "platform/mfc/CString.h"
#include "provider/CWmipSoftwareEventMapper.h"

class CAcsUser;
class CWmipClassMapper;
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
