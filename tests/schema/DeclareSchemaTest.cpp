// The registry after the schema's load-time declarations.
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
