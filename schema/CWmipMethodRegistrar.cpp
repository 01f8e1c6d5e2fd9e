#include "schema/CWmipMethodRegistrar.h"

#include "framework/CWmipMapperRegistry.h"

CWmipMethodRegistrar::CWmipMethodRegistrar(CString className, CString method)
{
    CWmipMapperRegistry::Instance()->RegisterMethod(className, method);
}
