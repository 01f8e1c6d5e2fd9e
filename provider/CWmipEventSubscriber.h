// CWmipEventSubscriber: the consumer an event provider's access check is about: the user-cache
// entry of the SID WMI hands over (the impersonated caller when none), given back when the
// object goes, and the check that the account is linked and may use the data-integration
// service.
//
// Lives for one check on one thread (a subscription's access check on a WMI thread, the
// delivery of one event on the processor thread); the user cache is the application's.
#pragma once

#include <functional>

#include "platform/win32/WinTypes.h"

class CAcsUser;
class CWmipUserCache;
class CWmipUserCacheEntry;

class CWmipEventSubscriber
{
public:
    // Takes the entry of the SID (sidLength bytes; none or a length below 1: the impersonated
    // caller). A SID whose bytes do not form exactly one valid SID is refused (0x80041003).
    CWmipEventSubscriber(LONG sidLength, const BYTE* sid);
    // Gives the entry back.
    ~CWmipEventSubscriber();
    CWmipEventSubscriber(const CWmipEventSubscriber&) = delete;
    CWmipEventSubscriber& operator=(const CWmipEventSubscriber&) = delete;

    // S_OK when the account is linked to a system user holding Permission::kUseProvider. Otherwise logs
    // (under the caller's source name) and answers: the user cache's failure (WBEM_E_FAILED
    // without a cache or user) with CWmipCallerAccess::UnresolvedCallerText's text; 0x80041003
    // with the permission message.
    HRESULT Check(const wchar_t* source) const;
    // Runs a provider's check of the event query and answers its result; a CWMIException gives
    // its HRESULT, any other failure is logged (under source, as an error processing a kind
    // event query) and gives WBEM_E_FAILED. A failure other than an access denial (here and in
    // Check) leaves its reason as the thread's error information, for the caller's refusal.
    static HRESULT RunQueryCheck(const wchar_t* source, const wchar_t* kind, const std::function<HRESULT()>& check);
    // True when the user may see the events of panels of the segment: the segment rule of the
    // subscription's access check and of each event's delivery (-1, an event of no known
    // panel: only an all-segments user).
    static bool MaySeeSegment(const CAcsUser& user, LONG segmentId);
    // The entry and its user; null until Check has passed.
    CWmipUserCacheEntry* GetEntry() const { return SUCCEEDED(m_result) ? m_entry : nullptr; }
    const CAcsUser* GetUser() const;

private:
    // Set at construction; the entry is given back by the destructor.
    CWmipUserCache* const m_cache;
    CWmipUserCacheEntry* m_entry = nullptr;
    HRESULT m_result;
};
