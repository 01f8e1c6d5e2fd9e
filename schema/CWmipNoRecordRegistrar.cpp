#include "schema/CWmipNoRecordRegistrar.h"

#include "framework/CWmipMapperRegistry.h"

#include <utility>

CWmipNoRecordRegistrar::CWmipNoRecordRegistrar(const CString& className, CString method, CString name, CString reason)
{
    CWmipMapperRegistry::Instance()->RegisterNoRecord(
        className, CWMITypeInfo::NoRecord{std::move(method), std::move(name), std::move(reason)});
}
