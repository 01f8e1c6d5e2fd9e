// CWmipPortavereMapper: the mapper of Bnt_Portavere, the mobile verification class. It serves no
// instances and exists for its five methods: logging a grant or a deny decision, the system's
// recommendation setting, the grant decision for a cardholder's threat level, and the display
// settings of a verification station. The methods carry no permission check of their own.
//
// Built per request by its factory; the caller owns it. One request on one thread.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipPortavereMapper : public CWmipMapperSkeleton<CWmipPortavereMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_Portavere";

    // Keeps user (not owned) for the imported calls.
    CWmipPortavereMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // "LogGrantTransaction", "LogDenyTransaction", "RecommendationSystemSetting", "IsGrant" and
    // "RecommendProperties" without regard to case run their handler; any other name answers
    // 0x80041055. A handler answers S_OK (the two logs) or the HRESULT of its indication; any
    // failure inside it, a log that could not be written among them, answers 0x80041001 with
    // nothing indicated.
    HRESULT ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG flags, IWbemContext* context,
                          IWbemClassObject* inParams, IWbemObjectSink* sink) override;

private:
    // Records a grant or deny decision; S_OK only when it was recorded.
    HRESULT LogDecision(bool granted, IWbemClassObject* inParams);
    HRESULT RecommendationSystemSetting(IWbemObjectSink* sink);
    HRESULT IsGrant(IWbemClassObject* inParams, IWbemObjectSink* sink);
    HRESULT RecommendProperties(IWbemObjectSink* sink);

    // Set at construction; not owned.
    const CAcsUser* const m_user;
};
