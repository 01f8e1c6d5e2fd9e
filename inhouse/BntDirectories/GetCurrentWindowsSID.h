// The Windows account of the current thread as SID text.
//
// Stateless; thread-safe (the identity is per thread).
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

namespace brontel::directories {

// Sets sid to the SID text of the account the current thread runs as: the client's while
// the thread impersonates it, else the process's own account. S_OK on success; sid is left
// unchanged on failure (there is none today: every thread has an account).
HRESULT GetCurrentWindowsSID(CString& sid);

}  // namespace brontel::directories
