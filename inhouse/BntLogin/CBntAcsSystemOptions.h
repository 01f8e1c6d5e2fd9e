// The installation's system options as a logged-in user sees them: whether segments are in
// use, the database server type, the segmentation switches, the segments themselves and the
// limits and options of their units (SEGMENT_UNIT).
//
// The options are stored as configuration values of the table CONFIG_VALUE (NUMBERVALUE,
// 0 when absent) under the numbers below; the segments are the rows of SEGMENT. Read once by
// Load; a loaded object is read-only, so it may be read from any thread. Owned by its
// CAcsUser (or by the caller that loads one).
#pragma once

#include <array>
#include <map>

#include "inhouse/BntLogin/CSegmentUnit.h"
#include "inhouse/BntLogin/CSegmentationUtility.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CBntDatabase;

// One row of SEGMENT: a segment unit (type 0) or a segment group (type 1); id -1 stands for
// all segments.
class CSegment
{
public:
    CSegment(LONG id, const CString& name, LONG type) : m_id(id), m_name(name), m_type(type) {}

    LONG GetID() const { return m_id; }
    const CString& GetName() const { return m_name; }
    // The kind word: 0 a segment unit, 1 a segment group.
    LONG GetType() const { return m_type; }
    bool IsGroup() const { return m_type == 1; }
    bool IsStandardAllSegmentsSegment() const { return m_id == -1; }

private:
    LONG m_id;
    CString m_name;
    LONG m_type;
};

class CBntAcsSystemOptions
{
public:
    // CONFIG_VALUE numbers of the options.
    static constexpr LONG kSegmentsInUseId = 1001;
    static constexpr LONG kServerTypeId = 1002;
    static constexpr LONG kCardholderSegmentationId = 1003;
    static constexpr LONG kVisitorSegmentationId = 1004;
    static constexpr LONG kBadgeTypeSegmentationId = 1005;
    static constexpr LONG kFlagWordId = 1006;
    static constexpr LONG kOnityLocksId = 1007;
    // Bit of the flag word: visits are served also on a server of type 2.
    static constexpr LONG kVisitsOnAnyServerFlag = 0x4;
    // Non-zero when this system is a region of an enterprise, not its root.
    static constexpr LONG kEnterpriseRegionId = 1608;
    // The PIN options CAcsUser reads on each call: the length kind (6, 9, else 4 digits), whether
    // PINs may be edited, whether they must be unique.
    static constexpr LONG kPinLengthKindId = 1605;
    static constexpr LONG kPinEditableId = 1606;
    static constexpr LONG kPinsUniqueId = 1607;

    // The options a user's rights and system options are read from: every write of one raises
    // the rights stamp (db/schema.sql, the triggers CONFIG_VALUE_*_RIGHTS name exactly these).
    static constexpr std::array<LONG, 8> kRightsStampOptionIds{
        kSegmentsInUseId, kServerTypeId, kCardholderSegmentationId, kVisitorSegmentationId, kBadgeTypeSegmentationId,
        kFlagWordId,      kOnityLocksId, kEnterpriseRegionId};
    // The options a class definition is built or shaped from: every write of one sets the list
    // stamp anew (db/schema.sql, the triggers CONFIG_VALUE_*_LISTS name exactly these): the
    // segmentation switches (a person's segment property, the segment filter of every value
    // list) and the PIN options (the qualifiers of Bnt_Badge.PIN).
    static constexpr std::array<LONG, 7> kListStampOptionIds{kSegmentsInUseId,       kCardholderSegmentationId,
                                                             kVisitorSegmentationId, kBadgeTypeSegmentationId,
                                                             kPinLengthKindId,       kPinEditableId,
                                                             kPinsUniqueId};

    CBntAcsSystemOptions() = default;

    // Reads the options and the segments. Throws the database's CDBException.
    void Load(CBntDatabase& database);

    // Whether segments are in use in the given database (a null database answers false).
    // Throws the database's CDBException.
    static bool SegmentsInUse(CBntDatabase* database);
    // The loaded options.
    bool SegmentsInUse() const { return m_segmentsInUse; }
    // The database server type: 0 a stand-alone database (no replication), other values a
    // database that takes part in replication.
    LONG ServerType() const { return m_serverType; }
    // The installation's option bits (kVisitsOnAnyServerFlag); 0 when none is stored.
    LONG GetFlagWord() const { return m_flagWord; }
    // Whether the installation drives Onity locks (their readers may not overlap between the
    // access levels of one badge).
    bool BntSupportOnityLocks() const { return m_onityLocks; }
    bool IsCardholderSegmentationEnabled() const { return m_segmentsInUse && m_cardholderSegmentation; }
    bool IsVisitorSegmentationEnabled() const { return m_segmentsInUse && m_visitorSegmentation; }
    bool IsBadgeTypeSegmentationEnabled() const { return m_segmentsInUse && m_badgeTypeSegmentation; }
    bool IsEquivalentToEnterpriseRegion() const { return m_enterpriseRegion; }

    // The segment with the id; null when there is none. Valid while this object lives and
    // is not loaded again.
    const CSegment* GetSegment(LONG segmentId) const;
    const std::map<LONG, CSegment>& GetSegments() const { return m_segments; }

    // The visible unit of the segment; null when the segment has none or only a hidden one.
    const CSegmentUnit* GetSegmentUnit(LONG segmentId) const;
    // The hidden unit of the segment; null when the segment has none or only a visible one.
    const CSegmentUnit* GetHiddenSegmentUnit(LONG segmentId) const;
    // The system-wide unit that stands for an installation without segments: the unit of the
    // all-segments segment (-1); null when there is none.
    const CSegmentUnit* GetSystemSegmentUnit() const;
    // The selection rules over these options; valid while this object lives.
    CSegmentationUtility GetSegmentationUtility() const { return CSegmentationUtility(*this); }

private:
    bool m_segmentsInUse = false;
    LONG m_serverType = 0;
    LONG m_flagWord = 0;
    bool m_onityLocks = false;
    bool m_cardholderSegmentation = false;
    bool m_visitorSegmentation = false;
    bool m_badgeTypeSegmentation = false;
    bool m_enterpriseRegion = false;
    std::map<LONG, CSegment> m_segments;
    std::map<LONG, CSegmentUnit> m_segmentUnits;
};
