// CWmipMapper: the calling user's entry, held for the mapper's life or taken per request.
#include "framework/CWmipMapper.h"

#include "framework/IWmipFrameworkHost.h"
#include "framework/IWmipUserDirectory.h"
#include "framework/IWmipUserEntry.h"
#include "platform/com/WbemConstants.h"

void CWmipMapper::SetUserEntry(IWmipUserEntry* entry)
{
    if (entry == nullptr)
    {
        if (m_userEntry != nullptr)
        {
            m_userEntry->Release();
            m_userEntry = nullptr;
        }
        return;
    }
    if (m_userEntry != nullptr)
        return;
    entry->AddRef();
    m_userEntry = entry;
}

HRESULT CWmipMapper::GetUser(CAcsUser** user)
{
    if (user == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *user = nullptr;
    if (m_userEntry == nullptr)
    {
        IWmipUserEntry* entry = nullptr;
        const HRESULT hr = GetUser(&entry);
        if (FAILED(hr))
            return hr;
        if (entry == nullptr)
            return WBEM_E_FAILED;
        // Held from now on for the mapper's life; the lookup's own reference goes back.
        SetUserEntry(entry);
        ReleaseUser(entry);
    }
    CAcsUser* held = m_userEntry->GetUser();
    if (held == nullptr)
        return WBEM_E_FAILED;
    *user = held;
    return S_OK;
}

HRESULT CWmipMapper::GetUser(IWmipUserEntry** entry)
{
    if (entry == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *entry = nullptr;
    if (m_userEntry != nullptr)
    {
        m_userEntry->AddRef();
        *entry = m_userEntry;
        return S_OK;
    }
    IWmipFrameworkHost* host = IWmipFrameworkHost::Current();
    if (host == nullptr || host->IsConnectionPoolingDisabled() == 0)
    {
        if (m_userDirectory == nullptr)
            return WBEM_E_FAILED;
        return m_userDirectory->TakeCallerEntry(entry);
    }
    if (m_ownedEntry != nullptr)
    {
        m_ownedEntry->AddRef();
        *entry = m_ownedEntry.get();
        return S_OK;
    }
    const HRESULT hr = host->LogInCallerForRequest(m_connectionManager, &m_ownedEntry);
    if (FAILED(hr))
        return hr;
    m_ownedEntry->AddRef();
    *entry = m_ownedEntry.get();
    return S_OK;
}

void CWmipMapper::ReleaseUser(IWmipUserEntry* entry)
{
    if (entry == nullptr)
        return;
    if (entry == m_userEntry || entry == m_ownedEntry.get())
    {
        entry->Release();
        return;
    }
    if (m_userDirectory != nullptr)
        m_userDirectory->GiveBackEntry(entry);
}
