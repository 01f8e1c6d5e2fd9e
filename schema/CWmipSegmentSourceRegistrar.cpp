#include "schema/CWmipSegmentSourceRegistrar.h"

#include "common/StringHelpers.h"
#include "framework/CWmipMapperRegistry.h"

#include <utility>

CWmipSegmentSourceRegistrar::CWmipSegmentSourceRegistrar(const CString& className, const CString& table,
                                                         const CString& column, int segmentOption, const CString& names,
                                                         const CString& ownerClass, const CString& ownerKeys,
                                                         const CString& reason, bool optionalEnd)
{
    using Kind = CWMITypeInfo::SegmentSource::Kind;
    CWMITypeInfo::SegmentSource source;
    source.kind = !table.IsEmpty() ? Kind::OwnColumn : !ownerClass.IsEmpty() ? Kind::Owner : Kind::NotSegmented;
    source.table = table;
    source.column = column;
    source.option = static_cast<SegmentOption>(segmentOption);
    if (source.kind == Kind::Owner)
    {
        source.names = SplitTrimmedList(names, L',');
        source.ownerClass = ownerClass;
        source.ownerKeys = SplitTrimmedList(ownerKeys, L',');
        source.optional = optionalEnd;
    }
    source.reason = reason;
    CWmipMapperRegistry::Instance()->RegisterSegmentSource(className, std::move(source));
}
