#include "schema/DeclareSchema.h"

#include <mutex>

#include "common/KvrTime.h"
#include "common/StringHelpers.h"

#include "framework/CWmipMapperRegistry.h"
#include "schema/CWmipClassAttributeRegistrar.h"
#include "schema/CWmipClassRegistrar.h"
#include "schema/CWmipClassWidePropertyAttributeRegistrar.h"
#include "schema/CWmipDynamicPropertyRegistrar.h"
#include "schema/CWmipMethodParameterRegistrar.h"
#include "schema/CWmipMethodRegistrar.h"
#include "schema/CWmipNamedRecordRegistrar.h"
#include "schema/CWmipNoRecordRegistrar.h"
#include "schema/CWmipPropertyAttributeRegistrar.h"
#include "schema/CWmipPropertyRegistrar.h"
#include "schema/CWmipPropertyValuesRegistrar.h"
#include "schema/CWmipReferencePropertyRegistrar.h"
#include "schema/CWmipSegmentSourceRegistrar.h"
#include "schema/MapperBindings.h"
#include "schema/SchemaTables.h"

namespace {

void Declare(const SchemaDeclaration& d)
{
    using K = SchemaDeclarationKind;
    switch (d.kind)
    {
    case K::ClassWithFactory:
        CWmipClassRegistrar(d.className, MapperBindings::FindFactoryServing(d.className, d.mapperClass));
        break;
    case K::ClassWithSuperclass:
        CWmipClassRegistrar(d.className, d.superclass, MapperBindings::FindFactoryServing(d.className, d.mapperClass));
        break;
    case K::DynamicClass:
        CWmipClassRegistrar(d.className, d.superclass, d.dynamicFlag,
                            MapperBindings::FindFactoryServing(d.className, d.mapperClass));
        break;
    case K::AbstractClass:
        CWmipClassRegistrar(d.className, d.superclass);
        break;
    case K::RootClass:
        CWmipClassRegistrar{CString(d.className)};
        break;
    case K::Property:
        CWmipPropertyRegistrar(d.className, d.name, d.cimType, d.table, d.column, d.key, d.maxLength, d.idType,
                               d.segmentOption);
        break;
    case K::ReferenceProperty:
        CWmipReferencePropertyRegistrar(d.className, d.name, d.referencedClass);
        break;
    case K::DynamicProperty:
        CWmipDynamicPropertyRegistrar(d.className, d.name, d.cimType, d.maxLength);
        break;
    case K::Method:
        CWmipMethodRegistrar(d.className, d.name);
        break;
    case K::MethodParameter:
        CWmipMethodParameterRegistrar(d.className, d.method, d.input, d.name, d.cimType);
        break;
    case K::PropertyAttributeInteger:
        CWmipPropertyAttributeRegistrar(d.className, d.name, d.attribute, d.integerValue);
        break;
    case K::PropertyAttributeText:
        CWmipPropertyAttributeRegistrar(d.className, d.name, d.attribute, CString(d.text));
        break;
    case K::ClassWidePropertyAttribute:
        CWmipClassWidePropertyAttributeRegistrar(d.className, d.attribute, d.integerValue);
        break;
    case K::ClassAttribute:
        CWmipClassAttributeRegistrar(d.className, d.attribute, d.integerValue);
        break;
    case K::PropertyValues:
        CWmipPropertyValuesRegistrar(d.className, d.name, d.attribute, d.values, d.labels);
        break;
    case K::NamedRecord:
        CWmipNamedRecordRegistrar(d.className, d.method, d.name, d.referencedClass, d.referencedKeys, d.road);
        break;
    case K::NoRecord:
        CWmipNoRecordRegistrar(d.className, d.method, d.name, d.text);
        break;
    case K::SegmentSource:
        CWmipSegmentSourceRegistrar(d.className, d.table, d.column, d.segmentOption, d.name, d.referencedClass,
                                    d.referencedKeys, d.text, d.optionalEnd);
        break;
    case K::UnfollowedEnd:
        CWmipMapperRegistry::Instance()->RegisterUnfollowedEnd(
            d.className, CWMITypeInfo::UnfollowedEnd{SplitTrimmedList(d.name, L','), d.referencedClass, d.text});
        break;
    }
}

// The schema's one static initialiser: the date-time text patterns first, then the whole
// schema, before any entry point runs, in table order rather than in whatever order the linker
// lays out the family files.
struct SchemaLoader
{
    SchemaLoader()
    {
        InitKvrTimeDurationRegex();
        InitKvrTimeDateTimeRegexes();
        DeclareSchema();
    }
};
const SchemaLoader theSchemaLoader;

}  // namespace

void DeclareSchema()
{
    static std::once_flag declared;
    std::call_once(declared, [] {
        for (const SchemaDeclarationTable* table : GetSchemaDeclarationTables())
        {
            for (const SchemaDeclaration& declaration : *table)
            {
                Declare(declaration);
            }
        }
        CWmipMapperRegistry::Instance()->RefuseClassesWithUndeclaredIds();
        CWmipMapperRegistry::Instance()->RefuseLinksWithUnfollowedEnds();
        MapperBindings::AddBoundMappersToChain();
        CWmipMapperRegistry::Instance()->RefuseClassesWithoutSegmentSource();
    });
}
