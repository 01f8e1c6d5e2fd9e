#include "schema/CWmipPropertyAttributeRegistrar.h"

#include "framework/CWmipMapperRegistry.h"

CWmipPropertyAttributeRegistrar::CWmipPropertyAttributeRegistrar(CString className, CString property, CString attribute,
                                                                 int value)
{
    CWmipMapperRegistry::Instance()->RegisterPropertyAttribute(className, property, attribute, value);
}

CWmipPropertyAttributeRegistrar::CWmipPropertyAttributeRegistrar(CString className, CString property, CString attribute,
                                                                 CString value)
{
    CWmipMapperRegistry::Instance()->RegisterPropertyAttribute(className, property, attribute, value);
}
