// The registry after the schema's load-time declarations.
#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "framework/CWmipMapperRegistry.h"
#include "schema/DeclareSchema.h"
#include "schema/MapperBindings.h"
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
        // Only the abstract classes and the root are abstract; a concrete class whose mapper is
        // unbound is registered with an empty factory, builds no mapper, and is still concrete.
        EXPECT_EQ(registry->IsClassAbstract(d->className), !d->IsConcreteClass()) << schema_test::Narrow(d->className);
        if (d->IsConcreteClass() && !MapperBindings::IsBound(d->mapperClass))
        {
            EXPECT_EQ(registry->GetMapperUsingRegistry(d->className, nullptr, nullptr, nullptr), nullptr);
        }
    }
    EXPECT_NE(registry->GetTypeInfo(L"bnt_alarminput", true), nullptr);
    EXPECT_FALSE(registry->IsClassAbstract(L"Bnt_NoSuchClass"));
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
