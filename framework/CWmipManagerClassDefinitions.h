// CWmipManagerClassDefinitions: the stored definitions of the two manager classes,
// Bnt_VexletManager and Bnt_FluxmereManager. The schema declares neither: WMI keeps their
// definitions (each with the methods RefreshCache and GetCurrentUser, whose out-parameter
// ReturnValue is a string), so the WMI-service stand-in and the bus front end's namespace are
// given them here.
//
// Static data and functions; thread-safe.
#pragma once

#include <memory>

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CCorvessaClassObject;
class IWbemClassObject;
class WbemRepository;

class CWmipManagerClassDefinitions
{
public:
    CWmipManagerClassDefinitions() = delete;

    static constexpr const wchar_t* kVexletManager = L"Bnt_VexletManager";
    static constexpr const wchar_t* kFluxmereManager = L"Bnt_FluxmereManager";

    // True for the name of one of the two classes (without regard to case).
    static bool IsManagerClass(const CString& className);
    // Stores both definitions (served by "BntProvider") in the repository. WBEM_S_NO_ERROR; the
    // first failure otherwise.
    static HRESULT AddTo(WbemRepository& repository);
    // The bus front end's definition of a manager class; null for any other name.
    static std::unique_ptr<CCorvessaClassObject> BuildForBus(const CString& className);

private:
    // Puts the methods and the provider qualifiers into a definition of the class.
    static HRESULT Fill(IWbemClassObject* definition);
};
