// The registry after the schema's load-time declarations.
#include <algorithm>
#include <map>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "framework/CWmipClassMapper.h"
#include "framework/CWmipMapperRegistry.h"
#include "schema/DeclareSchema.h"
#include "tests/schema/SchemaWalk.h"

TEST(DeclareSchema, RegistersEveryClassWithItsDeclaredKind)
{
    DeclareSchema();
    DeclareSchema();  // a second call changes nothing
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    for (const SchemaDeclaration* d : schema_test::AllDeclarations())
    {
        if (!d->IsClass())
        {
            continue;
        }
        ASSERT_NE(registry->GetTypeInfo(d->className, true), nullptr) << schema_test::Narrow(d->className);
        // Only the abstract classes and the root are abstract; every concrete class has its
        // bound mapper's factory.
        EXPECT_EQ(registry->IsClassAbstract(d->className), !d->IsConcreteClass()) << schema_test::Narrow(d->className);
        EXPECT_EQ(static_cast<bool>(registry->GetTypeInfo(d->className, true)->GetTypeConstructor()),
                  d->IsConcreteClass())
            << schema_test::Narrow(d->className);
    }
    EXPECT_NE(registry->GetTypeInfo(L"bnt_alarminput", true), nullptr);
    EXPECT_FALSE(registry->IsClassAbstract(L"Bnt_NoSuchClass"));
    // The segments are served by their own mapper, as a concrete class.
    EXPECT_FALSE(registry->IsClassAbstract(L"Bnt_Segment"));
    EXPECT_TRUE(static_cast<bool>(registry->GetTypeInfo(L"Bnt_Segment", true)->GetTypeConstructor()));
}

// Every record a write or a method names is declared against members that exist on both sides:
// the naming class's properties or the method's input parameters, and properties of a served
// class it references, as many of one as of the other. A slip in a declaration would otherwise
// leave that record unresolved or refuse every write that names it. A dynamic class's own
// properties are those of the installation's layout: the isolation sweep writes them.
TEST(DeclareSchema, EveryNamedRecordPairsMembersThatExist)
{
    DeclareSchema();
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    const std::vector<const SchemaDeclaration*> declared = schema_test::OfKind(SchemaDeclarationKind::NamedRecord);
    ASSERT_GE(declared.size(), 15u);
    std::size_t registered = 0;
    for (const SchemaDeclaration* d : declared)
    {
        SCOPED_TRACE(schema_test::Narrow(std::wstring(d->className) + L"." + d->method + L" " + d->name));
        const CWMITypeInfo* owner = registry->GetTypeInfo(d->className, true);
        const CWMITypeInfo* referenced = registry->GetTypeInfo(d->referencedClass, true);
        ASSERT_NE(owner, nullptr);
        ASSERT_NE(referenced, nullptr);
        EXPECT_TRUE(static_cast<bool>(referenced->GetTypeConstructor()));
        const auto same = [&](const CWMITypeInfo::NamedRecord& r) {
            return r.method == d->method && r.referencedClass == d->referencedClass &&
                   r.names.front() == CString(d->name).SpanExcluding(L",") && r.road == d->road;
        };
        const auto& records = owner->GetNamedRecords();
        const auto record = std::find_if(records.begin(), records.end(), same);
        ASSERT_NE(record, records.end());
        ++registered;
        ASSERT_EQ(record->names.size(), record->referencedKeys.size());
        for (std::size_t i = 0; i < record->names.size(); ++i)
        {
            if (*d->method == L'\0')
            {
                // A dynamic class's other properties come from the installation's layout.
                EXPECT_TRUE(owner->HasProperty(record->names[i]) || owner->IsDynamic())
                    << schema_test::Narrow(record->names[i].GetString());
            }
            else
            {
                const auto method = owner->GetMethods().find(d->method);
                ASSERT_NE(method, owner->GetMethods().end());
                const auto& in = method->second.InParameters();
                EXPECT_TRUE(std::any_of(in.begin(), in.end(), [&](const auto& p) {
                    return p.first == record->names[i];
                })) << schema_test::Narrow(record->names[i].GetString());
            }
            EXPECT_TRUE(referenced->HasProperty(record->referencedKeys[i]))
                << schema_test::Narrow(record->referencedKeys[i].GetString());
        }
    }
    EXPECT_EQ(registered, declared.size());
}

// Every served class says where its records' segments come from, and each source names what
// exists: an owner that is served, whose keys have columns in one table, named by as many of the
// class's members; an own column of a table of the class. A class registered without a source is
// refused when the schema finishes loading: neither its description nor its mapper is served,
// while a class that declares one stays.
TEST(DeclareSchema, AServedClassWithoutASegmentSourceIsRefused)
{
    DeclareSchema();
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    using Kind = CWMITypeInfo::SegmentSource::Kind;
    std::size_t served = 0;
    for (const SchemaDeclaration* d : schema_test::AllDeclarations())
    {
        if (!d->IsConcreteClass())
            continue;
        SCOPED_TRACE(schema_test::Narrow(d->className));
        const CWMITypeInfo* type = registry->GetTypeInfo(d->className, true);
        ASSERT_NE(type, nullptr);
        ASSERT_FALSE(type->GetSegmentSources().empty());
        ++served;
        for (const CWMITypeInfo::SegmentSource& source : type->GetSegmentSources())
        {
            if (source.kind == Kind::NotSegmented)
            {
                EXPECT_GE(source.reason.GetLength(), 20);
            }
            if (source.kind != Kind::Owner)
                continue;
            const CWMITypeInfo* owner = registry->GetTypeInfo(source.ownerClass, true);
            ASSERT_NE(owner, nullptr) << schema_test::Narrow(source.ownerClass.GetString());
            ASSERT_EQ(source.names.size(), source.ownerKeys.size());
            for (std::size_t i = 0; i < source.names.size(); ++i)
            {
                CString column;
                EXPECT_TRUE(owner->GetColumnForProperty(source.ownerKeys[i], column));
                const bool named = source.names[i].Find(L'.') > 0 ||
                                   type->GetColumnForProperty(source.names[i], column) ||
                                   type->GetReferenceProperties().count(source.names[i]) != 0;
                EXPECT_TRUE(named) << schema_test::Narrow(source.names[i].GetString());
            }
        }
    }
    EXPECT_GE(served, 100u);

    bool undeclaredBuilt = false;
    bool declaredBuilt = false;
    const auto factory = [](bool& built) {
        return [&built](const CAcsUser*, IWbemContext*, IWbemServices*, Door) -> CWmipClassMapper* {
            built = true;
            return nullptr;
        };
    };
    registry->RegisterClass(L"Bnt_ProbeUndeclared", factory(undeclaredBuilt));
    CWmipMapperRegistry::AddToMapperChain(L"Bnt_ProbeUndeclared", factory(undeclaredBuilt));
    registry->RegisterClass(L"Bnt_ProbeDeclared", factory(declaredBuilt));
    CWmipMapperRegistry::AddToMapperChain(L"Bnt_ProbeDeclared", factory(declaredBuilt));
    CWMITypeInfo::SegmentSource none;
    none.reason = L"A probe of the registry's load check.";
    registry->RegisterSegmentSource(L"Bnt_ProbeDeclared", none);
    registry->RefuseClassesWithoutSegmentSource();

    EXPECT_EQ(registry->GetTypeInfo(L"Bnt_ProbeUndeclared", true), nullptr);
    EXPECT_EQ(CWmipMapperRegistry::GetMapper(nullptr, nullptr, nullptr, L"Bnt_ProbeUndeclared", Door::kWmi, nullptr),
              nullptr);
    EXPECT_FALSE(undeclaredBuilt);
    ASSERT_NE(registry->GetTypeInfo(L"Bnt_ProbeDeclared", true), nullptr);
    CWmipMapperRegistry::GetMapper(nullptr, nullptr, nullptr, L"Bnt_ProbeDeclared", Door::kWmi, nullptr);
    EXPECT_TRUE(declaredBuilt);
    // The schema's own classes all stay.
    EXPECT_NE(registry->GetTypeInfo(L"Bnt_BadgeFIPS201", true), nullptr);
}

// Each software event kind builds its record with the class whose declaration names the kind,
// and with no other: the registry's table is the declarations', kind by kind, and a kind no
// class declares builds nothing. A second class claiming a declared kind is refused, naming the
// class that holds it.
TEST(DeclareSchema, MapsEachSoftwareEventTypeToTheClassDeclaringIt)
{
    DeclareSchema();
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    std::map<int, std::wstring> declared;
    for (const SchemaDeclaration* d : schema_test::OfKind(SchemaDeclarationKind::SoftwareEvent))
    {
        EXPECT_TRUE(declared.emplace(d->integerValue, d->className).second)
            << "kind " << d->integerValue << " declared twice";
    }
    ASSERT_FALSE(declared.empty());
    std::map<int, std::wstring> served;
    for (int kind = -1; kind <= declared.rbegin()->first + 2; ++kind)
    {
        const auto type = static_cast<SoftwareEventType>(kind);
        const CString className = registry->GetSoftwareEventClass(type);
        for (const Door door : {Door::kWmi, Door::kBus})
        {
            const std::unique_ptr<CWmipClassMapper> mapper(
                CWmipMapperRegistry::GetMapper(nullptr, nullptr, nullptr, type, door));
            EXPECT_EQ(mapper != nullptr, !className.IsEmpty()) << "kind " << kind;
            if (mapper == nullptr)
                continue;
            EXPECT_EQ(std::wstring(mapper->GetClassName().GetString()), std::wstring(className.GetString()));
            EXPECT_EQ(mapper->GetDoor(), door) << "kind " << kind;
        }
        if (!className.IsEmpty())
            served.emplace(kind, className.GetString());
    }
    // Every declaring class is a loaded class of the registry.
    for (const auto& [kind, className] : declared)
        EXPECT_NE(registry->GetTypeInfo(className.c_str(), true), nullptr) << schema_test::Narrow(className.c_str());
    EXPECT_EQ(served, declared);

    const auto [kind, holder] = *declared.begin();
    registry->RegisterClass(L"Bnt_ProbeSecondKind", L"", MapperFactory());
    registry->RegisterSoftwareEventType(L"Bnt_ProbeSecondKind", static_cast<SoftwareEventType>(kind));
    EXPECT_TRUE(registry->IsClassRefused(L"Bnt_ProbeSecondKind"));
    EXPECT_EQ(std::wstring(registry->GetRefusal(L"Bnt_ProbeSecondKind").GetString()),
              L"CWmipMapperRegistry: class Bnt_ProbeSecondKind is not loaded: its software event type " +
                  std::to_wstring(kind) + L" is declared by " + holder + L" already.");
    EXPECT_EQ(std::wstring(registry->GetSoftwareEventClass(static_cast<SoftwareEventType>(kind)).GetString()), holder);
}
