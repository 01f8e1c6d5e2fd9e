#include "provider/CWmipPooledUserEntry.h"

CWmipPooledUserEntry::CWmipPooledUserEntry(CAcsUser* pooledUser)
    : CWmipUserCacheEntry(std::unique_ptr<CAcsUser>(pooledUser), nullptr, 0)
{
}

CWmipPooledUserEntry::~CWmipPooledUserEntry()
{
    // The pool keeps the user: the base must not delete it.
    ReleaseUser();
}
