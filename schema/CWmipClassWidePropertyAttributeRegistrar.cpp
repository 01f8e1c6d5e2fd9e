#include "schema/CWmipClassWidePropertyAttributeRegistrar.h"

#include "framework/CWmipMapperRegistry.h"

CWmipClassWidePropertyAttributeRegistrar::CWmipClassWidePropertyAttributeRegistrar(CString className, CString attribute,
                                                                                   int value)
{
    CWmipMapperRegistry::Instance()->RegisterClassWidePropertyAttribute(className, attribute, value);
}
