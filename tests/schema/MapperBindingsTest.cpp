// Every declared class is served by exactly one bound mapper, the one whose own class it is, and
// every bound mapper serves a declared class.
#include <map>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "common/AccessCodes.h"
#include "framework/associations/CWmipAssociationMapper.h"
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

// A mapper answers for the door its factory was given, from its constructor on: every bound
// mapper keeps the door it is built for, the mappers whose permission ids depend on the door
// set them by it, and a mapper an association builds for a reference takes its builder's door.
TEST(MapperBindings, EveryMapperKeepsTheDoorItIsBuiltForAndHandsItOn)
{
    for (const MapperBinding& binding : MapperBindings::GetBound())
    {
        for (const Door door : {Door::kWmi, Door::kBus})
        {
            const std::unique_ptr<CWmipClassMapperHooks> mapper(binding.factory(nullptr, nullptr, nullptr, door));
            ASSERT_NE(mapper, nullptr) << schema_test::Narrow(binding.wmiClass);
            EXPECT_EQ(mapper->GetDoor(), door) << schema_test::Narrow(binding.wmiClass);
        }
    }

    struct DoorPermissions
    {
        const wchar_t* className;
        Door door;
        DWORD add;
        DWORD modify;
        DWORD remove;
    };
    const DoorPermissions table[] = {
        {L"Bnt_Reader", Door::kWmi, 0, 0, 0},
        {L"Bnt_Reader", Door::kBus, 0, Permission::kModifyReaders, 0},
        {L"Bnt_User", Door::kWmi, Permission::kAddUsers, Permission::kModifyUsers, Permission::kDeleteUsers},
        {L"Bnt_User", Door::kBus, 0, 0, 0},
        {L"Bnt_UserAccount", Door::kWmi, Permission::kAddUsers, Permission::kModifyUsers, Permission::kDeleteUsers},
        {L"Bnt_UserAccount", Door::kBus, 0, 0, 0},
    };
    for (const DoorPermissions& row : table)
    {
        SCOPED_TRACE(schema_test::Narrow(row.className) + (row.door == Door::kBus ? " bus" : " wmi"));
        const std::unique_ptr<CWmipClassMapper> mapper(
            CWmipMapperRegistry::GetMapper(nullptr, nullptr, nullptr, row.className, row.door));
        ASSERT_NE(mapper, nullptr);
        EXPECT_EQ(mapper->GetAddPermission(), row.add);
        EXPECT_EQ(mapper->GetModifyPermission(), row.modify);
        EXPECT_EQ(mapper->GetDeletePermission(), row.remove);
    }

    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    int references = 0;
    for (const CString& className : registry->GetTypeNames())
    {
        const CWMITypeInfo* type = registry->GetTypeInfo(className, true);
        if (type == nullptr || type->GetReferenceProperties().empty())
            continue;
        for (const Door door : {Door::kWmi, Door::kBus})
        {
            const std::unique_ptr<CWmipClassMapper> built(
                registry->GetMapperUsingRegistry(className, nullptr, nullptr, nullptr, door));
            auto* association = dynamic_cast<CWmipAssociationMapper*>(built.get());
            if (association == nullptr)
                continue;
            for (const auto& [property, referenced] : type->GetReferenceProperties())
            {
                const CWmipClassMapper* nested = association->GetReferencedClassMapper(property);
                ASSERT_NE(nested, nullptr) << schema_test::Narrow(className.GetString());
                EXPECT_EQ(nested->GetDoor(), door) << schema_test::Narrow(className.GetString());
                ++references;
            }
        }
    }
    EXPECT_GT(references, 0);
}
