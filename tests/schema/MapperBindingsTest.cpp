// Every declared class is served by exactly one bound mapper, the one whose own class it is, and
// every bound mapper serves a declared class.
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "schema/MapperBindings.h"
#include "tests/schema/SchemaWalk.h"

TEST(MapperBindings, BindsOneMapperToEveryDeclaredClassAndNoOther)
{
    std::map<std::wstring, int> bound;
    for (const MapperBinding& binding : MapperBindings::GetBound())
    {
        ++bound[binding.wmiClass];
        EXPECT_TRUE(static_cast<bool>(binding.factory)) << schema_test::Narrow(binding.wmiClass);
    }
    std::map<std::wstring, int> declared;
    for (const SchemaDeclaration* d : schema_test::AllDeclarations())
    {
        if (d->IsConcreteClass())
        {
            ++declared[d->className];
        }
    }
    ASSERT_FALSE(declared.empty());
    // The same class on both sides, once each: a second binding of a class or a binding without a
    // declaration shows as a difference here, not only at load.
    EXPECT_EQ(bound, declared);
    for (const MapperBinding& binding : MapperBindings::GetUndeclared())
    {
        EXPECT_FALSE(declared.contains(binding.wmiClass)) << schema_test::Narrow(binding.wmiClass);
    }
}

TEST(MapperBindings, FindsTheFactoryOfTheMapperServingTheClassOnly)
{
    const std::span<const MapperBinding> bound = MapperBindings::GetBound();
    EXPECT_TRUE(static_cast<bool>(MapperBindings::FindFactoryServing(bound, L"Bnt_Account")));
    EXPECT_FALSE(static_cast<bool>(MapperBindings::FindFactoryServing(bound, L"Bnt_NoSuchClass")));
    EXPECT_FALSE(static_cast<bool>(MapperBindings::FindFactoryServing(bound, L"")));
    EXPECT_FALSE(static_cast<bool>(MapperBindings::FindFactoryServing(bound, nullptr)));
    // The manager classes are reached through the name chain alone.
    EXPECT_FALSE(
        static_cast<bool>(MapperBindings::FindFactoryServing(bound, MapperBindings::GetUndeclared()[0].wmiClass)));
}
