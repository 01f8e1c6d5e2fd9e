// CWmipVexletManagerMapper: the mapper of Bnt_VexletManager, a service class without records:
// RefreshCache drops every cached class definition of every user, and GetCurrentUser tells the
// caller as whom it is logged in. WMI keeps the class's definition (CWmipManagerClassDefinitions).
// Viewing needs no permission; puts and deletes are not supported; the methods check none.
//
// Built per request by its factory; the caller owns it. One request on one thread.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipVexletManagerMapper : public CWmipMapperSkeleton<CWmipVexletManagerMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_VexletManager";

    CWmipVexletManagerMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // True for exactly "RefreshCache" and "GetCurrentUser" (case-sensitive).
    bool IsMethodSupported(const wchar_t* methodName) override;
    // The two names without regard to case; any other answers 0x80041055. A caller that cannot
    // be resolved is thrown as CWMIException "The system was unable to retrieve the client's
    // identity."; any other failure answers 0x80041001.
    HRESULT ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG flags, IWbemContext* context,
                          IWbemClassObject* inParams, IWbemObjectSink* sink) override;

protected:
    // The mapper of a derived manager class (its own class name).
    CWmipVexletManagerMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                             const wchar_t* className);

private:
    HRESULT RefreshCache();
    // "LASTNAME, FIRSTNAME (USERID)" as the out-parameter ReturnValue of Bnt_VexletManager's
    // GetCurrentUser.
    HRESULT GetCurrentUser(IWbemObjectSink* sink);
};
