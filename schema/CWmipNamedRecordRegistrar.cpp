#include "schema/CWmipNamedRecordRegistrar.h"

#include "common/StringHelpers.h"
#include "framework/CWmipMapperRegistry.h"

#include <utility>

CWmipNamedRecordRegistrar::CWmipNamedRecordRegistrar(CString className, CString method, const CString& names,
                                                     CString referencedClass, const CString& referencedKeys,
                                                     NamedRecordRoad road)
{
    CWMITypeInfo::NamedRecord record;
    record.method = std::move(method);
    record.names = SplitTrimmedList(names, L',');
    record.referencedClass = std::move(referencedClass);
    record.referencedKeys = SplitTrimmedList(referencedKeys, L',');
    record.road = road;
    CWmipMapperRegistry::Instance()->RegisterNamedRecord(className, std::move(record));
}
