#include "schema/CWmipMethodParameterRegistrar.h"

#include "framework/CWmipMapperRegistry.h"

CWmipMethodParameterRegistrar::CWmipMethodParameterRegistrar(CString className, CString method, bool input,
                                                             CString parameter, CIMTYPE cimType, CString objectClass)
{
    CWmipMapperRegistry::Instance()->RegisterMethodParameter(className, method, input, parameter, cimType, objectClass);
}
