#include "inhouse/BntUtility/DynLinkLibraryLocaleObserver.h"

#include "inhouse/BntUtility/CWMIDebugLog.h"

namespace brontel::utility {

DynLinkLibraryLocaleObserver::DynLinkLibraryLocaleObserver(HANDLE instance, LPCWSTR libraryName)
    : m_instance(instance), m_libraryName(libraryName == nullptr ? L"" : libraryName)
{
    CWMIDebugLog::LogInfo(L"DynLinkLibraryLocaleObserver", __LINE__,
                          CString(L"Observing the locale for resource library ") + m_libraryName, nullptr, false);
}

DynLinkLibraryLocaleObserver::~DynLinkLibraryLocaleObserver()
{
    CWMIDebugLog::LogInfo(L"DynLinkLibraryLocaleObserver", __LINE__,
                          CString(L"Stopped observing the locale for resource library ") + m_libraryName, nullptr,
                          false);
}

}  // namespace brontel::utility
