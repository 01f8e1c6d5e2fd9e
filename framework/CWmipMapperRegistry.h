// CWmipMapperRegistry: the process-wide registry of class descriptions (CWMITypeInfo), keyed
// by class name without regard to case.
//
// One instance per process (Instance). Filled by the static registrations while the module
// loads, one after another on one thread, and only read afterwards: it takes no lock.
// Registration operations that name a class not registered yet do nothing.
#pragma once

#include "framework/CWMITypeInfo.h"
#include "platform/mfc/CString.h"

#include <map>
#include <memory>

class CWmipMapperRegistry
{
public:
    CWmipMapperRegistry(const CWmipMapperRegistry&) = delete;
    CWmipMapperRegistry& operator=(const CWmipMapperRegistry&) = delete;

    // The one registry, built on first use; never null.
    static CWmipMapperRegistry* Instance();

    // Registers a fresh description of className (replacing any earlier one of that name)
    // derived from superclassName (empty for none).
    void RegisterClass(const CString& className, const CString& superclassName);
    // Forwards to CWMITypeInfo::AddProperty of the class.
    void RegisterProperty(const CString& className, const CString& property, LONG cimType, const CString& table,
                          const CString& column, int keyFlag, int maxLength);
    // Forward to CWMITypeInfo::AddMethod and AddMethodParameter of the class.
    void RegisterMethod(const CString& className, const CString& method);
    void RegisterMethodParameter(const CString& className, const CString& method, bool isInput,
                                 const CString& parameter, LONG cimType);

    // The description of the class (name matched without regard to case), owned by the
    // registry and valid for the process's life; null when the class is not registered.
    CWMITypeInfo* GetTypeInfo(const CString& className);

private:
    CWmipMapperRegistry() = default;

    std::map<CString, std::unique_ptr<CWMITypeInfo>>::iterator LookupClassInRegistry(const CString& className);

    // Keyed by the upper-cased class name.
    std::map<CString, std::unique_ptr<CWMITypeInfo>> m_classes;
};
