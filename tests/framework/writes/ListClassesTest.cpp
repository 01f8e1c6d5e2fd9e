#include "tests/framework/writes/WritesTestFixture.h"

#include "framework/CWmipListItemMapper.h"
#include "framework/CWmipListObjectClassCache.h"
#include "framework/CWmipQuery.h"

using namespace writestest;

namespace {

class ListClasses : public WritesTest
{
protected:
    void SetUp() override
    {
        WritesTest::SetUp();
        // This program does not load the schema: it installs the list mappers' factory as that load does.
        CWmipMapperRegistry::Instance()->SetListMapperFactory(&CWmipListItemMapper::FactoryFor);
        // Only this test's lists: the demo's own are dropped.
        m_installation.Exec("DELETE FROM DDTBL WHERE ISLIST = 1;"
                            "INSERT INTO SEGMENT (SEGMENTID, NAME, TYPE) VALUES (3, 'Elsewhere', 0);"
                            "CREATE TABLE DEPT (ID INTEGER PRIMARY KEY, NAME TEXT, SEGMENTID INTEGER);"
                            "INSERT INTO DEPT VALUES (1, 'Sales', 1), (2, 'Operations', 2), (3, 'Hidden', 3);"
                            "CREATE TABLE TITLE (ID INTEGER PRIMARY KEY, NAME TEXT);"
                            "INSERT INTO TITLE VALUES (1, 'Dr.');"
                            "INSERT INTO DDTBL (ID, NAME, TBLNAME, ISLIST) VALUES (50, 'Departments', 'DEPT', 1),"
                            " (51, 'Titles', 'TITLE', 1), (52, 'Broken', 'X; DROP TABLE EMP', 1);");
    }

    std::vector<CString> Names(CWmipClassMapper& mapper, const wchar_t* wql)
    {
        std::unique_ptr<CWmipQuery> query;
        if (wql != nullptr)
        {
            query = CWmipQuery::CreateFromQuery(wql);
            EXPECT_NE(query, nullptr);
            mapper.SetQuery(query.get());
        }
        std::vector<CString> names;
        EXPECT_TRUE(mapper.BeginEnumeration());
        while (mapper.HasMoreInstances())
        {
            IWbemClassObject* instance = nullptr;
            EXPECT_EQ(mapper.NextInstance(&instance, 0), S_OK);
            if (instance == nullptr)
                continue;
            names.push_back(support::PropertyCString(instance, L"ID") + L":" +
                            support::PropertyCString(instance, L"Name"));
            instance->Release();
        }
        mapper.EndEnumeration();
        mapper.SetQuery(nullptr);
        return names;
    }
};

TEST_F(ListClasses, TheCacheLoadsEveryListOnceInKeyOrder)
{
    const int lent = m_manager->GetLentCount();
    CWmipListObjectClassCache* cache = CWmipApp::GetListObjectCache();
    ASSERT_NE(cache, nullptr);
    EXPECT_EQ(CWmipApp::GetListObjectCache(), cache);
    EXPECT_EQ(m_manager->GetLentCount(), lent + 1) << "the cache keeps one pooled connection";
    std::vector<CString> classes;
    for (const auto& [name, descriptor] : cache->GetDescriptors())
        classes.push_back(name + L"=" + descriptor.table + L"/" + descriptor.displayName);
    EXPECT_EQ(classes, (std::vector<CString>{L"Bnt_DEPT=DEPT/Departments", L"Bnt_TITLE=TITLE/Titles"}))
        << "a list whose table is not an identifier is skipped";
    ASSERT_NE(cache->Find(L"bnt_dept"), nullptr);
    EXPECT_EQ(cache->Find(L"Bnt_Nothing"), nullptr);
}

TEST_F(ListClasses, TheCacheGivesItsConnectionBack)
{
    const int lent = m_manager->GetLentCount();
    {
        CWmipListObjectClassCache cache(m_manager->Connection(0), m_manager);
        EXPECT_EQ(m_manager->GetLentCount(), lent + 1);
        EXPECT_EQ(cache.GetDescriptors().size(), 2u);
    }
    EXPECT_EQ(m_manager->GetLentCount(), lent);
    CWmipListObjectClassCache empty(nullptr, nullptr);
    EXPECT_TRUE(empty.GetDescriptors().empty());
}

TEST_F(ListClasses, TheRegistryBuildsListMappersThatEnumerateTheListTable)
{
    CWmipListObjectClassCache cache(m_connection, nullptr);
    std::unique_ptr<CWmipClassMapper> mapper(
        CWmipMapperRegistry::GetMapper(m_connection, nullptr, &m_services, L"BNT_DEPT", Door::kWmi, &cache));
    ASSERT_NE(mapper, nullptr);
    EXPECT_EQ(mapper->GetClassName(), L"Bnt_DEPT");
    EXPECT_EQ(CWmipMapperRegistry::GetMapper(m_connection, nullptr, &m_services, L"Bnt_DEPT", Door::kWmi, nullptr),
              nullptr);
    EXPECT_EQ(CWmipMapperRegistry::GetMapper(m_connection, nullptr, &m_services, L"Bnt_None", Door::kWmi, &cache),
              nullptr);
    mapper->SetUserEntry(m_caller.get());

    EXPECT_EQ(Names(*mapper, nullptr), (std::vector<CString>{L"1:Sales", L"2:Operations"})) << "the caller's segments";
    EXPECT_EQ(Names(*mapper, L"SELECT * FROM Bnt_DEPT WHERE Name = 'Operations'"),
              (std::vector<CString>{L"2:Operations"}));
    EXPECT_EQ(Names(*mapper, L"SELECT * FROM Bnt_DEPT WHERE ID = 1"), (std::vector<CString>{L"1:Sales"}));

    ComPtr<IWbemClassObject> definition;
    ASSERT_EQ(mapper->CreateClass(&definition, FALSE), S_OK);
    EXPECT_EQ(support::PropertyCString(definition.Get(), L"__class"), L"Bnt_DEPT");
    ComPtr<IWbemQualifierSet> qualifiers;
    ASSERT_EQ(definition->GetPropertyQualifierSet(L"ID", &qualifiers), S_OK);
    _variant_t key;
    EXPECT_EQ(qualifiers->Get(L"key", 0, &key, nullptr), S_OK);
    ComPtr<IWbemQualifierSet> classQualifiers;
    ASSERT_EQ(definition->GetQualifierSet(&classQualifiers), S_OK);
    _variant_t display;
    ASSERT_EQ(classQualifiers->Get(L"DisplayName", 0, &display, nullptr), S_OK);
    EXPECT_EQ(CString(display.bstrVal), L"Departments");
}

TEST_F(ListClasses, ListsAreReadOnlyThroughTheProvider)
{
    CWmipListObjectClassCache cache(m_connection, nullptr);
    ASSERT_NE(cache.Find(L"Bnt_TITLE"), nullptr);
    CWmipListItemMapper direct(*cache.Find(L"Bnt_TITLE"), m_connection, nullptr, &m_services);
    EXPECT_EQ(direct.GetDescriptor().table, L"TITLE");
    EXPECT_EQ(direct.GetSuperclassName(), L"Bnt_Element");
    std::unique_ptr<CWmipClassMapper> mapper(
        CWmipMapperRegistry::GetMapper(m_connection, nullptr, &m_services, L"Bnt_TITLE", Door::kWmi, &cache));
    ASSERT_NE(mapper, nullptr);
    EXPECT_EQ(mapper->GetClassName(), L"Bnt_TITLE");
    EXPECT_EQ(CWmipMapperRegistry::GetMapper(m_connection, nullptr, &m_services, L"Bnt_NOSUCHLIST", Door::kWmi, &cache),
              nullptr);
    mapper->SetUserEntry(m_caller.get());
    ComPtr<IWbemClassObject> item = NewInstance(*mapper);
    ASSERT_NE(item, nullptr);
    Set(item.Get(), L"Name", _variant_t(L"Prof."));
    EXPECT_EQ(Put(*mapper, item.Get(), WBEM_FLAG_CREATE_ONLY).first, WBEM_E_NOT_SUPPORTED);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TITLE"), "1");
}

}  // namespace
