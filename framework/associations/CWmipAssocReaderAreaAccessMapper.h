// CWmipAssocReaderAreaAccessMapper: the base of the associations between a reader and the
// anti-passback area that an access granted at it enters (READER.AREAENTER) or leaves
// (READER.AREALEAVE): one instance per reader with such an area, Reader pointing at the reader
// (READERID, PANELID) and Area at the area (AREAAPBID). Read-only (the association base's
// permissions).
//
// Built per request through a derived mapper; the caller owns it. One request on one thread.
#pragma once

#include "framework/associations/CWmipAssociationMapper.h"

class CWmipAssocReaderAreaAccessMapper : public CWmipAssociationMapper
{
protected:
    // areaColumn: the column of READER that names the association's area.
    CWmipAssocReaderAreaAccessMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                                     const wchar_t* className, const wchar_t* areaColumn);
};
