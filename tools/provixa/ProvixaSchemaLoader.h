// ProvixaSchemaLoader: fills the WMI service stand-in's class repository with the Bnt_ classes
// as the installation declares them: for every class of the mapper registry, its definition
// (CWMITypeInfo::GetTypeInformation: properties with their CIM types and qualifiers, methods
// with their signatures, class qualifiers) copied into a class of the repository below its
// superclass, marked with the class qualifiers "Dynamic" = true and "Provider" =
// "BntProvider" so that the service sends its instance requests to the provider, and
// "abstract" = true for the registry's abstract classes. A class whose definition the provider
// builds per caller goes below the superclass its mapper names. The hardware event classes
// (WbemSecurityEventClasses) are stored too, as the installation's repository holds them.
//
// Stateless; Load runs on one thread after the library has loaded (the registry is then only
// read) with the library's application object current.
#pragma once

#include "platform/win32/WinTypes.h"

#include <string>

class WbemRepository;

class ProvixaSchemaLoader
{
public:
    // The provider name the classes carry.
    static constexpr wchar_t kProviderName[] = L"BntProvider";

    ProvixaSchemaLoader() = delete;

    // Puts every registered class into the repository, superclasses first. WBEM_S_NO_ERROR;
    // otherwise the first failure, with *failedClass naming the class it concerned (a class
    // whose superclass is not registered fails with WBEM_E_INVALID_SUPERCLASS; a class whose
    // definition cannot be copied, with the HRESULT of the refused step).
    static HRESULT Load(WbemRepository& repository, std::wstring* failedClass);
};
