// Fixture of the read-only record mapper tests: a fresh PROVIXA_HOME holding the demo
// installation (db/schema.sql and db/demo.sql at the default data source), a pooled connection
// logged in as the system administrator, and the caller of the requests: the demo operator
// (segments 1 and 2, groups 1-3), optionally with extra rights granted to its system group
// before it logs in, or the administrator. Mappers are driven the way the instance provider
// drives them: built by name, view check, SetQuery, BeginEnumeration, NextInstance.
//
// Used by tests/mappers/records/eventconfig, tests/mappers/records/calendar, tests/mappers/devices and
// tests/framework/rules.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "framework/objects/CCorvessaNamespace.h"
#include "framework/CWmipClassMapper.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/CWmipObjectPath.h"
#include "framework/CWmipQuery.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/CString.h"
#include "platform/mfc/ModuleState.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/IWbemQualifierSet.h"
#include "provider/CWmipUserCacheEntry.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/PropertyText.h"
#include "tests/support/TemporaryHome.h"
#include "tests/support/TestSqlite.h"

namespace demomapper {

using Instance = ComPtr<IWbemClassObject>;
using Table = std::vector<std::vector<std::string>>;

// The demo operator's system permission group.
constexpr LONG kOperatorSystemGroup = 1;

// The HRESULT of a call that may answer or throw CWMIException (S_OK when it does neither).
inline HRESULT Outcome(const std::function<HRESULT()>& call, CString* message = nullptr)
{
    try
    {
        return call();
    }
    catch (const brontel::utility::CWMIException& e)
    {
        if (message != nullptr)
            *message = e.GetText();
        return e.GetHResult();
    }
}

// A WQL text on a class, one property, and the values of that property (in text order) of the
// instances the query selects.
struct SelectionCase
{
    const wchar_t* className;
    const wchar_t* wql;
    const wchar_t* property;
    std::vector<std::string> expected;
};

// The first value of each row, in text order.
inline std::vector<std::string> FirstColumn(const Table& table)
{
    std::vector<std::string> values;
    for (const auto& row : table)
        values.push_back(row.at(0));
    std::sort(values.begin(), values.end());
    return values;
}

class DemoMapperTest : public ::testing::Test
{
protected:
    DemoMapperTest() : m_noApplication(static_cast<CWinApp*>(nullptr)) {}

    void SetUp() override
    {
        m_path = (m_home.Path() / "provixa.db").string();
        support::InstallationDatabase::CreateDemo(m_path);
        m_connection = std::make_unique<CAcsUser>();
        ASSERT_TRUE(m_connection->LoginAsSA(DataSource()));
    }

    CString DataSource() const { return CString(("sqlite:" + m_path).c_str()); }

    // Runs SQL text on the installation's database; fails the test on an error.
    void Exec(const std::string& sql) const { support::InstallationDatabase::Execute(m_path, sql); }

    // The rows of a query with every value as text ("<null>" for NULL).
    Table Rows(const std::string& sql) const
    {
        Table rows;
        const support::SqliteDatabase db = support::OpenSqlite(m_path);
        if (db == nullptr)
            return rows;
        sqlite3_stmt* statement = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db.get(), sql.c_str(), -1, &statement, nullptr), SQLITE_OK) << sql;
        while (statement != nullptr && sqlite3_step(statement) == SQLITE_ROW)
        {
            std::vector<std::string> row;
            for (int i = 0; i < sqlite3_column_count(statement); ++i)
            {
                const unsigned char* text = sqlite3_column_text(statement, i);
                row.emplace_back(text != nullptr ? reinterpret_cast<const char*>(text) : "<null>");
            }
            rows.push_back(std::move(row));
        }
        sqlite3_finalize(statement);
        return rows;
    }

    // Grants the operator's system group a further permission (before LoginOperator).
    void GrantOperator(DWORD permission) const
    {
        Exec("INSERT INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID) VALUES (" + std::to_string(kOperatorSystemGroup) +
             ", " + std::to_string(permission) + ")");
    }

    // Makes the demo operator the caller of the requests.
    void LoginOperator()
    {
        auto user = std::make_unique<CAcsUser>();
        ASSERT_TRUE(user->Login(DataSource(), L"operator", L"operator-demo", -1, 0));
        m_caller = std::make_unique<CWmipUserCacheEntry>(std::move(user), nullptr, 0);
    }

    // Makes the system administrator (every permission, every segment) the caller.
    void LoginAdministrator()
    {
        auto user = std::make_unique<CAcsUser>();
        ASSERT_TRUE(user->LoginAsSA(DataSource()));
        m_caller = std::make_unique<CWmipUserCacheEntry>(std::move(user), nullptr, 0);
    }

    // The mapper the instance provider builds for the class (the name chain of GetMapper), working
    // for the caller; null when the chain does not know the class.
    std::unique_ptr<CWmipClassMapper> ChainMapper(const wchar_t* className)
    {
        return ForCaller(
            CWmipMapperRegistry::GetMapper(m_connection.get(), nullptr, &m_services, className, Door::kWmi));
    }

    // The mapper built by the class's registered factory (the road the bus front end builds by),
    // for the WMI door.
    std::unique_ptr<CWmipClassMapper> FactoryMapper(const wchar_t* className)
    {
        return ForCaller(CWmipMapperRegistry::Instance()->GetMapperUsingRegistry(m_connection.get(), nullptr,
                                                                                 &m_services, className, Door::kWmi));
    }

    // The instances a query selects (all of the class for an empty WQL text), after the view
    // check; a failed check or enumeration fails the test and answers nothing.
    std::vector<Instance> Query(CWmipClassMapper& mapper, const wchar_t* wql)
    {
        std::vector<Instance> instances;
        EXPECT_EQ(mapper.CanView(), S_OK);
        std::unique_ptr<CWmipQuery> query;
        if (*wql != L'\0')
        {
            query = CWmipQuery::CreateFromQuery(wql);
            if (query == nullptr)
            {
                ADD_FAILURE() << "unparsed: " << CStringToUtf8(wql);
                return instances;
            }
            mapper.SetQuery(query.get());
        }
        Drain(mapper, instances, false);
        mapper.SetQuery(nullptr);
        return instances;
    }

    // The instance an object path names, read the way a keyed get reads it (the path's keys as
    // a query, the first instance); null when none matches.
    Instance Get(CWmipClassMapper& mapper, const wchar_t* path)
    {
        std::vector<Instance> instances;
        const std::unique_ptr<CWmipObjectPath> parsed = CWmipObjectPath::CreateFromPath(path);
        if (parsed == nullptr)
        {
            ADD_FAILURE() << "unparsed path: " << CStringToUtf8(path);
            return Instance();
        }
        const std::unique_ptr<CWmipQuery> query = CWmipQuery::CreateFromObjectPath(*parsed);
        if (query == nullptr)
        {
            ADD_FAILURE() << "no query for path: " << CStringToUtf8(path);
            return Instance();
        }
        mapper.SetQuery(query.get());
        Drain(mapper, instances, true);
        mapper.SetQuery(nullptr);
        return instances.empty() ? Instance() : instances.front();
    }

    // The values of the properties, one row per instance, as text.
    static Table Values(const std::vector<Instance>& instances, const std::vector<const wchar_t*>& properties)
    {
        Table table;
        for (const Instance& instance : instances)
        {
            std::vector<std::string> row;
            for (const wchar_t* property : properties)
                row.push_back(support::PropertyText(instance.Get(), property));
            table.push_back(std::move(row));
        }
        return table;
    }

    // Expects the instances the mapper enumerates for the caller to carry, as text, exactly the
    // rows the SQL selects from the demo (its columns in the order of properties; it has rows).
    void ExpectEveryRowRead(const std::unique_ptr<CWmipClassMapper>& mapper,
                            const std::vector<const wchar_t*>& properties, const std::string& sql)
    {
        ASSERT_NE(mapper, nullptr);
        Table expected = Rows(sql);
        ASSERT_FALSE(expected.empty()) << "the demo has rows";
        Table read = Values(Query(*mapper, L""), properties);
        std::sort(expected.begin(), expected.end());
        std::sort(read.begin(), read.end());
        EXPECT_EQ(read, expected);
    }

    // Expects each case's query, run on the mapper of its class, to select the case's values.
    void ExpectSelections(const std::vector<SelectionCase>& cases)
    {
        for (const SelectionCase& c : cases)
        {
            SCOPED_TRACE(CStringToUtf8(c.wql));
            auto mapper = FactoryMapper(c.className);
            ASSERT_NE(mapper, nullptr);
            EXPECT_EQ(FirstColumn(Values(Query(*mapper, c.wql), {c.property})), c.expected);
        }
    }

    // A copy of the instance with one property changed (a new key makes it an instance that does
    // not exist yet).
    static Instance WithValue(IWbemClassObject* instance, const wchar_t* property, _variant_t value)
    {
        Instance copy;
        EXPECT_EQ(instance->Clone(&copy), S_OK);
        if (copy == nullptr)
            return copy;
        EXPECT_EQ(copy->Put(property, 0, &value, 0), S_OK);
        return copy;
    }

    // The names of the class's non-system properties that carry a true boolean qualifier.
    static std::vector<std::string> PropertiesWithQualifier(IWbemClassObject* classObject, const wchar_t* qualifier)
    {
        std::vector<std::string> names;
        if (classObject == nullptr || FAILED(classObject->BeginEnumeration(WBEM_FLAG_NONSYSTEM_ONLY)))
            return names;
        BSTR name = nullptr;
        while (classObject->Next(0, &name, nullptr, nullptr, nullptr) == WBEM_S_NO_ERROR)
        {
            ComPtr<IWbemQualifierSet> qualifiers;
            _variant_t value;
            if (SUCCEEDED(classObject->GetPropertyQualifierSet(name, &qualifiers)) &&
                SUCCEEDED(qualifiers->Get(qualifier, 0, &value, nullptr)) &&
                static_cast<const VARIANT&>(value).vt == VT_BOOL &&
                static_cast<const VARIANT&>(value).boolVal != VARIANT_FALSE)
                names.push_back(CStringToUtf8(CString(name)));
            SysFreeString(name);
            name = nullptr;
        }
        classObject->EndEnumeration();
        return names;
    }

    const CAcsUser* Connection() const { return m_connection.get(); }

private:
    std::unique_ptr<CWmipClassMapper> ForCaller(CWmipClassMapper* raw)
    {
        std::unique_ptr<CWmipClassMapper> mapper(raw);
        if (mapper != nullptr && m_caller != nullptr)
            mapper->SetUserEntry(m_caller.get());
        return mapper;
    }

    static void Drain(CWmipClassMapper& mapper, std::vector<Instance>& instances, bool firstOnly)
    {
        ASSERT_TRUE(mapper.BeginEnumeration());
        while (mapper.HasMoreInstances())
        {
            Instance instance;
            const HRESULT hr = mapper.NextInstance(&instance, 0);
            ASSERT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
            if (instance == nullptr)
                continue;
            instances.push_back(std::move(instance));
            if (firstOnly)
                break;
        }
        mapper.EndEnumeration();
    }

    CModuleStateSwitch m_noApplication;
    support::TemporaryHome m_home;
    std::string m_path;
    CCorvessaNamespace m_services;
    std::unique_ptr<CAcsUser> m_connection;
    std::unique_ptr<CWmipUserCacheEntry> m_caller;
};

}  // namespace demomapper
