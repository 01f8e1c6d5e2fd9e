// IWmipUserDirectory: what the framework asks of the application's user cache: the calling
// client's entry, its return, and the user-defined-field rights of a user's permission group.
//
// Implemented by the user cache (one per application object), which outlives every mapper that
// borrows it; every operation is thread-safe as the cache's own.
#pragma once

#include "platform/win32/WinTypes.h"

class CAcsUser;
class IWmipUserEntry;

class IWmipUserDirectory
{
public:
    // The impersonated client's entry with its use count raised, in *entry (null on failure).
    // S_OK, or S_FALSE for a client at identification level; the cache's failure otherwise
    // (WBEM_E_INVALID_PARAMETER for a null out pointer).
    virtual HRESULT TakeCallerEntry(IWmipUserEntry** entry) = 0;
    // Gives back an entry taken with TakeCallerEntry (null is ignored: S_OK); WBEM_E_FAILED for
    // an entry this directory does not hold.
    virtual HRESULT GiveBackEntry(IWmipUserEntry* entry) = 0;
    // Whether the user may see (or, with forEdit, change) the user-defined field.
    virtual BOOL HasUDFPermission(const CAcsUser* user, LONG fieldId, BOOL forEdit) = 0;

protected:
    IWmipUserDirectory() = default;
    ~IWmipUserDirectory() = default;
    IWmipUserDirectory(const IWmipUserDirectory&) = default;
    IWmipUserDirectory& operator=(const IWmipUserDirectory&) = default;
};
