// CWmipAccessLevelMapper: the mapper of Bnt_AccessLevel (ACCESSLVL). A level's name is unique
// within its segment and a segment holds at most its unit's number of levels; deleting a level
// removes its reader, group and user links in the delete's own transaction, marks the lock
// hardware of its readers for download and tells the communication server about the level and
// about every active badge that held it.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include <vector>

#include "framework/CWmipMapperSkeleton.h"

class CWmipAccessLevelMapper : public CWmipMapperSkeleton<CWmipAccessLevelMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_AccessLevel";

    // The mapper on the database of user (the pooled connection, which must outlive the mapper).
    CWmipAccessLevelMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // The base check (0x1000000C), then with an instance the name and count rules of an add.
    // Throws CWMIException 0x80041001 with the rule's message.
    void CanAdd(IWbemClassObject* instance) override;
    // The base check (0x1000000D), then with an instance the name rule of a modify.
    void CanModify(IWbemClassObject* instance) override;
    // The audit text names the level and its id.
    CString GetTransactionValues(brontel::UserTranOperation::UserTransactionOperation operation,
                                 IWbemClassObject* instance) override;
    // A delete collects the active badges holding the level and removes the level's links;
    // any failure fails the delete.
    void BeforeWriteInstance(brontel::UserTranOperation::UserTransactionOperation operation,
                             IWbemClassObject* instance) override;
    // After a delete: marks the lock hardware for download and sends the notices.
    void AfterWriteInstance(brontel::UserTranOperation::UserTransactionOperation operation,
                            IWbemClassObject* instance) override;

private:
    enum class ValidationKind
    {
        Add,
        Modify
    };
    void ValidateLevel(IWbemClassObject* instance, ValidationKind kind);
    void CheckLevelCount(const CAcsUser& user, LONG segmentId);
    void MarkLockHardwareForDownload();

    struct ReaderLink
    {
        LONG panelId;
        LONG readerId;
    };
    // The reader links of the level being deleted, gathered before they are removed.
    std::vector<ReaderLink> m_readerLinks;
    // The keys of the active badges that held the level being deleted, gathered before the delete.
    std::vector<LONG> m_badgeDownloadList;
};
