// CWmipLogicalMapper: what the mappers of the logical sources, devices and sub-devices share:
// one set of permissions, the rules checked after the permission check on add and modify, the
// frame of a write that runs its checks, rows and audit in one transaction and tells the
// servers after it commits, and what each class describes in its Traits: the rows it lists,
// its keys (which name it in the audit text and in the servers' notice), its audit object and
// its configuration message.
//
// Built per request by a derived mapper's factory. One request on one thread: no lock.
#pragma once

#include <cstddef>
#include <functional>
#include <span>

#include "framework/CWmipDynamicClassMapper.h"

class CBntDatabase;

class CWmipLogicalMapper : public CWmipDynamicClassMapper
{
public:
    using Operation = brontel::UserTranOperation::UserTransactionOperation;

    // The byte offsets of the ids in the servers' notice.
    static constexpr std::size_t kSourceWord = 12;
    static constexpr std::size_t kSubDeviceWord = 28;
    static constexpr std::size_t kDeviceWord = 52;

    // A key property of the class and the offset of its word in the servers' notice.
    struct Key
    {
        const wchar_t* property;
        std::size_t noticeWord;
    };

    // The rows of the class: those whose column compares (a CMultiFilterRecordset comparison)
    // to the value; the logical classes share their tables.
    struct Rows
    {
        const wchar_t* column;
        int comparison;
        LONG value;
    };

    // What sets one logical class apart; static data of the derived mapper.
    struct Traits
    {
        // Names the mapper in its exceptions.
        const wchar_t* source;
        LONG auditObject;
        // The configuration message that tells the servers of a change.
        int noticeCode;
        Rows rows;
        // In the order the audit text "Name(key,key,...)" lists them.
        std::span<const Key> keys;
    };

    ~CWmipLogicalMapper() override;

    // The permission check, then with an instance the class's rules.
    void CanAdd(IWbemClassObject* instance) override;
    void CanModify(IWbemClassObject* instance) override;
    // Lists only the class's rows (Traits::rows).
    void FilterInstanceRecordset(CMultiFilterRecordset* recordset) override;
    // "Name(key,key,...)", a missing key as 0.
    CString GetTransactionValues(Operation operation, IWbemClassObject* instance) override;
    // On a delete, RemoveDependents; nothing otherwise.
    void BeforeWriteInstance(Operation operation, IWbemClassObject* instance) override;
    // Sends Traits::noticeCode with the write's action to NoticeSegment, the keys at their words.
    void AfterWriteInstance(Operation operation, IWbemClassObject* instance) override;

protected:
    // `traits` must outlive the mapper.
    CWmipLogicalMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services, const wchar_t* className,
                       const Traits& traits);

    // The class's rules; `create` tells whether the name may match the instance itself.
    virtual void Validate(IWbemClassObject* instance, bool create) = 0;
    // Removes what hangs on the instance about to be deleted, inside the delete's transaction.
    virtual void RemoveDependents(IWbemClassObject* instance) = 0;
    // The segment the servers' notice names. The base: the segment of the instance's source
    // ("SourceID"), 0 when there is none.
    virtual LONG NoticeSegment(IWbemClassObject* instance);

    // The start of an add: CanAdd, the refusal of values given for generated properties, then
    // the next id of idType, written into the instance's "ID" and answered.
    LONG AddWithNewId(IWbemClassObject* instance, LONG idType);

    // Refuses a null instance, then opens the put with OpenOwnPut (the write frame: the
    // permission alone, the records the instance names) and runs `write` (told whether the flags
    // ask for a modify), the audit, AfterWriteInstance (the servers' notice) and the commit in its
    // one transaction, so two writers cannot both pass the name check and the notice leaves only
    // with a committed write.
    void WriteInTransaction(IWbemClassObject* instance, LONG flags,
                            const std::function<void(CBntDatabase& database, bool modify)>& write);

private:
    const Traits& m_traits;
};
