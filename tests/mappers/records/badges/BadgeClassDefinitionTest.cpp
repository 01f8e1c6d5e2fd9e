// The class definition a segment-restricted caller gets of Bnt_Badge through the door, kept by the
// class cache between requests: its TYPE list names the badge types of the caller's segments and
// of every segment, and the next request after any change of those rows or of the caller's
// segments shows it, whoever wrote it (here another connection to the same database, as another
// process would), while a request after no change reads no badge type again.
#include "tests/mappers/records/persons/PersonRecordsTest.h"

#include "platform/com/Variant.h"
#include "tests/support/ArrayTexts.h"
#include "tests/support/StatementRecorder.h"

#include <string>
#include <utility>
#include <vector>

using namespace e2e;

namespace {
// The demo's porter: the operator's rights in segment 1 (Headquarters) only; badge-type
// segmentation is on in the demo.
constexpr const wchar_t* kPorter = L"S-1-5-21-1004336348-1177238915-682003330-1008";
constexpr const char* kPorterSegments =
    "SELECT SEGMENTID FROM USERS WHERE USERID = 3 UNION SELECT SEGMENTID FROM USER_SEGMENT_LINK "
    "WHERE USERID = 3";

using TypeList = std::vector<std::pair<std::string, std::string>>;

class BadgeClassDefinition : public records_test::PersonRecordsTest
{
protected:
    void TearDown() override
    {
        ExecSql("DELETE FROM BADGETYP WHERE ID BETWEEN 71 AND 79; DELETE FROM USER_SEGMENT_LINK WHERE USERID = 3;"
                "INSERT OR IGNORE INTO RIGHTS_STAMP (STAMPID, STAMP) VALUES (2, 0);");
        PersonRecordsTest::TearDown();
    }

    // The TYPE list of the porter's definition as the door answers it: (value, label) in order.
    TypeList PorterTypes()
    {
        CallAs(kPorter);
        const Reply definition = Get(Form::Sync, L"Bnt_Badge");
        TypeList types;
        if (definition.objects.size() != 1)
        {
            ADD_FAILURE() << Hex(definition.result);
            return types;
        }
        ComPtr<IWbemQualifierSet> qualifiers;
        _variant_t values;
        _variant_t labels;
        EXPECT_EQ(definition.objects.front()->GetPropertyQualifierSet(L"TYPE", &qualifiers), WBEM_S_NO_ERROR);
        if (qualifiers == nullptr || qualifiers->Get(L"ValueMap", 0, &values, nullptr) != WBEM_S_NO_ERROR ||
            qualifiers->Get(L"Values", 0, &labels, nullptr) != WBEM_S_NO_ERROR)
        {
            ADD_FAILURE() << "TYPE carries no value list";
            return types;
        }
        const std::vector<std::wstring> valueTexts = support::ArrayTexts(values);
        const std::vector<std::wstring> labelTexts = support::ArrayTexts(labels);
        EXPECT_EQ(valueTexts.size(), labelTexts.size());
        for (std::size_t i = 0; i < valueTexts.size() && i < labelTexts.size(); ++i)
            types.emplace_back(Utf8(valueTexts[i]), Utf8(labelTexts[i]));
        return types;
    }

    // The same list read from the rows: the badge types of every segment and of the porter's.
    static TypeList StoredTypes()
    {
        TypeList types;
        for (const Row& row : DoorInstallation::Rows(std::string("SELECT ID, NAME FROM BADGETYP WHERE SEGMENTID = -1 "
                                                                 "OR SEGMENTID IN (") +
                                                     kPorterSegments + ") ORDER BY ID"))
            types.emplace_back(row.at(0), row.at(1));
        return types;
    }

    // How many statements that read the badge types the porter's next definition runs, and the list.
    std::pair<std::size_t, TypeList> CountedPorterTypes()
    {
        support::StatementRecorder recorder;
        TypeList types = PorterTypes();
        std::size_t reads = 0;
        for (const support::StatementRecorder::Statement& statement : recorder.Statements())
            reads += statement.sql.find("BADGETYP") != std::string::npos ? 1 : 0;
        return {reads, std::move(types)};
    }
};
}  // namespace

TEST_F(BadgeClassDefinition, ARestrictedCallersTypeListFollowsEveryChangeOfItsRowsAndSegments)
{
    const TypeList demo = PorterTypes();
    ASSERT_EQ(demo, StoredTypes());
    ASSERT_FALSE(demo.empty());
    const struct
    {
        const char* change;
        const char* sql;
        // A type of that id and name the porter's list must name after the change (0: none).
        const char* shown;
        // A type the porter's list must not name after it.
        const char* hidden;
    } steps[] = {
        {"a type of the porter's segment added",
         "INSERT INTO BADGETYP (ID, NAME, BADGE_CLASS, DISPOSABLE, DEFGROUP, "
         "SEGMENTID) VALUES (71, 'Porter lodge', 1, 0, 0, 1);",
         "71|Porter lodge", nullptr},
        {"a type of another segment added",
         "INSERT INTO BADGETYP (ID, NAME, BADGE_CLASS, DISPOSABLE, DEFGROUP, "
         "SEGMENTID) VALUES (72, 'Warehouse gate', 1, 0, 0, 2);",
         nullptr, "72"},
        {"the porter's type renamed", "UPDATE BADGETYP SET NAME = 'Night lodge' WHERE ID = 71;", "71|Night lodge",
         "71|Porter lodge"},
        {"a type of every segment renamed", "UPDATE BADGETYP SET NAME = 'Staff' WHERE ID = 1;", "1|Staff",
         "1|Employee"},
        {"the porter's type moved to another segment", "UPDATE BADGETYP SET SEGMENTID = 2 WHERE ID = 71;", nullptr,
         "71"},
        {"the other segment's type moved to the porter's", "UPDATE BADGETYP SET SEGMENTID = 1 WHERE ID = 72;",
         "72|Warehouse gate", nullptr},
        {"the porter's type deleted", "DELETE FROM BADGETYP WHERE ID = 72;", nullptr, "72"},
        {"the porter given the other segment", "INSERT INTO USER_SEGMENT_LINK (USERID, SEGMENTID) VALUES (3, 2);",
         "71|Night lodge", nullptr},
        {"the porter's other segment taken again", "DELETE FROM USER_SEGMENT_LINK WHERE USERID = 3;", nullptr, "71"},
        {"the every-segment type named as before", "UPDATE BADGETYP SET NAME = 'Employee' WHERE ID = 1;", "1|Employee",
         "1|Staff"},
    };
    for (const auto& step : steps)
    {
        SCOPED_TRACE(step.change);
        // The definition as it stands is kept: asked again, it reads no badge type.
        const auto [reads, before] = CountedPorterTypes();
        EXPECT_EQ(reads, 0u) << "a definition kept for the porter is handed out again while nothing changed";
        EXPECT_EQ(before, StoredTypes());
        ExecSql(step.sql);
        const TypeList after = PorterTypes();
        EXPECT_EQ(after, StoredTypes());
        const auto names = [&](const char* entry) {
            const std::string text(entry);
            for (const auto& [id, name] : after)
                if (id + "|" + name == text || id == text)
                    return true;
            return false;
        };
        if (step.shown != nullptr)
        {
            EXPECT_TRUE(names(step.shown)) << step.shown;
        }
        if (step.hidden != nullptr)
        {
            EXPECT_FALSE(names(step.hidden)) << step.hidden;
        }
    }
    // A database made before the list stamp raises none: nothing read from its lists is kept,
    // neither the built definition nor the porter's shaping, so each request reads the types twice.
    ExecSql("DELETE FROM RIGHTS_STAMP WHERE STAMPID = 2;");
    for (int request = 0; request < 2; ++request)
    {
        const auto [reads, types] = CountedPorterTypes();
        EXPECT_EQ(reads, 2u) << "request " << request;
        EXPECT_EQ(types, StoredTypes());
    }
}
