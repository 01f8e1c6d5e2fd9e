#include "provider/CWmipEventAudience.h"

#include <set>

#include "inhouse/BntLogin/CAcsUser.h"
#include "platform/mfc/ModuleState.h"
#include "platform/security/CallerIdentity.h"
#include "platform/security/SecurityDescriptor.h"
#include "platform/security/Sid.h"
#include "platform/wmi/IWbemEventProviderSecurity.h"
#include "provider/CWmipApp.h"
#include "provider/CWmipEventSubscriber.h"
#include "provider/CWmipUserCacheEntry.h"

void CWmipEventAudience::Add(ULONG queryId)
{
    const CWmipEventSubscriber caller(0, nullptr);
    const CWmipUserCacheEntry* entry = caller.GetEntry();
    std::vector<BYTE> sid;
    if (entry != nullptr)
    {
        sid = SidCodec::FromText(entry->GetSID().GetString()).value_or(std::vector<BYTE>());
    }
    const CheckedMutexLock guard(m_lock);
    m_consumers[queryId] = std::move(sid);
}

void CWmipEventAudience::Remove(ULONG queryId)
{
    const CheckedMutexLock guard(m_lock);
    m_consumers.erase(queryId);
}

std::vector<BYTE> CWmipEventAudience::DescriptorFor(const std::function<bool(IWmipUserEntry&)>& mayRead,
                                                    const wchar_t* source) const
{
    const std::map<unsigned, std::vector<BYTE>> groups = DescriptorsBy(
        [&mayRead](IWmipUserEntry& consumer) { return mayRead(consumer) ? std::optional<unsigned>(0) : std::nullopt; },
        source);
    return groups.empty() ? SecurityDescriptor::AllowOnly({}, WBEM_RIGHT_SUBSCRIBE) : groups.begin()->second;
}

std::map<unsigned, std::vector<BYTE>> CWmipEventAudience::DescriptorsBy(
    const std::function<std::optional<unsigned>(IWmipUserEntry&)>& classify, const wchar_t* source) const
{
    // The provider's own user cache judges, whichever application object the processor thread
    // would find as the process's newest (a host that runs the bus door too has two).
    AFX_MANAGE_STATE(&theApp);
    std::set<std::vector<BYTE>> accounts;
    {
        const CheckedMutexLock guard(m_lock);
        for (const auto& [queryId, sid] : m_consumers)
        {
            if (!sid.empty())
            {
                accounts.insert(sid);
            }
        }
    }
    std::map<unsigned, std::vector<std::vector<BYTE>>> granted;
    for (const std::vector<BYTE>& sid : accounts)
    {
        // No client calls on the processor thread: each consumer is named at identification
        // level, which the user cache resolves by its SID without impersonating anyone.
        const CallerIdentity::Scope identified(
            CallerIdentity(SidCodec::ToText(sid).value_or(std::wstring()), SecurityIdentification));
        const CWmipEventSubscriber consumer(static_cast<LONG>(sid.size()), sid.data());
        if (FAILED(consumer.Check(source)))
        {
            continue;
        }
        if (const std::optional<unsigned> group = classify(*consumer.GetEntry()))
        {
            granted[*group].push_back(sid);
        }
    }
    std::map<unsigned, std::vector<BYTE>> descriptors;
    for (const auto& [group, sids] : granted)
    {
        descriptors.emplace(group, SecurityDescriptor::AllowOnly(sids, WBEM_RIGHT_SUBSCRIBE));
    }
    return descriptors;
}
