#include "schema/CWmipClassAttributeRegistrar.h"

#include "framework/CWmipMapperRegistry.h"

CWmipClassAttributeRegistrar::CWmipClassAttributeRegistrar(CString className, CString attribute, int value)
{
    CWmipMapperRegistry::Instance()->RegisterClassAttribute(className, attribute, value);
}
