#include "inhouse/BntDirectories/GetCurrentWindowsSID.h"

#include "platform/security/CallerIdentity.h"

namespace brontel::directories {

HRESULT GetCurrentWindowsSID(CString& sid)
{
    if (CallerIdentity::IsImpersonating())
    {
        if (const auto caller = CallerIdentity::Current())
        {
            sid = CString(caller->Sid());
            return S_OK;
        }
    }
    sid = CString(CallerIdentity::ProcessAccountSid());
    return S_OK;
}

}  // namespace brontel::directories
