#include "schema/DeclareSchema.h"

#include <algorithm>
#include <mutex>
#include <span>
#include <vector>

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

void Declare(const SchemaDeclaration& d, std::span<const MapperBinding> bindings)
{
    using K = SchemaDeclarationKind;
    switch (d.kind)
    {
    case K::ClassWithFactory:
        CWmipClassRegistrar(d.className, MapperBindings::FindFactoryServing(bindings, d.className));
        break;
    case K::ClassWithSuperclass:
        CWmipClassRegistrar(d.className, d.superclass, MapperBindings::FindFactoryServing(bindings, d.className));
        break;
    case K::DynamicClass:
        CWmipClassRegistrar(d.className, d.superclass, d.dynamicFlag,
                            MapperBindings::FindFactoryServing(bindings, d.className));
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
        CWmipMethodParameterRegistrar(d.className, d.method, d.input, d.name, d.cimType, d.referencedClass);
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
    case K::HiddenFromBus:
        CWmipMapperRegistry::Instance()->RegisterHiddenFromBus(d.className);
        break;
    case K::SoftwareEvent:
        CWmipMapperRegistry::Instance()->RegisterSoftwareEventType(d.className,
                                                                   static_cast<SoftwareEventType>(d.integerValue));
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

std::vector<CString> LoadSchema(std::span<const SchemaDeclarationTable* const> tables,
                                std::span<const MapperBinding> bindings)
{
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    std::vector<CString> declared;
    for (const SchemaDeclarationTable* table : tables)
    {
        for (const SchemaDeclaration& declaration : *table)
        {
            Declare(declaration, bindings);
            if (declaration.IsConcreteClass())
            {
                declared.emplace_back(declaration.className);
            }
        }
    }
    std::vector<CString> refused = registry->RefuseClassesWithUndeclaredIds();
    const std::vector<CString> links = registry->RefuseLinksWithUnfollowedEnds();
    refused.insert(refused.end(), links.begin(), links.end());
    const auto isDeclared = [&](const wchar_t* className) {
        return std::any_of(declared.begin(), declared.end(),
                           [&](const CString& name) { return name.Compare(className) == 0; });
    };
    // A class is served by its own mapper or not at all: a declared class that no binding serves
    // and a bound mapper whose class no declaration declares both fail to load.
    for (const CString& className : declared)
    {
        if (!MapperBindings::FindFactoryServing(bindings, className) && !registry->IsClassRefused(className))
        {
            registry->RefuseClass(className,
                                  L"no bound mapper serves it (Bind<Mapper>() in schema/MapperBindings.cpp).");
            refused.push_back(className);
        }
    }
    for (const MapperBinding& binding : bindings)
    {
        if (!isDeclared(binding.wmiClass))
        {
            registry->RefuseClass(binding.wmiClass, L"its mapper is bound, but no declaration table declares it.");
            refused.emplace_back(binding.wmiClass);
        }
        else if (binding.inNameChain && !registry->IsClassRefused(binding.wmiClass))
        {
            CWmipMapperRegistry::AddToMapperChain(binding.wmiClass, binding.factory);
        }
    }
    const std::vector<CString> unsegmented = registry->RefuseClassesWithoutSegmentSource();
    refused.insert(refused.end(), unsegmented.begin(), unsegmented.end());
    return refused;
}

void DeclareSchema()
{
    static std::once_flag declared;
    std::call_once(declared, [] {
        LoadSchema(GetSchemaDeclarationTables(), MapperBindings::GetBound());
        for (const MapperBinding& binding : MapperBindings::GetUndeclared())
        {
            CWmipMapperRegistry::AddToMapperChain(binding.wmiClass, binding.factory);
        }
        MapperBindings::InstallInRegistry();
    });
}
