#include "schema/CWmipPropertyRegistrar.h"

#include "framework/CWmipMapperRegistry.h"

CWmipPropertyRegistrar::CWmipPropertyRegistrar(CString className, CString property, CIMTYPE cimType, CString table,
                                               CString column, int key, int maxLength, int idType, int segmentOption)
{
    CWmipMapperRegistry::Instance()->RegisterProperty(className, property, cimType, table, column, key, maxLength,
                                                      idType, static_cast<SegmentOption>(segmentOption));
}
