#include "schema/CWmipPropertyValuesRegistrar.h"

#include "framework/CWmipMapperRegistry.h"
#include "schema/PropertyValueMap.h"

CWmipPropertyValuesRegistrar::CWmipPropertyValuesRegistrar(CString className, CString property, CString attribute,
                                                           CString values, CString labels)
{
    CWmipMapperRegistry::Instance()->RegisterPropertyValues(className, property, attribute,
                                                            BuildPropertyValueMap(values, labels));
}
