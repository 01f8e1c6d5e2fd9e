#include "schema/CWmipDynamicPropertyRegistrar.h"

#include "framework/CWmipMapperRegistry.h"

CWmipDynamicPropertyRegistrar::CWmipDynamicPropertyRegistrar(CString className, CString property, CIMTYPE cimType,
                                                             int maxLength)
{
    CWmipMapperRegistry::Instance()->RegisterDynamicProperty(className, property, cimType, maxLength);
}
