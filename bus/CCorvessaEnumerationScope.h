// CCorvessaEnumerationScope: ends a mapper's open enumeration when a bus read is left,
// whatever way. Made right after a BeginEnumeration that returned TRUE.
//
// Lives on the stack of one request; the mapper must outlive it.
#pragma once

#include "framework/CWmipClassMapper.h"

class CCorvessaEnumerationScope
{
public:
    explicit CCorvessaEnumerationScope(CWmipClassMapper* mapper) : m_mapper(mapper) {}
    ~CCorvessaEnumerationScope() { m_mapper->EndEnumeration(); }
    CCorvessaEnumerationScope(const CCorvessaEnumerationScope&) = delete;
    CCorvessaEnumerationScope& operator=(const CCorvessaEnumerationScope&) = delete;

private:
    CWmipClassMapper* m_mapper;
};
