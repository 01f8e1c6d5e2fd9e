#include "mappers/records/CWmipSegmentMapper.h"

CWmipSegmentMapper::CWmipSegmentMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    SetPermissions(kNoPermissionCheck, 0, 0, 0);
}

CWmipSegmentMapper::CWmipSegmentMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                                       const wchar_t* className)
    : CWmipMapperSkeleton(user, context, services, className)
{
    SetPermissions(kNoPermissionCheck, 0, 0, 0);
}

BOOL CWmipSegmentMapper::WMIStoresClassDefinition()
{
    return FALSE;
}

bool CWmipSegmentMapper::IsAbstractClass()
{
    return GetClassName() == kWMIClassName;
}

bool CWmipSegmentMapper::HasSuperclass()
{
    return !IsAbstractClass();
}

CString CWmipSegmentMapper::GetSuperclassName()
{
    return IsAbstractClass() ? CString() : CString(kWMIClassName);
}
