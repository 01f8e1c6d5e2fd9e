#include "inhouse/BntCommon/CBntEnterpriseSetup.h"

#include "inhouse/BntCommon/CBntCardholderTrans.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/CBntAcsSystemOptions.h"

namespace {

constexpr const wchar_t* kServerTypeNames[] = {L"Standalone", L"Regional", L"Global"};

}  // namespace

bool CBntEnterpriseSetup::GenerateHardwareTransaction(const CAcsUser* user, LONG tableId, LONG action, LONG recordId)
{
    if (user == nullptr)
        return false;
    if (user->GetSystemOptions().ServerType() == 0)
        return true;
    const COleDateTime now = COleDateTime::GetCurrentTime();
    CBntCardholderTrans transaction(action, tableId, &now);
    transaction.SetRecordID(recordId);
    return transaction.Log(user);
}

CString BntGetDBServerTypeString(LONG serverType)
{
    if (serverType >= 0 && serverType < static_cast<LONG>(std::size(kServerTypeNames)))
        return kServerTypeNames[serverType];
    return L"Unknown";
}
