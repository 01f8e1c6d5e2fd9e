// CWmipAreaMapper: the mapper of Bnt_Area, the anti-passback areas (AREAAPB). "AreaType" is
// computed from the area's type and panel; the static method "MoveBadge" moves a badge into an
// area as a grant at a reader would, through the global anti-passback utility, after checking
// the badge (of a person the caller may see), the panel and reader in the segment (one the
// caller holds), the caller's right to act on that reader, and the area (of the caller's
// segments) and its segment. Viewing needs
// 0x10000042; areas are never written through this class.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipAreaMapper : public CWmipMapperSkeleton<CWmipAreaMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_Area";

    // AreaType values.
    static constexpr LONG kPanelArea = 2;
    static constexpr LONG kGlobalArea = 3;
    static constexpr LONG kAreaType1 = 4;
    static constexpr LONG kAreaType2 = 5;
    static constexpr LONG kOtherArea = 1;

    // Hooks AREAAPB.AREAAPB_TYPE (ReadAreaType).
    CWmipAreaMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // The AreaType of an area's AREAAPB_TYPE and PANELID.
    static LONG AreaTypeOf(LONG areaType, LONG panelId);

    // "MoveBadge" (names compared without regard to case); no current instance, no audit.
    // 0x80041055 for any other name.
    HRESULT ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG flags, IWbemContext* context,
                          IWbemClassObject* inParams, IWbemObjectSink* sink) override;
    // Reads AREAAPB.PANELID beside the registered columns.
    void SetupInstanceRecordset(CDynamicRecordset* recordset) override;

    // S_OK when the badge was moved; 0x80041008 for a missing parameter; 0x80041003 when the
    // caller may not act on the reader; 0x80040526 for a badge, panel and reader, or area that
    // does not exist or that the caller may not see; 0x80041001 for an area of another segment, a refused move or any
    // failure.
    HRESULT MoveBadge(IWbemClassObject* inParams, IWbemObjectSink* sink);

private:
    // Puts "AreaType" from AREAAPB_TYPE and PANELID.
    HRESULT ReadAreaType(IWbemClassObject& instance, const CMultiFilterRecordset& row, const CString& column);
};
