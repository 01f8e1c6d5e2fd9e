#include "schema/CWmipNamedRecordRegistrar.h"

#include "common/StringHelpers.h"
#include "framework/CWmipMapperRegistry.h"

#include <utility>

CWmipNamedRecordRegistrar::CWmipNamedRecordRegistrar(CString className, CString method, const CString& names,
                                                     CString referencedClass, const CString& referencedKeys,
                                                     HRESULT refusal)
{
    CWMITypeInfo::NamedRecord record;
    record.method = std::move(method);
    record.names = SplitTrimmedList(names, L',');
    record.referencedClass = std::move(referencedClass);
    record.referencedKeys = SplitTrimmedList(referencedKeys, L',');
    record.refusal = refusal;
    CWmipMapperRegistry::Instance()->RegisterNamedRecord(className, std::move(record));
}
