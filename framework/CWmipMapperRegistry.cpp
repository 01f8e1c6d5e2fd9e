#include "framework/CWmipMapperRegistry.h"

namespace
{
CString UpperName(const CString& name)
{
    CString upper(name);
    upper.MakeUpper();
    return upper;
}
} // namespace

CWmipMapperRegistry* CWmipMapperRegistry::Instance()
{
    static CWmipMapperRegistry registry;
    return &registry;
}

std::map<CString, std::unique_ptr<CWMITypeInfo>>::iterator CWmipMapperRegistry::LookupClassInRegistry(
    const CString& className)
{
    return m_classes.find(UpperName(className));
}

void CWmipMapperRegistry::RegisterClass(const CString& className, const CString& superclassName)
{
    m_classes.insert_or_assign(UpperName(className), std::make_unique<CWMITypeInfo>(className, superclassName));
}

void CWmipMapperRegistry::RegisterProperty(const CString& className, const CString& property, LONG cimType,
                                           const CString& table, const CString& column, int keyFlag, int maxLength)
{
    const auto found = LookupClassInRegistry(className);
    if (found != m_classes.end())
        found->second->AddProperty(property, cimType, table, column, keyFlag, maxLength);
}

void CWmipMapperRegistry::RegisterMethod(const CString& className, const CString& method)
{
    const auto found = LookupClassInRegistry(className);
    if (found != m_classes.end())
        found->second->AddMethod(method);
}

void CWmipMapperRegistry::RegisterMethodParameter(const CString& className, const CString& method, bool isInput,
                                                  const CString& parameter, LONG cimType)
{
    const auto found = LookupClassInRegistry(className);
    if (found != m_classes.end())
        found->second->AddMethodParameter(method, isInput, parameter, cimType);
}

CWMITypeInfo* CWmipMapperRegistry::GetTypeInfo(const CString& className)
{
    const auto found = LookupClassInRegistry(className);
    return found == m_classes.end() ? nullptr : found->second.get();
}
