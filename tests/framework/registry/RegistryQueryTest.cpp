// The registry's queries: abstract and derived classes, mapper factories and the name chain,
// the refresh rule of cached items, and the whole schema as the library load declares it.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "framework/objects/CCorvessaNamespace.h"
#include "framework/CWMITypeInfo.h"
#include "framework/CWmipClassMapper.h"
#include "framework/CWmipMapperRegistry.h"
#include "tests/support/ManualClock.h"
#include "tests/framework/registry/RegistryTestSupport.h"
#include "tests/schema/SchemaWalk.h"

using registry_test::RecordingFactory;

namespace {

CWmipMapperRegistry& QueriedRegistry()
{
    return *CWmipMapperRegistry::Instance();
}

std::vector<std::wstring> Names(const std::vector<CString>& names)
{
    std::vector<std::wstring> result;
    for (const CString& name : names)
    {
        result.push_back(name.GetString());
    }
    return result;
}

std::size_t Declared(SchemaDeclarationKind kind)
{
    return schema_test::OfKind(kind).size();
}

// Counts the declarations that satisfy the predicate.
template <typename Predicate>
std::size_t DeclaredWhere(Predicate predicate)
{
    std::size_t count = 0;
    for (const SchemaDeclaration* d : schema_test::AllDeclarations())
    {
        count += predicate(*d) ? 1 : 0;
    }
    return count;
}

bool IsSchemaClass(const CString& name)
{
    return name.Left(4) == L"Bnt_";
}

}  // namespace

TEST(ClassTree, ReportsAbstractnessByDeclaredKindNotByFactoryAlone)
{
    RecordingFactory factory;
    QueriedRegistry().RegisterClass(L"Test_TreeRoot", MapperFactory());
    QueriedRegistry().RegisterClass(L"Test_TreeAbstract", L"Test_TreeRoot");
    QueriedRegistry().RegisterClass(L"Test_TreeBound", L"Test_TreeAbstract", factory.Get());
    QueriedRegistry().RegisterClass(L"Test_TreeUnbound", L"Test_TreeAbstract", MapperFactory());
    QueriedRegistry().SetClassDeclaredConcrete(L"Test_TreeUnbound");

    EXPECT_TRUE(QueriedRegistry().IsClassAbstract(L"Test_TreeRoot"));
    EXPECT_TRUE(QueriedRegistry().IsClassAbstract(L"test_treeabstract"));
    EXPECT_FALSE(QueriedRegistry().IsClassAbstract(L"Test_TreeBound"));
    EXPECT_FALSE(QueriedRegistry().IsClassAbstract(L"Test_TreeUnbound"));
    EXPECT_FALSE(QueriedRegistry().IsClassAbstract(L"Test_TreeNotRegistered"));
    // A concrete class without a factory builds no mapper: the provider answers invalid class.
    EXPECT_EQ(QueriedRegistry().GetMapperUsingRegistry(L"Test_TreeUnbound", nullptr, nullptr, nullptr, Door::kWmi),
              nullptr);
    EXPECT_EQ(QueriedRegistry().GetMapperUsingRegistry(L"Test_TreeAbstract", nullptr, nullptr, nullptr, Door::kWmi),
              nullptr);
}

TEST(ClassTree, ListsConcreteDerivedTypesRecursivelyInRegistrationOrder)
{
    RecordingFactory factory;
    // The superclass need not be registered first.
    QueriedRegistry().RegisterClass(L"Test_DeepLeaf", L"Test_DeepConcrete", factory.Get());
    QueriedRegistry().RegisterClass(L"Test_DeepConcrete", L"Test_DeepTop", factory.Get());
    QueriedRegistry().RegisterClass(L"Test_DeepMiddle", L"Test_DeepTop");
    QueriedRegistry().RegisterClass(L"Test_DeepUnder", L"Test_DeepMiddle", factory.Get());
    QueriedRegistry().RegisterClass(L"Test_DeepTop", L"Bnt_Element");

    EXPECT_EQ(Names(QueriedRegistry().GetConcreteDerivedTypes(L"test_deeptop")),
              (std::vector<std::wstring>{L"Test_DeepConcrete", L"Test_DeepLeaf", L"Test_DeepUnder"}));
    EXPECT_EQ(Names(QueriedRegistry().GetConcreteDerivedTypes(L"Test_DeepMiddle")),
              (std::vector<std::wstring>{L"Test_DeepUnder"}));
    EXPECT_TRUE(QueriedRegistry().GetConcreteDerivedTypes(L"Test_DeepLeaf").empty());
    EXPECT_TRUE(QueriedRegistry().GetConcreteDerivedTypes(L"Test_NoSuchClass").empty());
}

TEST(ClassTree, EndsTheWalkAtAClassThatIsItsOwnAncestor)
{
    RecordingFactory factory;
    QueriedRegistry().RegisterClass(L"Test_CycleA", L"Test_CycleB", factory.Get());
    QueriedRegistry().RegisterClass(L"Test_CycleB", L"Test_CycleA", factory.Get());
    EXPECT_EQ(Names(QueriedRegistry().GetConcreteDerivedTypes(L"Test_CycleA")),
              (std::vector<std::wstring>{L"Test_CycleB", L"Test_CycleA"}));
}

TEST(MapperFactories, GetMapperUsingRegistryCallsTheRegisteredFactoryWithTheCallersArguments)
{
    RecordingFactory factory;
    QueriedRegistry().RegisterClass(L"Test_Factory", factory.Get());
    auto* user = reinterpret_cast<const CAcsUser*>(&factory);
    IWbemServices* services = &CCorvessaNamespace::Instance();
    EXPECT_EQ(QueriedRegistry().GetMapperUsingRegistry(L"TEST_FACTORY", user, nullptr, services, Door::kBus), nullptr);
    EXPECT_EQ(factory.calls, 1);
    EXPECT_EQ(factory.user, user);
    EXPECT_EQ(factory.context, nullptr);
    EXPECT_EQ(factory.services, services);
    EXPECT_EQ(factory.door, Door::kBus);
    QueriedRegistry().GetMapperUsingRegistry(user, nullptr, services, L"test_factory", Door::kWmi);
    EXPECT_EQ(factory.calls, 2);
    EXPECT_EQ(factory.door, Door::kWmi);
    EXPECT_EQ(QueriedRegistry().GetMapperUsingRegistry(user, nullptr, services, nullptr, Door::kWmi), nullptr);
    EXPECT_EQ(factory.calls, 2);
    EXPECT_TRUE(static_cast<bool>(QueriedRegistry().GetTypeInfo(L"Test_Factory", true)->GetTypeConstructor()));
}

TEST(MapperFactories, GetMapperWalksTheNameChain)
{
    RecordingFactory chained;
    RecordingFactory visitor;
    CWmipMapperRegistry::AddToMapperChain(L"Test_Chained", chained.Get());
    // The bound visit-event mapper comes first in the chain; a later entry of that name is
    // never reached.
    CWmipMapperRegistry::AddToMapperChain(L"Bnt_VisitEvent", visitor.Get());

    EXPECT_EQ(CWmipMapperRegistry::GetMapper(nullptr, nullptr, nullptr, L"test_CHAINED", Door::kBus), nullptr);
    EXPECT_EQ(chained.calls, 1);
    EXPECT_EQ(chained.door, Door::kBus);
    const std::unique_ptr<CWmipClassMapper> event(
        CWmipMapperRegistry::GetMapper(nullptr, nullptr, nullptr, SoftwareEventVisitEvent, Door::kWmi));
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(event->GetClassName(), L"Bnt_VisitEvent");
    EXPECT_EQ(visitor.calls, 0);
    CWmipMapperRegistry::GetMapper(nullptr, nullptr, nullptr, static_cast<SoftwareEventType>(9), Door::kWmi);
    CWmipMapperRegistry::GetMapper(nullptr, nullptr, nullptr, static_cast<SoftwareEventType>(1), Door::kWmi);
    EXPECT_EQ(visitor.calls + chained.calls, 1);

    // Without a list-object cache an unknown name finds nothing (ListClasses tests a cache's lists).
    EXPECT_EQ(CWmipMapperRegistry::GetMapper(nullptr, nullptr, nullptr, L"Test_UserList", Door::kWmi), nullptr);
    EXPECT_EQ(
        CWmipMapperRegistry::GetMapper(nullptr, nullptr, nullptr, static_cast<const wchar_t*>(nullptr), Door::kWmi),
        nullptr);
}

TEST(CachedItemRefresh, RefreshesNeverSetStampsAndStampsOlderThanTenWholeMinutes)
{
    const ULONGLONG now = 50'000'000;
    EXPECT_TRUE(CWmipMapperRegistry::DoesCachedItemNeedToBeRefreshed(std::nullopt, now));
    struct Case
    {
        ULONGLONG millisecondsAgo;
        bool refresh;
    };
    const Case cases[] = {
        {0, false}, {600'000, false}, {659'400, false}, {659'500, true}, {660'000, true}, {3'600'000, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CWmipMapperRegistry::DoesCachedItemNeedToBeRefreshed(now - c.millisecondsAgo, now), c.refresh)
            << c.millisecondsAgo;
    // A stamp ahead of now (no steady clock goes back) needs nothing.
    EXPECT_FALSE(CWmipMapperRegistry::DoesCachedItemNeedToBeRefreshed(now + 1, now));
}

TEST(CachedItemRefresh, FollowsTheSteadyClockWhenTheWallClockIsSetBack)
{
    support::ManualClock clock;
    const support::ProcessClockScope scope(clock);
    const ULONGLONG stamp = IClock::Process().GetTickCount64();
    // Eleven minutes pass while the wall clock goes back an hour: the stamp is due all the same.
    clock.AdvanceSeconds(11 * 60);
    clock.MoveWallClock(-3'600'000);
    EXPECT_TRUE(CWmipMapperRegistry::DoesCachedItemNeedToBeRefreshed(stamp));
    const ULONGLONG fresh = IClock::Process().GetTickCount64();
    clock.AdvanceSeconds(9 * 60);
    EXPECT_FALSE(CWmipMapperRegistry::DoesCachedItemNeedToBeRefreshed(fresh));
}

TEST(Exposure, HidesTheTwicPrivacyKeyTypeSystemPropertiesAndEmptyNames)
{
    // The privacy key's class is declared hidden from the bus; the bus finds no type of no name.
    EXPECT_FALSE(QueriedRegistry().GetTypeInfo(L"Bnt_BadgeTWICPrivacyKey", true)->IsExposedOnBus());
    EXPECT_FALSE(QueriedRegistry().GetTypeInfo(L"bnt_badgetwicprivacykey", true)->IsExposedOnBus());
    EXPECT_EQ(QueriedRegistry().GetTypeInfo(L"", true), nullptr);
    EXPECT_TRUE(QueriedRegistry().GetTypeInfo(L"Bnt_BadgeFIPS201", true)->IsExposedOnBus());
    EXPECT_FALSE(CWMITypeInfo::ShouldCorvessaExposeProperty(L"__CLASS"));
    EXPECT_FALSE(CWMITypeInfo::ShouldCorvessaExposeProperty(L""));
    EXPECT_TRUE(CWMITypeInfo::ShouldCorvessaExposeProperty(L"_Single"));
    EXPECT_TRUE(CWMITypeInfo::ShouldCorvessaExposeMethod(L"Arm"));
    EXPECT_FALSE(CWMITypeInfo::ShouldCorvessaExposeMethod(L""));
}

// The library's load declared the whole schema before the first test ran.
TEST(LoadedSchema, RegistersEveryClassWithItsKind)
{
    std::vector<CString> classes;
    for (const CString& name : QueriedRegistry().GetTypeNames())
    {
        if (IsSchemaClass(name))
        {
            classes.push_back(name);
        }
    }
    using K = SchemaDeclarationKind;
    ASSERT_EQ(classes.size(), DeclaredWhere([](const SchemaDeclaration& d) { return d.IsClass(); }));
    std::size_t abstract = 0;
    std::size_t dynamic = 0;
    std::size_t withParent = 0;
    for (const CString& name : classes)
    {
        CWMITypeInfo* type = QueriedRegistry().GetTypeInfo(name, true);
        ASSERT_NE(type, nullptr);
        abstract += QueriedRegistry().IsClassAbstract(name) ? 1 : 0;
        dynamic += type->IsDynamic() ? 1 : 0;
        withParent += type->GetParentTypeName().IsEmpty() ? 0 : 1;
    }
    // The root is abstract too.
    EXPECT_EQ(abstract, Declared(K::AbstractClass) + Declared(K::RootClass));
    EXPECT_EQ(dynamic, Declared(K::DynamicClass));
    EXPECT_EQ(withParent, DeclaredWhere([](const SchemaDeclaration& d) {
                  return d.IsClass() && d.superclass != nullptr && d.superclass[0] != L'\0';
              }));
    EXPECT_TRUE(std::is_sorted(classes.begin(), classes.end(), [](const CString& a, const CString& b) {
        CString upperA = a;
        CString upperB = b;
        return upperA.MakeUpper() < upperB.MakeUpper();
    }));
}

TEST(LoadedSchema, HoldsTheDeclaredTotalsOfEveryKindOfMember)
{
    std::size_t properties = 0;
    std::size_t references = 0;
    std::size_t keys = 0;
    std::size_t columns = 0;
    std::size_t methods = 0;
    std::size_t parameters = 0;
    std::size_t udfTables = 0;
    std::size_t valueLists = 0;
    for (const CString& name : QueriedRegistry().GetTypeNames())
    {
        if (!IsSchemaClass(name))
        {
            continue;
        }
        CWMITypeInfo& type = *QueriedRegistry().GetTypeInfo(name, true);
        const std::vector<CString> names = type.GetTypeInformation()->GetPropertyNames();
        properties += names.size();
        references += type.GetReferenceProperties().size();
        keys += type.GetKeyProperties().size();
        columns += type.GetPropertyColumns().size();
        methods += type.GetMethods().size();
        for (const auto& [method, descriptor] : type.GetMethods())
        {
            parameters += descriptor.InParameters().size() + descriptor.OutParameters().size();
        }
        udfTables += type.GetUDFTableId() > 0 ? 1 : 0;
        for (const CString& property : names)
        {
            valueLists += registry_test::HasPropertyQualifier(type, property, L"ValueMap") ? 1 : 0;
        }
    }
    using K = SchemaDeclarationKind;
    EXPECT_EQ(properties, Declared(K::Property) + Declared(K::ReferenceProperty) + Declared(K::DynamicProperty));
    EXPECT_EQ(references, Declared(K::ReferenceProperty));
    EXPECT_EQ(keys, DeclaredWhere([](const SchemaDeclaration& d) { return d.kind == K::Property && d.key == 1; }));
    // A property declared without a table has no column.
    EXPECT_EQ(columns,
              DeclaredWhere([](const SchemaDeclaration& d) { return d.kind == K::Property && d.table[0] != L'\0'; }));
    EXPECT_EQ(methods, Declared(K::Method));
    EXPECT_EQ(parameters, Declared(K::MethodParameter));
    EXPECT_EQ(udfTables, Declared(K::ClassAttribute));
    EXPECT_EQ(valueLists, Declared(K::PropertyValues));
}

TEST(LoadedSchema, FindsClassesWithoutRegardToCaseAndKeepsTheDeclaredTree)
{
    CWMITypeInfo* alarmInput = QueriedRegistry().GetTypeInfo(L"bnt_alarminput", true);
    ASSERT_NE(alarmInput, nullptr);
    EXPECT_EQ(alarmInput->GetClassName(), CString(L"Bnt_AlarmInput"));
    EXPECT_EQ(alarmInput->GetParentTypeName(), CString(L"Bnt_Input"));
    EXPECT_TRUE(QueriedRegistry().IsClassAbstract(L"Bnt_Input"));
    EXPECT_TRUE(QueriedRegistry().IsClassAbstract(L"Bnt_Element"));
    EXPECT_FALSE(QueriedRegistry().IsClassAbstract(L"Bnt_AlarmInput"));
    EXPECT_FALSE(QueriedRegistry().IsClassAbstract(L"Bnt_NoSuchClass"));
    EXPECT_EQ(Names(QueriedRegistry().GetConcreteDerivedTypes(L"Bnt_Input")),
              (std::vector<std::wstring>{L"Bnt_AlarmInput", L"Bnt_ReaderInput1", L"Bnt_ReaderInput2"}));
    EXPECT_EQ(Names(QueriedRegistry().GetConcreteDerivedTypes(L"Bnt_PersonAccount")),
              (std::vector<std::wstring>{L"Bnt_CardholderAccount", L"Bnt_VisitorAccount"}));
    EXPECT_TRUE(QueriedRegistry().GetConcreteDerivedTypes(L"Bnt_Element").empty());

    CWMITypeInfo& badge = *QueriedRegistry().GetTypeInfo(L"Bnt_Badge", true);
    EXPECT_TRUE(badge.IsDynamic());
    EXPECT_TRUE(badge.IsPropertyAKeyProperty(L"BADGEKEY"));
    EXPECT_FALSE(registry_test::HasPropertyQualifier(badge, L"BADGEKEY", L"key"));
    EXPECT_EQ(badge.GetUDFTableId(), 3);
    EXPECT_EQ(badge.GetPropertyIDType(L"BADGEKEY"), 25);
    CWMITypeInfo& user = *QueriedRegistry().GetTypeInfo(L"Bnt_User", true);
    EXPECT_TRUE(registry_test::HasPropertyQualifier(user, L"ID", L"key"));
    EXPECT_TRUE(user.IsPropertyViewOnly(L"LogonID"));
    EXPECT_FALSE(QueriedRegistry().GetTypeInfo(L"Bnt_BadgeTWICPrivacyKey", true)->IsExposedOnBus());
}
