// CBadgeType: one badge type (BADGETYP with its badge ID settings BADGETYP_IDCONFIG): its class,
// disposability, default access group and segment, the badge ID mode, hand-entry flag and
// default issue code it sets (counting only when its mode is above 0), its badge ID ranges and
// the validity of its new badges.
//
// A value object, read on request; one thread at a time. Copies are independent.
#pragma once

#include <set>

#include "inhouse/BntCore/CBadgeIDConfig.h"
#include "platform/mfc/COleDateTime.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CAcsUser;
class CUserAction;

class CBadgeType
{
public:
    // Read's answer when no badge type has the id.
    static constexpr HRESULT kNotFound = static_cast<HRESULT>(0x20020006);
    // Classes of the stored BADGE_CLASS that the badge rules name.
    static constexpr LONG kVisitorClass = 2;
    static constexpr LONG kShownPinClass = 3;

    explicit CBadgeType(LONG id = 0) : m_id(id) {}

    // Reads the type with the user's connection: S_OK; kNotFound without a row; E_FAIL when the
    // database fails or there is none (logged). The second argument names the original
    // library's database set (-1: the user's own).
    HRESULT Read(const CAcsUser* user, LONG);
    // The segments the type is assigned to: its primary segment (BADGETYP.SEGMENTID). True.
    bool ReadSegmentAssignments(const CAcsUser* user);

    LONG GetID() const { return m_id; }
    const CString& GetName() const { return m_name; }
    LONG GetClass() const { return m_class; }
    bool IsDisposable() const { return m_disposable; }
    LONG GetDefaultAccessGroup() const { return m_defaultGroup; }
    LONG GetPrimarySegmentID() const { return m_segmentId; }
    const std::set<LONG>& GetSegmentAssignments() const { return m_segments; }
    bool AreSegmentsRead() const { return m_segmentsRead; }
    LONG GetBadgeIDMode() const { return m_idMode; }
    bool IsManualBadgeIDAllowed() const { return m_manualId; }
    LONG GetDefaultIssueCode() const { return m_defaultIssueCode; }
    bool ShouldHaveNegativeBadgeId() const { return m_negativeId; }
    CBadgeIDConfig& GetIDConfig() { return m_idConfig; }
    const CBadgeIDConfig& GetIDConfig() const { return m_idConfig; }

    // The print service badges of this type are printed on when the caller names none, read
    // with the user's connection; empty when the type has none, when no such type exists, or
    // when it cannot be read (logged).
    CString DefaultPrintService(const CAcsUser* user) const;
    // True when the user may use this type for a badge: with badge type segmentation enabled
    // the type must be shared (segment -1) or lie in a segment the user may write; always
    // otherwise. False for a null user.
    bool PermissionGranted(const CAcsUser* user, const CUserAction& action) const;
    // True when badges of this type may carry what a segment gives: a shared type (segment -1)
    // or a type of that segment.
    bool HasSegmentAccess(LONG segmentId, const CAcsUser* user) const;
    // True when both types are assigned to the same segments.
    bool CanAccessSameSegmentUnits(const CBadgeType& other, const CAcsUser* user) const;
    // The dates of a new badge: activate today at 00:00:00; deactivate VALID_DAYS later, or
    // null when the type sets no validity.
    void CalculateDates(COleDateTime& activate, COleDateTime& deactivate) const;

private:
    LONG m_id;
    CString m_name;
    LONG m_class = 0;
    bool m_disposable = false;
    LONG m_defaultGroup = 0;
    LONG m_segmentId = -1;
    std::set<LONG> m_segments;
    bool m_segmentsRead = false;
    LONG m_idMode = 0;
    bool m_manualId = true;
    LONG m_defaultIssueCode = 0;
    bool m_negativeId = false;
    LONG m_validDays = 0;
    CBadgeIDConfig m_idConfig;
};
