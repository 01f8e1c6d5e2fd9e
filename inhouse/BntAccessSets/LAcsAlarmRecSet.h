// LAcsAlarmRecSet: the alarm definitions (table ALARM): identity, priority, notification
// flags, audio and instruction links, passwords and acknowledge rules.
//
// Owned by its caller on a database that outlives it; used on one thread (see
// CMultiFilterRecordset). Database failures are thrown as CDBException.
#pragma once

#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"

class LAcsAlarmRecSet : public CMultiFilterRecordset
{
public:
    explicit LAcsAlarmRecSet(CBntDatabase* database);

    // The current row's values (NULL reads as 0 or an empty text; the Is...Null tests tell).
    LONG GetID() const { return GetLong(0); }
    CString GetName() const { return GetText(1); }
    SHORT GetPriority() const { return static_cast<SHORT>(GetLong(2)); }
    WORD GetNotifType() const { return static_cast<WORD>(GetLong(3)); }
    LONG GetAudioNotifID() const { return GetLong(4); }
    LONG GetAudNotRepeatFreq() const { return GetLong(5); }
    LONG GetTextInstrID() const { return GetLong(6); }
    LONG GetAudioInstrID() const { return GetLong(7); }
    LONG GetCCTVControlID() const { return GetLong(8); }
    CString GetViewPassword() const { return GetText(9); }
    CString GetAckPassword() const { return GetText(10); }
    LONG GetAckActionTimeLimit() const { return GetLong(11); }
    LONG GetAckFailureTimeout() const { return GetLong(12); }
    LONG GetAckFailureAction() const { return GetLong(13); }
    bool IsViewPasswordNull() const { return IsFieldNull(9); }
    bool IsAckPasswordNull() const { return IsFieldNull(10); }
    bool IsAckActionTimeLimitNull() const { return IsFieldNull(11); }
};
