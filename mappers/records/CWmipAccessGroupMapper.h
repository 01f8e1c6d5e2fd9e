// CWmipAccessGroupMapper: the mapper of Bnt_AccessGroup (ACCESSGRP), the read-only named sets of
// access levels, with the method AssignGroup: it gives a badge every level of the group that the
// badge does not hold yet, as far as the per-badge limits of each level's segment allow. Levels
// that do not fit are left out and logged; the rest are written in one transaction, and the
// badge is then sent to the panels.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include <functional>
#include <vector>

#include "framework/CWmipMapperSkeleton.h"
#include "mappers/records/helpers/CWmipAccessRules.h"

class CSegmentUnit;

class CWmipAccessGroupMapper : public CWmipMapperSkeleton<CWmipAccessGroupMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_AccessGroup";

    // The mapper on the database of user (the pooled connection, which must outlive the mapper).
    CWmipAccessGroupMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // AssignGroup (name without regard to case) on the group the path names, with the input
    // BadgeKey: S_OK; 0x80041001 when no level list results; throws CWMIException for the
    // refusals (0x80041002 no such group, 0x80041003 no right, 0x80041008 an unknown badge,
    // 0x80041001 a badge that is not active or is disposable). Any other name: 0x80041055.
    HRESULT ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG flags, IWbemContext* context,
                          IWbemClassObject* inParams, IWbemObjectSink* sink) override;

    // The badge's levels followed by the group's levels that fit the per-badge limits of their
    // segments (those the badge holds already are left out; each dropped level is logged). The
    // group's levels are added in ascending level id order. Only a level that is kept uses up
    // a limit. Each level's unit comes from unitOf (null: the level is dropped).
    static std::vector<CBntAssignedAcLvlList::Entry> SelectLevels(
        const std::vector<CBntAssignedAcLvlList::Entry>& group, const std::vector<CBntAssignedAcLvlList::Entry>& badge,
        const std::function<const CSegmentUnit*(LONG segmentKey)>& unitOf);

private:
    HRESULT AssignGroup(CWmipObjectPath* path, IWbemClassObject* inParams);
};
