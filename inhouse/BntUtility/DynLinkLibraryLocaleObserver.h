// Follows the user-interface locale for one resource library of the installation so that
// its numbered strings come in the current language.
//
// The installation here carries one language, English, in its string table
// (inhouse/BntResources), so there is nothing to switch: the observer records in the
// provider's log that the library is observed and, at its end, that it no longer is.
// Owned by the application module (one per resource library); not shared between threads.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

namespace brontel::utility {

class DynLinkLibraryLocaleObserver
{
public:
    // instance: the module that owns the observer (may be null); libraryName: the resource
    // library's name, such as "BntCommonResources".
    DynLinkLibraryLocaleObserver(HANDLE instance, LPCWSTR libraryName);
    ~DynLinkLibraryLocaleObserver();

    DynLinkLibraryLocaleObserver(const DynLinkLibraryLocaleObserver&) = delete;
    DynLinkLibraryLocaleObserver& operator=(const DynLinkLibraryLocaleObserver&) = delete;

    const CString& GetLibraryName() const { return m_libraryName; }
    HANDLE GetInstance() const { return m_instance; }

private:
    HANDLE m_instance;
    CString m_libraryName;
};

}  // namespace brontel::utility
