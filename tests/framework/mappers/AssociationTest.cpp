#include "tests/framework/mappers/MapperTestFixture.h"

#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "platform/com/WbemConstants.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

using namespace mappertest;

namespace {

class Association : public MapperTest
{
protected:
    void SetUp() override
    {
        MapperTest::SetUp();
        LoginCaller();
    }
};

TEST_F(Association, ReferencesAreObjectPathsOfTheReferencedInstances)
{
    auto mapper = MakeMapper(L"Tst_PersonBadge");
    ASSERT_NE(mapper, nullptr);
    // The rows come in no particular order: each badge with its person.
    const std::vector<CString> badges = Enumerate(*mapper, L"", L"Badge");
    const std::vector<CString> persons = Enumerate(*mapper, L"", L"Person");
    ASSERT_EQ(badges.size(), persons.size());
    std::vector<std::pair<std::wstring, std::wstring>> links;
    for (std::size_t i = 0; i < badges.size(); ++i)
        links.emplace_back(badges[i].GetString(), persons[i].GetString());
    std::sort(links.begin(), links.end());
    const std::vector<std::pair<std::wstring, std::wstring>> expected = {
        {L"Tst_Badge.BadgeKey=\"1\"", L"Tst_Person.ID=\"1\""},
        {L"Tst_Badge.BadgeKey=\"2\"", L"Tst_Person.ID=\"4\""},
        {L"Tst_Badge.BadgeKey=\"4\"", L"Tst_Person.ID=\"1\""},
        {L"Tst_Badge.BadgeKey=\"5\"", L"Tst_Person.ID=\"4\""}};
    EXPECT_EQ(links, expected);
}

TEST_F(Association, ConditionsOnReferencesGoToTheReferencedClass)
{
    auto mapper = MakeMapper(L"Tst_PersonBadge");
    ASSERT_NE(mapper, nullptr);
    const struct
    {
        const wchar_t* wql;
        std::vector<CString> keys;
    } cases[] = {
        {L"SELECT * FROM Tst_PersonBadge WHERE Person = 'Tst_Person.ID=1'", Strings({L"1", L"4"})},
        {L"SELECT * FROM Tst_PersonBadge WHERE Badge = 'Tst_Badge.BadgeKey=\"5\"'", Strings({L"5"})},
        // A path of another class, or one that does not parse, cannot match a reference.
        {L"SELECT * FROM Tst_PersonBadge WHERE Badge = 'Tst_Person.ID=1'", Strings({})},
        {L"SELECT * FROM Tst_PersonBadge WHERE Badge = 'Tst_Badge.BadgeKey=\"5'", Strings({})},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Enumerate(*mapper, c.wql, L"BadgeKey"), c.keys) << CStringToUtf8(c.wql);
}

TEST_F(Association, ReferencedMappersAreKeptAndWorkForTheSameCaller)
{
    auto mapper = MakeMapper(L"Tst_PersonBadge");
    ASSERT_NE(mapper, nullptr);
    auto& association = dynamic_cast<CWmipAssociationMapper&>(*mapper);
    CWmipClassMapper* person = association.GetReferencedClassMapper(L"Person");
    ASSERT_NE(person, nullptr);
    EXPECT_EQ(person->GetClassName(), L"Tst_Person");
    EXPECT_EQ(association.GetReferencedClassMapper(L"PERSON"), person);
    EXPECT_EQ(person->GetUserEntry(), m_caller.get());
    EXPECT_EQ(association.GetReferencedClassMapper(L"BadgeKey"), nullptr);
    mapper.reset();
    EXPECT_EQ(m_caller->GetUseCount(), 0);
}

TEST_F(Association, ObjectPathNeedsEveryKeyColumnOnTheRow)
{
    auto badges = MakeMapper(L"Tst_Badge");
    ASSERT_NE(badges, nullptr);
    CDynamicRecordset withKey(m_connection->GetDatabase());
    withKey.SetTable(L"BADGE");
    withKey.AddColumnToSet(L"BADGEKEY", L"BADGE");
    withKey.OpenForwardOnly();
    CString path;
    ASSERT_EQ(badges->GetObjectPath(withKey, path), S_OK);
    EXPECT_EQ(path, L"Tst_Badge.BadgeKey=\"1\"");
    withKey.Close();

    CDynamicRecordset withoutKey(m_connection->GetDatabase());
    withoutKey.SetTable(L"BADGE");
    withoutKey.AddColumnToSet(L"ID", L"BADGE");
    withoutKey.OpenForwardOnly();
    CString untouched(L"unchanged");
    EXPECT_EQ(badges->GetObjectPath(withoutKey, untouched), WBEM_E_FAILED);
    EXPECT_EQ(untouched, L"unchanged");
}

TEST_F(Association, JoinTextsAreKeptInCallOrder)
{
    auto mapper = MakeMapper(L"Tst_PersonBadge");
    ASSERT_NE(mapper, nullptr);
    auto& association = dynamic_cast<CWmipAssociationMapper&>(*mapper);
    association.AddJoin(L"EMP", L"SEGMENTID", L"SEGMENT", L"SEGMENTID");
    EXPECT_EQ(association.GetJoins(), Strings({L"BADGE.EMPID,EMP.ID", L"EMP.SEGMENTID,SEGMENT.SEGMENTID"}));
    // A join text that is not TABLE.COLUMN,TABLE.COLUMN stops the enumeration, not the process.
    association.AddJoin(L"", L"", L"SEGMENT", L"SEGMENTID");
    EXPECT_FALSE(mapper->BeginEnumeration());
}

}  // namespace
