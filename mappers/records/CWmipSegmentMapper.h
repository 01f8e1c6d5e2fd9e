// CWmipSegmentMapper: the mapper of the abstract class Bnt_Segment (the rows of SEGMENT: segment
// units, TYPE 0, and segment groups, TYPE 1; the row -1 stands for all segments) and the base of
// the unit and group mappers. Read-only; every class of the family shows only the segments the
// caller may reach.
//
// Built per request by its factory; the caller owns it. One request on one thread.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipSegmentMapper : public CWmipMapperSkeleton<CWmipSegmentMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_Segment";

    CWmipSegmentMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // FALSE: the definition is built for each request.
    BOOL WMIStoresClassDefinition() override;
    // Bnt_Segment is abstract and has no superclass; the unit and group classes are concrete
    // and derive from it.
    bool IsAbstractClass() override;
    bool HasSuperclass() override;
    CString GetSuperclassName() override;

protected:
    // The mapper of a class derived from Bnt_Segment (its own class name).
    CWmipSegmentMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services, const wchar_t* className);
};
