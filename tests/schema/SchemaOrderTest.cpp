// The order of the declarations: the class tree and the order rules that the registry's results
// depend on.
#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "framework/CWmipMapperRegistry.h"
#include "schema/DeclareSchema.h"
#include "tests/schema/SchemaWalk.h"

using schema_test::AllDeclarations;
using schema_test::FindProperty;
using schema_test::Narrow;
using schema_test::OfKind;
using K = SchemaDeclarationKind;

namespace {

std::vector<std::wstring> DeclaredClasses()
{
    std::vector<std::wstring> classes;
    for (const SchemaDeclaration* d : AllDeclarations())
    {
        if (d->IsClass())
        {
            classes.emplace_back(d->className);
        }
    }
    return classes;
}

// The derived-class lists as the registry records them: in registration order, under every
// superclass except the root.
std::map<std::wstring, std::vector<std::wstring>> DerivedLists()
{
    std::map<std::wstring, std::vector<std::wstring>> lists;
    for (const SchemaDeclaration* d : AllDeclarations())
    {
        const std::wstring superclass = d->superclass;
        if (d->IsClass() && !superclass.empty() && superclass != L"Bnt_Element")
        {
            lists[superclass].emplace_back(d->className);
        }
    }
    return lists;
}

std::vector<std::wstring> ClassesOfKind(K kind)
{
    std::vector<std::wstring> classes;
    for (const SchemaDeclaration* d : OfKind(kind))
    {
        classes.emplace_back(d->className);
    }
    return classes;
}

}  // namespace

// The order of the tables is the order the registry answers classes in: each class-tree walk
// names the concrete classes below a class depth first in declaration order, so a table moved in
// the list of SchemaTables.cpp moves them, and nothing else keeps the order.
TEST(SchemaOrder, RegistersTheClassesInTheOrderOfTheTables)
{
    DeclareSchema();
    const std::map<std::wstring, std::vector<std::wstring>> lists = DerivedLists();
    std::set<std::wstring> concrete;
    for (const SchemaDeclaration* d : AllDeclarations())
    {
        if (d->IsConcreteClass())
        {
            concrete.insert(d->className);
        }
    }
    const std::function<void(const std::wstring&, std::vector<std::wstring>&)> walk =
        [&](const std::wstring& className, std::vector<std::wstring>& out) {
            const auto derived = lists.find(className);
            for (const std::wstring& name : derived != lists.end() ? derived->second : std::vector<std::wstring>{})
            {
                if (concrete.contains(name))
                {
                    out.push_back(name);
                }
                walk(name, out);
            }
        };
    ASSERT_FALSE(lists.empty());
    for (const auto& [superclass, derived] : lists)
    {
        std::vector<std::wstring> expected;
        walk(superclass, expected);
        std::vector<std::wstring> registered;
        for (const CString& name : CWmipMapperRegistry::Instance()->GetConcreteDerivedTypes(superclass.c_str()))
        {
            registered.emplace_back(name.GetString());
        }
        EXPECT_EQ(registered, expected) << Narrow(superclass);
    }
}

TEST(SchemaOrder, RegistersEveryClassOnce)
{
    const std::vector<std::wstring> classes = DeclaredClasses();
    EXPECT_EQ(std::set<std::wstring>(classes.begin(), classes.end()).size(), classes.size());
}

TEST(SchemaOrder, KeepsEachClassAndItsMembersTogetherInOneTable)
{
    for (const SchemaDeclarationTable* table : GetSchemaDeclarationTables())
    {
        ASSERT_FALSE(table->empty());
        ASSERT_TRUE(table->front().IsClass()) << "a table opens with a class";
        std::wstring current;
        for (const SchemaDeclaration& d : *table)
        {
            if (d.IsClass())
            {
                current = d.className;
            }
            EXPECT_EQ(current, d.className) << "member of " << Narrow(d.className) << " inside " << Narrow(current);
        }
    }
}

TEST(SchemaOrder, DeclaresClassWideAttributesBeforeAnyPropertyOfTheClass)
{
    std::set<std::wstring> classesWithProperties;
    for (const SchemaDeclaration* d : AllDeclarations())
    {
        const bool isProperty =
            d->kind == K::Property || d->kind == K::ReferenceProperty || d->kind == K::DynamicProperty;
        if (isProperty)
        {
            classesWithProperties.insert(d->className);
        }
        if (d->kind == K::ClassWidePropertyAttribute)
        {
            EXPECT_FALSE(classesWithProperties.contains(d->className)) << Narrow(d->className);
        }
    }
}

TEST(SchemaOrder, DeclaresEveryPropertyBeforeItsAttributesAndValueList)
{
    std::set<std::wstring> defined;
    for (const SchemaDeclaration* d : AllDeclarations())
    {
        const std::wstring member = std::wstring(d->className) + L"." + d->name;
        switch (d->kind)
        {
        case K::Property:
        case K::ReferenceProperty:
        case K::DynamicProperty:
            EXPECT_TRUE(defined.insert(member).second) << "declared twice: " << Narrow(member);
            break;
        case K::PropertyAttributeInteger:
        case K::PropertyAttributeText:
        case K::PropertyValues:
            EXPECT_TRUE(defined.contains(member)) << "qualifier before its property: " << Narrow(member);
            break;
        default:
            break;
        }
    }
}

TEST(SchemaOrder, DeclaresEveryMethodBeforeItsParameters)
{
    std::set<std::wstring> methods;
    for (const SchemaDeclaration* d : AllDeclarations())
    {
        if (d->kind == K::Method)
        {
            EXPECT_TRUE(methods.insert(std::wstring(d->className) + L"." + d->name).second);
        }
        else if (d->kind == K::MethodParameter)
        {
            EXPECT_TRUE(methods.contains(std::wstring(d->className) + L"." + d->method)) << Narrow(d->method);
        }
    }
}

TEST(SchemaOrder, DeclaresTheRootAndEightAbstractClasses)
{
    EXPECT_EQ(ClassesOfKind(K::RootClass), std::vector<std::wstring>{L"Bnt_Element"});
    const std::vector<std::wstring> abstractClasses = {
        L"Bnt_AccessRequest",         L"Bnt_Output",       L"Bnt_Input",
        L"Bnt_ReaderInput",           L"Bnt_ReaderOutput", L"Bnt_IntrusionOutput",
        L"Bnt_MultimediaObjectOwner", L"Bnt_BadgeOwner"};
    EXPECT_EQ(ClassesOfKind(K::AbstractClass), abstractClasses);
}

TEST(SchemaOrder, DeclaresTheAbstractClassesOfTheRootRightAfterIt)
{
    const std::vector<std::wstring> classes = DeclaredClasses();
    const auto root = std::find(classes.begin(), classes.end(), L"Bnt_Element");
    ASSERT_NE(root, classes.end());
    const std::vector<std::wstring> following(root + 1, root + 8);
    EXPECT_EQ(following,
              (std::vector<std::wstring>{L"Bnt_Output", L"Bnt_Input", L"Bnt_ReaderInput", L"Bnt_ReaderOutput",
                                         L"Bnt_IntrusionOutput", L"Bnt_MultimediaObjectOwner", L"Bnt_BadgeOwner"}));
}

TEST(SchemaOrder, RecordsTheDerivedClassListsInRegistrationOrder)
{
    const std::map<std::wstring, std::vector<std::wstring>> expected = {
        {L"Bnt_Input", {L"Bnt_AlarmInput", L"Bnt_ReaderInput"}},
        {L"Bnt_Output", {L"Bnt_AlarmOutput", L"Bnt_ReaderOutput", L"Bnt_IntrusionOutput"}},
        {L"Bnt_IntrusionOutput", {L"Bnt_OffBoardRelay", L"Bnt_OnBoardRelay", L"Bnt_IntrusionZoneOutput"}},
        {L"Bnt_ReaderInput", {L"Bnt_ReaderInput1", L"Bnt_ReaderInput2"}},
        {L"Bnt_ReaderOutput", {L"Bnt_ReaderOutput1", L"Bnt_ReaderOutput2"}},
        {L"Bnt_AccessRequest", {L"Bnt_AccessLevelRequest", L"Bnt_ReaderRequest"}},
        {L"Bnt_PersonAccount", {L"Bnt_CardholderAccount", L"Bnt_VisitorAccount"}},
        {L"Bnt_BadgeOwner", {L"Bnt_CardholderBadge", L"Bnt_VisitorBadge"}},
        {L"Bnt_MultimediaObjectOwner", {L"Bnt_CardholderMultimediaObject", L"Bnt_VisitorMultimediaObject"}},
        {L"Bnt_MonitoringZoneDeviceLink", {L"Bnt_MonitoringZoneRecorderLink"}},
    };
    EXPECT_EQ(DerivedLists(), expected);
}

TEST(SchemaOrder, DeclaresFiveDynamicClassesWithoutSuperclass)
{
    const std::vector<std::wstring> dynamicClasses = {L"Bnt_Badge", L"Bnt_Cardholder", L"Bnt_Person", L"Bnt_Visit",
                                                      L"Bnt_Visitor"};
    EXPECT_EQ(ClassesOfKind(K::DynamicClass), dynamicClasses);
    for (const SchemaDeclaration* d : OfKind(K::DynamicClass))
    {
        EXPECT_TRUE(d->dynamicFlag);
        EXPECT_EQ(std::wstring(d->superclass), L"");
    }
}

TEST(SchemaOrder, GivesDynamicClassesOnlyTheirDeclaredKey)
{
    std::set<std::wstring> dynamicClasses;
    for (const SchemaDeclaration* d : OfKind(K::DynamicClass))
    {
        dynamicClasses.insert(d->className);
    }
    std::map<std::wstring, std::vector<std::wstring>> properties;
    std::map<std::wstring, std::wstring> keys;
    for (const SchemaDeclaration* d : OfKind(K::Property))
    {
        if (!dynamicClasses.contains(d->className))
        {
            continue;
        }
        properties[d->className].emplace_back(d->name);
        if (d->key != 0)
        {
            EXPECT_FALSE(keys.contains(d->className)) << "second key on " << Narrow(d->className);
            keys[d->className] = std::wstring(d->table) + L"." + d->column;
        }
        EXPECT_EQ(d->segmentOption, kNoSegmentOption);
    }
    EXPECT_EQ(keys, (std::map<std::wstring, std::wstring>{{L"Bnt_Badge", L"BADGE.BADGEKEY"},
                                                          {L"Bnt_Cardholder", L"EMP.ID"},
                                                          {L"Bnt_Person", L"EMP.ID"},
                                                          {L"Bnt_Visit", L"VISIT.VISITID"},
                                                          {L"Bnt_Visitor", L"EMP.ID"}}));
    EXPECT_EQ(properties[L"Bnt_Badge"], (std::vector<std::wstring>{L"BADGEKEY", L"ID"}));
    EXPECT_EQ(FindProperty(L"Bnt_Badge", L"ID")->cimType, CIM_SINT64);
    EXPECT_EQ(FindProperty(L"Bnt_Badge", L"ID")->key, 0);
}

TEST(SchemaOrder, DeclaresTheIrregularOrdersOfTheRequestClasses)
{
    auto sequence = [](const std::wstring& className) {
        std::vector<std::wstring> out;
        for (const SchemaDeclaration* d : AllDeclarations())
        {
            if (className != d->className)
            {
                continue;
            }
            switch (d->kind)
            {
            case K::PropertyValues:
                out.push_back(std::wstring(L"values:") + d->name);
                break;
            case K::PropertyAttributeInteger:
                out.push_back(std::wstring(d->name) + L":" + d->attribute);
                break;
            case K::Method:
                out.push_back(std::wstring(L"method:") + d->name);
                break;
            case K::Property:
            case K::DynamicProperty:
                out.emplace_back(d->name);
                break;
            default:
                break;
            }
        }
        return out;
    };
    const std::vector<std::wstring> readerRequest = sequence(L"Bnt_ReaderRequest");
    const auto at = [&](const std::wstring& item) {
        return std::find(readerRequest.begin(), readerRequest.end(), item) - readerRequest.begin();
    };
    EXPECT_EQ(at(L"values:Type"), at(L"Type") + 1);
    EXPECT_EQ(at(L"Type:noedit"), at(L"Type") + 2);
    EXPECT_EQ(at(L"Status"), at(L"OnHoldNote:noedit") + 1);
    EXPECT_EQ(at(L"Status:noedit"), at(L"Status") + 1);
    EXPECT_EQ(at(L"values:Status"), at(L"Status") + 2);
    EXPECT_EQ(at(L"Name"), at(L"Status") + 3);
    EXPECT_EQ(at(L"method:Approve"), at(L"ReaderFriendlyName:noedit") + 1);

    const std::vector<std::wstring> deviceLink = sequence(L"Bnt_MonitoringZoneDeviceLink");
    EXPECT_EQ(deviceLink, (std::vector<std::wstring>{L"MonitoringZoneID", L"PanelID", L"DeviceID", L"InputOutputID",
                                                     L"AllDevicesOnPanel", L"MonitoringZoneID:not_null",
                                                     L"PanelID:not_null", L"DeviceID:not_null",
                                                     L"InputOutputID:not_null", L"AllDevicesOnPanel:not_null"}));
}

TEST(SchemaOrder, DeclaresTheClassAttributeFirstWhereTheFamilySaysSo)
{
    for (const std::wstring className : {L"Bnt_BadgeType", L"Bnt_MultimediaObject"})
    {
        std::vector<K> kinds;
        for (const SchemaDeclaration* d : AllDeclarations())
        {
            // The class's segment sources and software event kind stand right after it, before
            // the family's order.
            if (className == d->className && d->kind != K::SegmentSource && d->kind != K::SoftwareEvent)
            {
                kinds.push_back(d->kind);
            }
        }
        ASSERT_GE(kinds.size(), 3u);
        EXPECT_EQ(kinds[1], K::ClassAttribute) << Narrow(className);
        EXPECT_EQ(kinds[2], K::ClassWidePropertyAttribute) << Narrow(className);
    }
}

TEST(SchemaOrder, ReportsEveryHardwareStatusAsAnUnsignedOutput)
{
    std::size_t statusMethods = 0;
    for (const SchemaDeclaration* d : OfKind(K::MethodParameter))
    {
        if (std::wstring(d->method) == L"GetHardwareStatus")
        {
            ++statusMethods;
            EXPECT_FALSE(d->input);
            EXPECT_EQ(std::wstring(d->name), L"Status");
            EXPECT_EQ(d->cimType, CIM_UINT32);
        }
    }
    std::size_t declared = 0;
    for (const SchemaDeclaration* d : OfKind(K::Method))
    {
        declared += std::wstring(d->name) == L"GetHardwareStatus" ? 1 : 0;
    }
    EXPECT_EQ(statusMethods, declared);
    EXPECT_GT(declared, 0u);
}

TEST(SchemaOrder, DeclaresTheMethodSignaturesOfMultiParameterMethods)
{
    auto signature = [](const std::wstring& className, const std::wstring& method) {
        std::vector<std::wstring> out;
        for (const SchemaDeclaration* d : OfKind(K::MethodParameter))
        {
            if (className == d->className && method == d->method)
            {
                out.push_back(std::wstring(d->input ? L"in " : L"out ") + d->name);
            }
        }
        return out;
    };
    EXPECT_EQ(signature(L"Bnt_Area", L"MoveBadge"),
              (std::vector<std::wstring>{L"in AreaID", L"in BadgeID", L"in PanelID", L"in ReaderID", L"in SegmentID",
                                         L"in UTCTime"}));
    EXPECT_EQ(signature(L"Bnt_Badge", L"AddBadge"), (std::vector<std::wstring>{L"in BadgeIn", L"out BadgeOut"}));
    EXPECT_EQ(signature(L"Bnt_IncomingEvent", L"AcknowledgeAlarm"),
              (std::vector<std::wstring>{L"in CurrentAckStatus", L"in SerialNumber", L"in CommServerHostName",
                                         L"in PanelID", L"in AlarmID", L"in AlarmTime", L"in AckStatus", L"in AckNotes",
                                         L"out ReturnValue", L"out SimultaneousAckStatus"}));
    EXPECT_EQ(signature(L"Bnt_Portavere", L"RecommendProperties").size(), 10u);
    EXPECT_EQ(signature(L"Bnt_Portavere", L"RecommendationSystemSetting"),
              std::vector<std::wstring>{L"out ReturnValue"});
}
