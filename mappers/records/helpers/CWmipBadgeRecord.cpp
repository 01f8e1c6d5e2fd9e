#include "mappers/records/helpers/CWmipBadgeRecord.h"

#include "inhouse/BntResources/BntResourceStrings.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "mappers/records/helpers/CWmipPersonRecord.h"
#include "framework/WmipHostServices.h"
#include "hardware/CfgMessage.h"

using brontel::utility::CWMIDebugLog;

namespace {

constexpr const wchar_t* kBadgeRecordSourceFile = L"wpBadgeMapper.cpp";
constexpr UINT kBadgeAuditResource = 20704;
// The notice's 64-bit badge ID (bytes 72 to 79, where the communication server reads it) and its
// old use limit (the word a fresh message holds at -1).
constexpr std::size_t kBadgeIdOffset = 72;
constexpr std::size_t kUseLimitOffset = CfgMessage::kMinusOneOffset;

}  // namespace

CString CWmipBadgeRecord::OwnerName(CBntDatabase& database, LONG personId)
{
    return CWmipPersonRecord::NameOf(CWmipPersonRecord::Read(database, personId), false);
}

CString CWmipBadgeRecord::IdText(LONGLONG badgeId)
{
    CString text;
    text.Format(L"%I64d", badgeId);
    return text;
}

CString CWmipBadgeRecord::FormatAuditText(LONGLONG badgeId, LONG issueCode, LONG personId, const CString& name)
{
    CString format;
    brontel::resources::LoadResourceString(kBadgeAuditResource, format);
    CString text;
    text.FormatMessage(format, static_cast<const wchar_t*>(IdText(badgeId)), issueCode, personId,
                       static_cast<const wchar_t*>(name));
    return text;
}

void CWmipBadgeRecord::DownloadBadgeToPanel(LONGLONG badgeId, int action, LONG oldUseLimit)
{
    if (badgeId <= 0)
        return;
    CfgMessage message(kDownloadCode, action, 0);
    message.SetLongLong(kBadgeIdOffset, badgeId);
    if (oldUseLimit != kNoUseLimit)
        message.SetLong(kUseLimitOffset, oldUseLimit);
    CWMIDebugLog::LogInfo(kBadgeRecordSourceFile, __LINE__,
                          L"CWmipBadgeMapper::DownloadBadgeToPanel. UpdateCommServer.");
    WmipHostServices::UpdateCommServer(kDownloadCode, message);
}
