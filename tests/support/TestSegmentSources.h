// Segment sources for the classes tests register by hand: the framework serves no record of a
// class that does not say where its segments come from.
#pragma once

#include <vector>

#include "framework/CWmipMapperRegistry.h"

namespace support {

// The class's records stand in no segment.
inline void DeclareNotSegmented(const wchar_t* className)
{
    CWMITypeInfo::SegmentSource source;
    source.reason = L"A class of the tests that holds no segment.";
    CWmipMapperRegistry::Instance()->RegisterSegmentSource(className, source);
}

// The class's records stand in the segment of table.SEGMENTID while segments are in use.
inline void DeclareOwnSegment(const wchar_t* className, const wchar_t* table)
{
    CWMITypeInfo::SegmentSource source;
    source.kind = CWMITypeInfo::SegmentSource::Kind::OwnColumn;
    source.table = table;
    source.column = L"SEGMENTID";
    source.option = SegmentOptionSegments;
    CWmipMapperRegistry::Instance()->RegisterSegmentSource(className, source);
}

// The class's records are seen with the owner's record that the name gives as the owner's key.
inline void DeclareBelongsTo(const wchar_t* className, const wchar_t* name, const wchar_t* ownerClass,
                             const wchar_t* ownerKey)
{
    CWMITypeInfo::SegmentSource source;
    source.kind = CWMITypeInfo::SegmentSource::Kind::Owner;
    source.names = {name};
    source.ownerClass = ownerClass;
    source.ownerKeys = {ownerKey};
    CWmipMapperRegistry::Instance()->RegisterSegmentSource(className, source);
}

}  // namespace support
