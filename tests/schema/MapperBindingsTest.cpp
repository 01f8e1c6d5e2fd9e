// Every mapper class that the declarations name is either bound to a factory or listed as
// unbound, exactly once.
#include <map>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "schema/MapperBindings.h"
#include "tests/schema/SchemaWalk.h"

TEST(MapperBindings, ListsEveryDeclaredMapperAsBoundOrUnboundExactlyOnce)
{
    std::map<std::wstring, int> listed;
    for (const wchar_t* name : MapperBindings::GetBoundMapperNames())
    {
        ++listed[name];
        EXPECT_TRUE(MapperBindings::IsBound(name));
        EXPECT_TRUE(static_cast<bool>(MapperBindings::FindFactory(name))) << schema_test::Narrow(name);
    }
    for (const wchar_t* name : MapperBindings::GetUnboundMapperNames())
    {
        ++listed[name];
        EXPECT_FALSE(MapperBindings::IsBound(name));
        EXPECT_FALSE(static_cast<bool>(MapperBindings::FindFactory(name))) << schema_test::Narrow(name);
    }
    std::set<std::wstring> declared;
    for (const SchemaDeclaration* d : schema_test::AllDeclarations())
    {
        if (d->IsConcreteClass())
        {
            EXPECT_TRUE(declared.insert(d->mapperClass).second)
                << "mapper shared: " << schema_test::Narrow(d->mapperClass);
        }
    }
    ASSERT_FALSE(declared.empty());
    for (const std::wstring& name : declared)
    {
        EXPECT_EQ(listed[name], 1) << schema_test::Narrow(name);
    }
    EXPECT_EQ(listed.size(), declared.size()) << "a listed mapper that no class declares";
}

// The declaration, the binding and the mapper's own class name the same class; a declaration
// that pairs a class with another class's mapper gets no factory.
TEST(MapperBindings, ServesADeclaredClassOnlyWithTheMapperOfThatClass)
{
    for (const SchemaDeclaration* d : schema_test::AllDeclarations())
    {
        if (d->IsConcreteClass() && MapperBindings::IsBound(d->mapperClass))
        {
            EXPECT_TRUE(static_cast<bool>(MapperBindings::FindFactoryServing(d->className, d->mapperClass)))
                << schema_test::Narrow(d->className) << " declared with " << schema_test::Narrow(d->mapperClass);
        }
    }
    EXPECT_TRUE(static_cast<bool>(MapperBindings::FindFactoryServing(L"Bnt_Account", L"CWmipAccountMapper")));
    EXPECT_FALSE(static_cast<bool>(MapperBindings::FindFactoryServing(L"Bnt_Holiday", L"CWmipAccountMapper")));
    EXPECT_FALSE(static_cast<bool>(MapperBindings::FindFactoryServing(nullptr, L"CWmipAccountMapper")));
    EXPECT_FALSE(static_cast<bool>(MapperBindings::FindFactoryServing(L"Bnt_Account", L"CWmipNoSuchMapper")));
}

TEST(MapperBindings, GivesNoFactoryForUnknownOrNullNames)
{
    EXPECT_FALSE(static_cast<bool>(MapperBindings::FindFactory(nullptr)));
    EXPECT_FALSE(static_cast<bool>(MapperBindings::FindFactory(L"")));
    EXPECT_FALSE(static_cast<bool>(MapperBindings::FindFactory(L"CWmipNoSuchMapper")));
    EXPECT_FALSE(MapperBindings::IsBound(nullptr));
}
