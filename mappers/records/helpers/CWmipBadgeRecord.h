// CWmipBadgeRecord: what the badge mappers share about one badge row: its audit text (resource
// 20704: badge ID, issue code, owner and owner's name), the owner's name, and the badge
// download notice to the communication server.
//
// Static functions only, on the database they are given (the calling mapper's connection, inside
// its write's transaction when one is open). Database failures are thrown as CDBException.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CBntDatabase;

class CWmipBadgeRecord
{
public:
    CWmipBadgeRecord() = delete;

    // The code (and type word) of a badge download notice to the communication server.
    static constexpr int kDownloadCode = -11;
    // Actions of a badge download notice.
    static constexpr int kAdded = 1;
    static constexpr int kChanged = 2;
    static constexpr int kRemoved = 3;
    // A notice without an old use limit.
    static constexpr LONG kNoUseLimit = -1;

    // "LASTNAME, FIRSTNAME" of the person; empty when there is none.
    static CString OwnerName(CBntDatabase& database, LONG personId);
    // Resource 20704 with the badge ID, the issue code, the owner and the owner's name.
    static CString FormatAuditText(LONGLONG badgeId, LONG issueCode, LONG personId, const CString& name);
    // The decimal text of a 64-bit badge ID.
    static CString IdText(LONGLONG badgeId);

    // Tells the communication server that the badge changed (CfgMessage of type -11 with the
    // action, the badge ID and, unless kNoUseLimit, the old use limit; code -11), after the
    // commit of the write in progress (WmipHostServices::UpdateCommServer). A badge ID of 0 or below
    // sends nothing. Every path that adds or removes a badge's access sends it.
    static void DownloadBadgeToPanel(LONGLONG badgeId, int action, LONG oldUseLimit);
};
