// The object kinds every audited record mapper writes its audit and replication entries under:
// each class names its own, a derived class keeps its base's unless it names another, and a
// class that names none writes neither entry.
#include "framework/CWmipClassMapper.h"
#include "framework/MapperFactory.h"
#include "mappers/records/CWmipAccessLevelAssignmentMapper.h"
#include "mappers/records/CWmipAccessLevelMapper.h"
#include "mappers/records/CWmipAccessRequestMapper.h"
#include "mappers/records/CWmipAccountMapper.h"
#include "mappers/records/CWmipBadgeFIPS201.h"
#include "mappers/records/CWmipBadgeMapper.h"
#include "mappers/records/CWmipBadgePropertiesMapper.h"
#include "mappers/records/CWmipBadgeStatusMapper.h"
#include "mappers/records/CWmipBadgeTWICPrivacyKey.h"
#include "mappers/records/CWmipCardholderMapper.h"
#include "mappers/records/CWmipHolidayMapper.h"
#include "mappers/records/CWmipMultimediaObjectMapper.h"
#include "mappers/records/CWmipPersonSecondarySegmentsMapper.h"
#include "mappers/records/CWmipPrecisionAccessGroupAssignmentMapper.h"
#include "mappers/records/CWmipUserMapper.h"
#include "mappers/records/CWmipUserSecondarySegmentMapper.h"
#include "mappers/records/CWmipVisitMapper.h"
#include "mappers/records/CWmipVisitorMapper.h"
#include "mappers/records/WmipMonitoringZoneDeviceLinkMapper.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct AuditKinds
{
    const char* mapper;
    MapperFactory create;
    LONG audit;
    LONG replication;
};

template <typename Mapper>
AuditKinds Kinds(const char* name, LONG audit, LONG replication)
{
    return {name, &Mapper::CreateMapper, audit, replication};
}

TEST(RecordAuditKinds, EachMapperWritesUnderItsClassesKinds)
{
    const AuditKinds table[] = {
        Kinds<CWmipAccessLevelAssignmentMapper>("access level assignment", 14, 8),
        Kinds<CWmipPrecisionAccessGroupAssignmentMapper>("precision group assignment", 14, 8),
        Kinds<CWmipAccessLevelMapper>("access level", 2, 0),
        Kinds<CWmipAccessRequestMapper>("access request", 171, 0),
        Kinds<CWmipAccountMapper>("account", 58, 512),
        Kinds<CWmipBadgeMapper>("badge", 10, 2),
        Kinds<CWmipBadgeFIPS201>("FIPS 201 data", 10, 2),
        Kinds<CWmipBadgeTWICPrivacyKey>("TWIC privacy key", 10, 2),
        Kinds<CWmipBadgePropertiesMapper>("card properties", 48, 2),
        Kinds<CWmipBadgeStatusMapper>("badge status", 53, 0),
        Kinds<CWmipCardholderMapper>("cardholder", 13, 1),
        Kinds<CWmipVisitorMapper>("visitor", 55, 1),
        Kinds<CWmipMultimediaObjectMapper>("multimedia object", 23, 4),
        Kinds<CWmipPersonSecondarySegmentsMapper>("person secondary segment", 43, 1),
        Kinds<CWmipUserMapper>("user", 48, 1024),
        Kinds<CWmipUserSecondarySegmentMapper>("user secondary segment", 48, 1024),
        Kinds<CWmipVisitMapper>("visit", 34, 16),
        Kinds<WmipMonitoringZoneDeviceLinkMapper>("monitoring zone link", 22, 0),
        Kinds<CWmipHolidayMapper>("holiday (not audited)", 0, 0),
    };
    for (const AuditKinds& row : table)
    {
        SCOPED_TRACE(row.mapper);
        const std::unique_ptr<CWmipClassMapper> mapper(
            MapperFactory::AsClassMapper(row.create(nullptr, nullptr, nullptr, Door::kWmi)));
        ASSERT_NE(mapper, nullptr);
        EXPECT_EQ(mapper->GetTransactionObject(), row.audit);
        EXPECT_EQ(mapper->GetReplTransactionObject(), row.replication);
    }
}

}  // namespace
