// IWmipUserEntry: a caller's logged-in system user as the framework holds it for a request: the
// user, the use count a mapper raises while it holds the entry, and the Onity lock check that
// reads the reader lists the entry keeps.
//
// Implemented by the user cache's entries; the framework never names their class. The directory
// that handed an entry out owns it, except an entry logged in for one request, which its holder
// owns alone and may delete through this interface. Thread-safety is the implementation's (the
// use count is atomic).
#pragma once

#include "platform/win32/WinTypes.h"

class CAcsUser;
class CBntAssignedAcLvlList;

class IWmipUserEntry
{
public:
    virtual ~IWmipUserEntry() = default;

    // The logged-in user; valid while the entry lives.
    virtual CAcsUser* GetUser() const = 0;
    // Raise or lower the use count; the new count.
    virtual int AddRef() = 0;
    virtual int Release() = 0;

    // Whether the new access levels (or the one level) may be assigned next to the assigned
    // ones without two of them sharing an Onity lock reader.
    virtual bool CanOnityILSLevelBeAssigned(const CBntAssignedAcLvlList& assigned,
                                            const CBntAssignedAcLvlList& added) = 0;
    virtual bool CanOnityILSLevelBeAssigned(const CBntAssignedAcLvlList& assigned, LONG accessLevelId) = 0;

protected:
    IWmipUserEntry() = default;
    IWmipUserEntry(const IWmipUserEntry&) = default;
    IWmipUserEntry& operator=(const IWmipUserEntry&) = default;
};
