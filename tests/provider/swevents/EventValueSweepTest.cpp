// What a record-change event serves and what a watch may ask of it, swept over the served
// classes of the registry: no value a read withholds (a password hash, a PIN's stored cipher)
// is carried by an event built for any class, nor by any event a restricted or an unrestricted
// watcher is delivered; a watch naming such a value is refused as a query naming it is; a watch
// compares a 64-bit property as a number, a text as the text (a quoted TRUE or 1 included) and a
// date-time as the instant its zone offset names, and refuses the literals a query refuses.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "framework/CWMITypeInfo.h"
#include "framework/CWmipClassMapper.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "platform/com/CimTypes.h"
#include "platform/com/WbemConstants.h"
#include "platform/security/CallerIdentity.h"
#include "platform/wmi/WbemClassObject.h"
#include "platform/wmi/IEnumWbemClassObject.h"
#include "platform/wmi/WbemErrorInfo.h"
#include "platform/xml/XmlDocument.h"
#include "provider/CWmipApp.h"
#include "provider/CWmipIntrinsicEventMapper.h"
#include "provider/CWmipPooledConnection.h"
#include "provider/CWmipUserCacheEntry.h"
#include "tests/provider/swevents/SwEventTestSupport.h"
#include "tests/support/BstrText.h"
#include "tests/support/EventQueryCase.h"
#include "tests/support/TestCallers.h"

namespace {

using swtest::ClassOf;
using swtest::Embedded;

// The stored form every withheld column is given in the texts handed in: were it served, it
// would show as this text.
constexpr wchar_t kCipher[] = L"A1B2C3D4E5F6";
// The demo's porter: Headquarters (segment 1) only.
constexpr wchar_t kHeadquartersPorterSid[] = L"S-1-5-21-1004336348-1177238915-682003330-1008";
// Every segment and the porter's rights, but a field group that may not view a cardholder's
// department.
constexpr wchar_t kFieldlessSid[] = L"S-1-5-21-1004336348-1177238915-682003330-2941";
constexpr char kFieldlessSql[] =
    "INSERT OR IGNORE INTO USER_PERM_UDF (USER_PERM_UDFID, NAME) VALUES (41, 'No departments');"
    "INSERT OR IGNORE INTO USER_PERM_UDF_FIELD (USER_PERM_UDFID, DDFLDID, CANVIEW, CANEDIT) VALUES (41, 7, 0, 0);"
    "INSERT OR IGNORE INTO USERS (USERID, LOGONID, FIRSTNAME, LASTNAME, SEGMENTID, ISENABLED, SYSTEM_USER_PERMID,"
    " MONITOR_USER_PERMID, CARD_USER_PERMID, REPORT_USER_PERMID, USER_PERM_UDFID, BNT_DBID) VALUES"
    " (41, 'fieldless', 'F', 'Fieldless', -1, 1, 1, 3, 2, 0, 41, 1);"
    "INSERT OR IGNORE INTO USER_ACCOUNT (USER_ACCOUNTID, USERID, BNT_DIRECTORYID, ACCOUNTID) VALUES"
    " (41, 41, 1, 'S-1-5-21-1004336348-1177238915-682003330-2941');";
// The values the fieldless watcher's field group hides.
const std::set<std::string> kFieldlessHides = {"Bnt_Cardholder.DEPARTMENT"};

std::string Utf8(const CString& text)
{
    return CStringToUtf8(text);
}

// A class served by the registry, its mapper, its definition (with the properties the mapper
// adds from its tables) and the properties the mapper never serves.
struct ServedClass
{
    CString name;
    std::unique_ptr<CWmipClassMapper> mapper;
    ComPtr<IWbemClassObject> definition;
    std::vector<CString> withheld;
};

// A text each column of the class reads back from, by its property's CIM type; a withheld
// column holds kCipher. Ids are 1, so the records belong to Headquarters' person 1.
std::wstring DataElement(ServedClass& served)
{
    std::map<std::wstring, std::wstring> tables;
    WMIHelper::ForEachProperty(
        served.definition.Get(), WBEM_FLAG_NONSYSTEM_ONLY, [&](const CString& property, const VARIANT&, CIMTYPE type) {
            const CString column = served.mapper->GetTableDotColumn(property);
            const int dot = column.Find(L'.');
            std::wstring value;
            if (served.mapper->IsSecretProperty(property))
                value = kCipher;
            else if (IsIntegerCimType(type) || type == CIM_BOOLEAN)
                value = L"1";
            else if (type == CIM_STRING)
                value = L"x";
            else if (type == CIM_DATETIME)
                value = L"2026-12-07 09:30:00";
            if (dot <= 0 || value.empty())
                return true;
            const std::wstring name = column.Mid(dot + 1).GetWString();
            tables[column.Left(dot).GetWString()] += L"<" + name + L">" + value + L"</" + name + L">";
            return true;
        });
    std::wstring text;
    for (const auto& [table, columns] : tables)
        text += L"<" + table + L">" + columns + L"</" + table + L">";
    return text;
}

// Every value of the object as text, by property; embedded objects are not followed.
std::map<std::string, std::string> Values(IWbemClassObject* object)
{
    std::map<std::string, std::string> values;
    WMIHelper::ForEachProperty(object, WBEM_FLAG_NONSYSTEM_ONLY, [&](const CString& name, const VARIANT&, CIMTYPE) {
        values[Utf8(name)] = support::PropertyText(object, name.GetString());
        return true;
    });
    return values;
}

class EventValueSweep : public swtest::SoftwareEventTest
{
protected:
    // The served classes with a mapper, in the registry's order, built on the pooled
    // connection's user as the event mapper builds them.
    std::vector<ServedClass> ServedClasses()
    {
        std::vector<ServedClass> classes;
        CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
        for (const CString& name : registry->GetTypeNames())
        {
            std::unique_ptr<CWmipClassMapper> mapper(CWmipMapperRegistry::GetMapper(
                m_connection.Get(), nullptr, static_cast<IWbemServices*>(m_namespace.Get()), name.GetString(),
                Door::kWmi, nullptr));
            ComPtr<IWbemClassObject> definition;
            if (mapper == nullptr)
                continue;
            EXPECT_EQ(mapper->GetHeldClass(definition, TRUE), S_OK) << Utf8(name);
            if (definition == nullptr)
                continue;
            ServedClass served{name, std::move(mapper), definition, {}};
            WMIHelper::ForEachProperty(definition.Get(), WBEM_FLAG_NONSYSTEM_ONLY,
                                       [&](const CString& property, const VARIANT&, CIMTYPE) {
                                           if (served.mapper->IsSecretProperty(property))
                                               served.withheld.push_back(property);
                                           return true;
                                       });
            classes.push_back(std::move(served));
        }
        return classes;
    }

    // Subscribes each watch of the table to changes of the class's records (handed in as the
    // kind of event given), hands in the changes, and checks that each watch is refused with the
    // query road's code and sentence, or delivered the changes whose target records' values of
    // the property the table gives (each as `label` names it).
    void ExpectWatches(const std::wstring& className, SHORT eventType,
                       const std::vector<std::pair<support::EventWatchCase, std::wstring>>& watches,
                       const std::vector<std::wstring>& changes, const wchar_t* property,
                       const std::function<std::string(const std::string&)>& label = {})
    {
        std::vector<ComPtr<support::RecordingSink>> sinks;
        const std::wstring changesOf =
            L"SELECT * FROM __InstanceModificationEvent WHERE TargetInstance ISA '" + className + L"'";
        for (const auto& [watch, condition] : watches)
        {
            SCOPED_TRACE(watch.rule);
            const std::wstring query = changesOf + L" AND (" + condition + L")";
            HRESULT result = S_OK;
            sinks.push_back(Subscribe(query.c_str(), &result));
            if (!watch.refused)
            {
                EXPECT_EQ(result, WBEM_S_NO_ERROR);
                continue;
            }
            EXPECT_EQ(result, WBEM_E_INVALID_QUERY);
            EXPECT_NE(Refusal().find(watch.expected), std::string::npos) << watch.expected;
        }
        const ComPtr<support::RecordingSink> all = Subscribe(changesOf.c_str());
        ASSERT_NE(all, nullptr);
        for (const std::wstring& change : changes)
            HandIn(eventType, CWmipIntrinsicEventMapper::kModified, 0, change);
        ASSERT_TRUE(all->WaitForObjects(changes.size(), swtest::kEventTimeout));
        for (std::size_t i = 0; i < sinks.size(); ++i)
        {
            if (watches[i].first.refused)
                continue;
            std::string values;
            for (const ComPtr<IWbemClassObject>& event : sinks[i]->Objects())
            {
                const std::string value =
                    support::PropertyText(Embedded(event.Get(), L"TargetInstance").Get(), property);
                values += (values.empty() ? "" : " ") + (label ? label(value) : value);
            }
            EXPECT_EQ(values, watches[i].first.expected) << watches[i].first.rule;
            m_namespace->CancelAsyncCall(sinks[i].Get());
        }
        m_namespace->CancelAsyncCall(all.Get());
    }

    const CWmipPooledConnection m_connection{CWmipApp::GetConnectionManager()};

    // The refusal text of the last failed subscription.
    static std::string Refusal()
    {
        const ComPtr<IWbemClassObject> why = WbemErrorInfo::Take();
        return why ? support::PropertyText(why.Get(), L"Description") : std::string("<no reason>");
    }
};

// Every served class: an event's instance filled from a text that holds every declared column
// leaves each withheld property empty and carries the stored cipher nowhere. Then every class
// a record change is built for, changed as a whole (before and after): neither the
// administrator nor the porter (one segment, persons segmented) is delivered the cipher in a
// target or a previous instance, and both are delivered something to look at.
TEST_F(EventValueSweep, NoEventCarriesAValueAReadWithholds)
{
    std::vector<ServedClass> classes = ServedClasses();
    std::set<std::string> withheldFound;
    std::map<std::string, std::wstring> elements;
    for (ServedClass& served : classes)
    {
        SCOPED_TRACE(Utf8(served.name));
        const std::wstring element = DataElement(served);
        elements[Utf8(served.name)] = element;
        if (served.withheld.empty())
            continue;
        XmlDocument document;
        ASSERT_TRUE(document.LoadXML(L"<ROOT><NEWDATA>" + element + L"</NEWDATA></ROOT>"));
        IWbemClassObject* raw = nullptr;
        ASSERT_EQ(served.mapper->CreateInstanceFromXML(&raw, document.SelectSingleNode(L"/ROOT/NEWDATA"),
                                                       served.mapper->IsVisitorClass()),
                  S_OK);
        ComPtr<IWbemClassObject> instance;
        instance.Attach(raw);
        for (const CString& property : served.withheld)
        {
            EXPECT_EQ(support::PropertyText(instance.Get(), property.GetString()), "<null>") << Utf8(property);
            withheldFound.insert(Utf8(served.name + L"." + property));
        }
        for (const auto& [property, value] : Values(instance.Get()))
            EXPECT_EQ(value.find(CStringToUtf8(kCipher)), std::string::npos) << property;
    }
    EXPECT_TRUE(withheldFound.contains("Bnt_Badge.PIN") && withheldFound.contains("Bnt_User.Password"))
        << withheldFound.size();

    // The record kinds a change is handed in under, and their classes.
    std::map<SHORT, std::string> kinds;
    for (SHORT kind = CWmipIntrinsicEventMapper::kEventTypePerson + 1;
         kind < CWmipIntrinsicEventMapper::kFirstUnhandledEventType; ++kind)
    {
        const std::unique_ptr<CWmipClassMapper> mapper(CWmipMapperRegistry::GetMapper(
            nullptr, nullptr, nullptr, static_cast<SoftwareEventType>(kind), Door::kWmi));
        if (mapper != nullptr)
            kinds[kind] = Utf8(mapper->GetClassName());
    }
    ASSERT_TRUE(std::any_of(kinds.begin(), kinds.end(), [](const auto& kind) { return kind.second == "Bnt_Badge"; }));

    swtest::ExecuteOnInstallation(std::string(kFieldlessSql) +
                                  "UPDATE CONFIG_VALUE SET NUMBERVALUE = 1 WHERE CONFIGID IN (1003, 1004);");
    std::map<std::string, std::vector<ComPtr<support::RecordingSink>>> watchers;
    // The porter and the fieldless watcher watch first: the router hands an event to the watches
    // in the order they were made, so once the administrator's have every change, the others'
    // have had their turn.
    for (const auto& [sid, who] :
         {std::pair{static_cast<const wchar_t*>(kHeadquartersPorterSid), "porter"},
          std::pair{static_cast<const wchar_t*>(kFieldlessSid), "fieldless"},
          std::pair{static_cast<const wchar_t*>(support::callers::kAdministrator), "administrator"}})
    {
        const CallerIdentity::Scope caller(CallerIdentity(sid, SecurityImpersonation));
        // A watch that names only the badges, but selects persons too by a value they all hold:
        // what the watcher may not view is kept from it at delivery.
        HRESULT sneaking = S_OK;
        if (const ComPtr<support::RecordingSink> sink =
                Subscribe(L"SELECT * FROM __InstanceOperationEvent WHERE TargetInstance ISA 'Bnt_Badge' OR "
                          L"TargetInstance.LASTNAME = 'x'",
                          &sneaking))
            watchers[who].push_back(sink);
        else
            ADD_FAILURE() << who << " " << std::hex << sneaking;
        for (const auto& [kind, className] : kinds)
        {
            const std::wstring query = L"SELECT * FROM __InstanceOperationEvent WHERE TargetInstance ISA '" +
                                       brontel::utility::Utf8ToWide(className) + L"'";
            HRESULT result = S_OK;
            // A watcher that may not view a class is refused its watch, as before.
            if (const ComPtr<support::RecordingSink> sink = Subscribe(query.c_str(), &result))
                watchers[who].push_back(sink);
            else
                EXPECT_EQ(result, WBEM_E_ACCESS_DENIED) << who << " " << className;
        }
    }
    ASSERT_EQ(watchers["administrator"].size(), kinds.size() + 1);
    ASSERT_FALSE(watchers["porter"].empty());
    for (const auto& [kind, className] : kinds)
        HandIn(kind, CWmipIntrinsicEventMapper::kModified, 0,
               L"<ROOT><NEWDATA>" + elements[className] + L"</NEWDATA><OLDDATA>" + elements[className] +
                   L"</OLDDATA></ROOT>");
    for (const ComPtr<support::RecordingSink>& sink : watchers["administrator"])
        ASSERT_TRUE(sink->WaitForObjects(1, swtest::kEventTimeout));

    std::map<std::string, std::set<std::string>> delivered;
    for (const auto& [who, sinks] : watchers)
        for (const ComPtr<support::RecordingSink>& sink : sinks)
            for (const ComPtr<IWbemClassObject>& event : sink->Objects())
                for (const wchar_t* side : {L"TargetInstance", L"PreviousInstance"})
                {
                    const ComPtr<IWbemClassObject> instance = Embedded(event.Get(), side);
                    ASSERT_NE(instance, nullptr) << who;
                    const std::string className = ClassOf(instance.Get());
                    delivered[who].insert(className);
                    for (const auto& [property, value] : Values(instance.Get()))
                        EXPECT_EQ(value.find(CStringToUtf8(kCipher)), std::string::npos)
                            << who << " " << className << "." << property;
                    const auto served = std::find_if(classes.begin(), classes.end(), [&](const ServedClass& each) {
                        return Utf8(each.name) == className;
                    });
                    ASSERT_NE(served, classes.end()) << className;
                    for (const CString& property : served->withheld)
                    {
                        EXPECT_EQ(support::PropertyText(instance.Get(), property.GetString()), "<null>")
                            << who << " " << className << "." << Utf8(property);
                    }
                    // The field the fieldless watcher's group hides is never given to it.
                    for (const auto& [property, value] : Values(instance.Get()))
                    {
                        if (who == "fieldless" && kFieldlessHides.contains(className + "." + property))
                        {
                            EXPECT_EQ(value, "<null>") << className << "." << property;
                        }
                    }
                }
    std::set<std::string> everyClass;
    for (const auto& [kind, className] : kinds)
        everyClass.insert(className);
    EXPECT_EQ(delivered["administrator"], everyClass);
    // The porter is given the badge (of its own segment's person) and, persons being
    // segmented, no cardholder.
    EXPECT_TRUE(delivered["porter"].contains("Bnt_Badge")) << delivered["porter"].size();
    EXPECT_FALSE(delivered["porter"].contains("Bnt_Cardholder"));
    // The fieldless watcher is given the visitors and badges it may view whole.
    EXPECT_TRUE(delivered["fieldless"].contains("Bnt_Visitor") && delivered["fieldless"].contains("Bnt_Badge"))
        << delivered["fieldless"].size();
    for (const auto& [who, sinks] : watchers)
        for (const ComPtr<support::RecordingSink>& sink : sinks)
            m_namespace->CancelAsyncCall(sink.Get());
    swtest::ExecuteOnInstallation("UPDATE CONFIG_VALUE SET NUMBERVALUE = 0 WHERE CONFIGID IN (1003, 1004);");
}

// Every served class whose read joins values from another class's records (a level's reader
// link names its timezone), walked from the registry: each record the porter (Headquarters
// only) may read, handed to it as the target of a change from the next such record, carries on
// each side in each value from another table exactly what the porter's read of that side's
// record serves, so a change between a seen and a hidden joined record hides one side only: a link
// to the Warehouse's timezone carries no timezone name, one to a shared timezone carries it. Every
// joined record is found as the read finds it, so none is withheld for want of a name.
TEST_F(EventValueSweep, AnEventCarriesAJoinedValueOnlyAsTheWatchersReadServesIt)
{
    // The Headquarters level's link to reader 1 names the Warehouse's night shift, its link to
    // reader 0 the Headquarters' weekend cleaning.
    swtest::ExecuteOnInstallation("UPDATE ACCLVLINK SET TZID = 3 WHERE ACCESSLVID = 1 AND READERID = 1;"
                                  "UPDATE ACCLVLINK SET TZID = 4 WHERE ACCESSLVID = 1 AND READERID = 0;");
    // The installation is the program's: the links get their timezone back however the test ends.
    const struct Restore
    {
        ~Restore() { swtest::ExecuteOnInstallation("UPDATE ACCLVLINK SET TZID = 1 WHERE ACCESSLVID = 1;"); }
    } restore;
    auto porterUser = std::make_unique<CAcsUser>();
    ASSERT_TRUE(porterUser->Login(nullptr, nullptr, nullptr, -1, 3));
    ASSERT_FALSE(porterUser->IsAllSegmentsUser());
    CWmipUserCacheEntry porter(std::move(porterUser), nullptr, 0);
    CWmipIntrinsicEventMapper events(nullptr, static_cast<IWbemServices*>(m_namespace.Get()));
    const auto read = [this](const wchar_t* sid, const std::wstring& path) {
        const CallerIdentity::Scope caller(CallerIdentity(sid, SecurityImpersonation));
        ComPtr<IWbemClassObject> object;
        return SUCCEEDED(m_namespace->GetObject(support::BstrText(path.c_str()), 0, nullptr, &object, nullptr))
                   ? object
                   : ComPtr<IWbemClassObject>();
    };
    std::set<std::string> joinedClasses;
    std::set<std::string> served;
    std::set<std::string> withheld;
    std::set<std::string> unnamed;
    std::set<std::string> oneSideHidden;
    for (ServedClass& each : ServedClasses())
    {
        SCOPED_TRACE(Utf8(each.name));
        const CWMITypeInfo* type = CWmipMapperRegistry::Instance()->GetTypeInfo(each.name, true);
        if (type == nullptr || type->GetKeyProperties().empty() || !type->GetReferenceProperties().empty())
            continue;
        // The properties a read of the class takes from another table than its records' own.
        const CString key = type->GetKeyProperties().front().second;
        std::vector<CString> joined;
        WMIHelper::ForEachProperty(each.definition.Get(), WBEM_FLAG_NONSYSTEM_ONLY,
                                   [&](const CString& property, const VARIANT&, CIMTYPE) {
                                       const CString column = each.mapper->GetTableDotColumn(property);
                                       if (column.Find(L'.') > 0 &&
                                           column.Left(column.Find(L'.')).CompareNoCase(key.Left(key.Find(L'.'))) != 0)
                                           joined.push_back(property);
                                       return true;
                                   });
        if (joined.empty())
            continue;
        IEnumWbemClassObject* raw = nullptr;
        {
            const CallerIdentity::Scope administrator(
                CallerIdentity(support::callers::kAdministrator, SecurityImpersonation));
            if (FAILED(m_namespace->CreateInstanceEnum(support::BstrText(each.name.GetString()), 0, nullptr, &raw)))
                continue;
        }
        ComPtr<IEnumWbemClassObject> records;
        records.Attach(raw);
        // The records the porter may read, each with the porter's read of it.
        std::vector<std::pair<ComPtr<IWbemClassObject>, ComPtr<IWbemClassObject>>> readable;
        IWbemClassObject* next = nullptr;
        ULONG returned = 0;
        while (records->Next(WBEM_INFINITE, 1, &next, &returned) == WBEM_S_NO_ERROR && returned == 1)
        {
            ComPtr<IWbemClassObject> record;
            record.Attach(next);
            const std::string path = support::PropertyText(record.Get(), L"__RELPATH");
            if (const ComPtr<IWbemClassObject> porterRead =
                    read(kHeadquartersPorterSid, brontel::utility::Utf8ToWide(path)))
                readable.emplace_back(record, porterRead);
        }
        // Each record changes into the next, so that one side may name a record the porter sees
        // and the other one it does not: each side carries what the porter's read of its own
        // record serves.
        for (std::size_t i = 0; i < readable.size(); ++i)
        {
            const auto& [record, porterRead] = readable[i];
            const auto& [before, beforeRead] = readable[(i + 1) % readable.size()];
            const std::string path = support::PropertyText(record.Get(), L"__RELPATH") + " from " +
                                     support::PropertyText(before.Get(), L"__RELPATH");
            const ComPtr<WbemClassObject> event = WbemClassObject::CreateEmptyClass();
            _variant_t held(static_cast<IUnknown*>(record.Get()));
            _variant_t heldBefore(static_cast<IUnknown*>(before.Get()));
            ASSERT_EQ(event->Put(L"TargetInstance", 0, &held, CIM_OBJECT), WBEM_S_NO_ERROR);
            ASSERT_EQ(event->Put(L"PreviousInstance", 0, &heldBefore, CIM_OBJECT), WBEM_S_NO_ERROR);
            const std::vector<CWmipIntrinsicEventMapper::JoinedRecord> found = events.FindJoinedRecords(*event.Get());
            const unsigned hidden = events.HiddenJoinedRecords(porter, found);
            const ComPtr<IWbemClassObject> form = hidden == 0
                                                      ? ComPtr<IWbemClassObject>(event)
                                                      : CWmipIntrinsicEventMapper::Conceal(*event.Get(), found, hidden);
            ASSERT_NE(form, nullptr) << path;
            joinedClasses.insert(Utf8(each.name));
            std::set<std::string> sidesWithheld;
            for (const auto& [side, stored, own] : {std::tuple{L"TargetInstance", record, porterRead},
                                                    std::tuple{L"PreviousInstance", before, beforeRead}})
            {
                const ComPtr<IWbemClassObject> carried = Embedded(form.Get(), side);
                ASSERT_NE(carried, nullptr);
                for (const CString& property : joined)
                {
                    const std::string given = support::PropertyText(carried.Get(), property.GetString());
                    const std::string name = Utf8(each.name + L"." + property);
                    // A structured binding is named through a copy: a lambda may not capture one.
                    const wchar_t* const holder = side;
                    const auto owner = std::find_if(found.begin(), found.end(), [&](const auto& joinedRecord) {
                        return CString(joinedRecord.holder) == holder &&
                               std::find(joinedRecord.properties.begin(), joinedRecord.properties.end(), property) !=
                                   joinedRecord.properties.end();
                    });
                    if (owner != found.end() && owner->stored == nullptr && given == "<null>" &&
                        support::PropertyText(own.Get(), property.GetString()) != "<null>")
                        unnamed.insert(name);
                    // Exactly the value the porter's read of this side's record serves.
                    EXPECT_EQ(given, support::PropertyText(own.Get(), property.GetString()))
                        << path << " " << Utf8(side) << " " << Utf8(property);
                    if (given == "<null>" && support::PropertyText(stored.Get(), property.GetString()) != "<null>")
                    {
                        withheld.insert(name);
                        sidesWithheld.insert(Utf8(side));
                    }
                    else if (given != "<null>")
                    {
                        served.insert(name);
                    }
                }
            }
            if (sidesWithheld.size() == 1)
                oneSideHidden.insert(Utf8(each.name));
        }
    }
    EXPECT_TRUE(joinedClasses.contains("Bnt_AccessLevelReaderAssignment")) << joinedClasses.size();
    EXPECT_TRUE(withheld.contains("Bnt_AccessLevelReaderAssignment.TimezoneName")) << withheld.size();
    EXPECT_TRUE(served.contains("Bnt_AccessLevelReaderAssignment.TimezoneName")) << served.size();
    EXPECT_GE(joinedClasses.size(), 10u);
    // Every joined record is named by the columns its read joins on: a visit's by its visit
    // event's id, a logged event's description by its type and subtype.
    EXPECT_EQ(unnamed, std::set<std::string>{});
    EXPECT_TRUE(served.contains("Bnt_Visit.SCHEDULED_TIMEIN")) << served.size();
    EXPECT_TRUE(served.contains("Bnt_LoggedEvent.Description")) << served.size();
    // A change between a record whose joined record the porter sees and one whose it does not
    // withholds the values of the hidden side only.
    EXPECT_TRUE(oneSideHidden.contains("Bnt_AccessLevelReaderAssignment")) << oneSideHidden.size();
}

// Delivered through the provider, segmentation on (segments in use, persons not segmented:
// restricted callers watch record changes only then) and off: each side of a visit's change
// carries its own visit event's scheduled times exactly as the watcher's read of a visit naming
// that event serves them, to the administrator and to a watcher of every right and Headquarters
// only alike. A deleted visit naming a visit event no row holds keeps its times from the
// restricted watcher only while segmentation restricts.
TEST_F(EventValueSweep, EachSideOfAChangeCarriesTheJoinedValuesTheWatchersReadServes)
{
    swtest::ExecuteOnInstallation(
        "INSERT INTO VISIT_EVENT (VISIT_EVENTID, NAME, EMPID, SOURCE_BNT_DBID, SCHEDULED_TIMEIN, SCHEDULED_TIMEOUT,"
        " LASTCHANGED_UTC) VALUES (8, 'Audit', 1, 1, '2026-12-07 08:15:00', '2026-12-07 11:00:00',"
        " '2026-12-07 08:00:00'), (9, 'Stocktake', 8, 1, '2026-12-07 09:30:00', '2026-12-07 12:45:00',"
        " '2026-12-07 08:00:00');"
        "INSERT INTO VISIT (VISITID, VISIT_EVENTID, EMPID, VISITORID, LASTCHANGED_UTC) VALUES"
        " (8, 8, 1, 4, '2026-12-07 08:00:00'), (9, 9, 1, 4, '2026-12-07 08:00:00');");
    // The installation is the program's: it gets its rows and options back however the test ends.
    const struct Restore
    {
        ~Restore()
        {
            swtest::ExecuteOnInstallation("DELETE FROM VISIT WHERE VISITID IN (8, 9);"
                                          "DELETE FROM VISIT_EVENT WHERE VISIT_EVENTID IN (8, 9);"
                                          "UPDATE CONFIG_VALUE SET NUMBERVALUE = 1 WHERE CONFIGID = 1001;");
        }
    } restore;
    const auto visit = [](const wchar_t* visitId, const wchar_t* eventId, const wchar_t* timeIn,
                          const wchar_t* timeOut) {
        return std::wstring(L"<VISIT><VISITID>") + visitId + L"</VISITID><EMPID>1</EMPID><VISITORID>4</VISITORID>" +
               L"<VISIT_EVENTID>" + eventId + L"</VISIT_EVENTID></VISIT><VISIT_EVENT><SCHEDULED_TIMEIN>" + timeIn +
               L"</SCHEDULED_TIMEIN><SCHEDULED_TIMEOUT>" + timeOut + L"</SCHEDULED_TIMEOUT></VISIT_EVENT>";
    };
    const std::wstring moved = L"<ROOT><NEWDATA>" + visit(L"9", L"9", L"2026-12-07 09:30:00", L"2026-12-07 12:45:00") +
                               L"</NEWDATA><OLDDATA>" +
                               visit(L"9", L"8", L"2026-12-07 08:15:00", L"2026-12-07 11:00:00") + L"</OLDDATA></ROOT>";
    const std::wstring deleted =
        L"<ROOT><OLDDATA>" + visit(L"7", L"77", L"2026-12-07 14:00:00", L"2026-12-07 15:00:00") + L"</OLDDATA></ROOT>";
    // Every right, Headquarters (segment 1) only.
    swtest::ExecuteOnInstallation(support::TestCallers::Sql({support::callers::kHeadquartersChief}));
    const std::pair<const wchar_t*, const char*> watchers[] = {{support::callers::kAdministrator, "administrator"},
                                                               {support::callers::kHeadquartersChief, "chief"}};
    // By segmentation and watcher: each side's visit event and scheduled times, the previous side
    // of the change first (the Headquarters' host), then its target (the Warehouse's host), then
    // the deleted visit.
    const struct
    {
        bool segmented;
        const char* who;
        const char* expected;
    } cases[] = {
        {true, "administrator", "8 202612070815 202612071100; 9 202612070930 202612071245; 77 202612071400"},
        {true, "chief", "8 202612070815 202612071100; 9 202612070930 202612071245; 77 <null>"},
        {false, "administrator", "8 202612070815 202612071100; 9 202612070930 202612071245; 77 202612071400"},
        {false, "chief", "8 202612070815 202612071100; 9 202612070930 202612071245; 77 202612071400"},
    };
    for (const bool segmented : {true, false})
    {
        SCOPED_TRACE(segmented ? "segmentation on" : "segmentation off");
        swtest::ExecuteOnInstallation(std::string("UPDATE CONFIG_VALUE SET NUMBERVALUE = ") + (segmented ? "1" : "0") +
                                      " WHERE CONFIGID = 1001;");
        std::map<std::string, ComPtr<support::RecordingSink>> sinks;
        for (const auto& [sid, who] : watchers)
        {
            const CallerIdentity::Scope caller(CallerIdentity(sid, SecurityImpersonation));
            HRESULT result = S_OK;
            sinks[who] =
                Subscribe(L"SELECT * FROM __InstanceOperationEvent WHERE TargetInstance ISA 'Bnt_Visit'", &result);
            ASSERT_NE(sinks[who], nullptr) << who << " " << std::hex << result;
        }
        HandIn(SoftwareEventVisit, CWmipIntrinsicEventMapper::kModified, 0, moved);
        HandIn(SoftwareEventVisit, CWmipIntrinsicEventMapper::kDeleted, 0, deleted);
        for (const auto& [sid, who] : watchers)
        {
            SCOPED_TRACE(who);
            const ComPtr<support::RecordingSink>& sink = sinks[who];
            ASSERT_TRUE(sink->WaitForObjects(2, swtest::kEventTimeout));
            ASSERT_EQ(sink->Objects().size(), 2u);
            std::string seen;
            const std::pair<std::size_t, const wchar_t*> sides[] = {
                {0, L"PreviousInstance"}, {0, L"TargetInstance"}, {1, L"TargetInstance"}};
            for (const auto& [index, side] : sides)
            {
                const ComPtr<IWbemClassObject> instance = Embedded(sink->Objects()[index].Get(), side);
                ASSERT_NE(instance, nullptr);
                const std::string eventId = support::PropertyText(instance.Get(), L"VISIT_EVENTID");
                seen += (seen.empty() ? "" : "; ") + eventId;
                for (const wchar_t* property : {L"SCHEDULED_TIMEIN", L"SCHEDULED_TIMEOUT"})
                {
                    const std::string given = support::PropertyText(instance.Get(), property);
                    if (index == 0)
                    {
                        // The watcher's own read of the visit that names this side's visit event.
                        const CallerIdentity::Scope caller(CallerIdentity(sid, SecurityImpersonation));
                        ComPtr<IWbemClassObject> read;
                        const std::wstring path = L"Bnt_Visit.ID=" + brontel::utility::Utf8ToWide(eventId);
                        ASSERT_EQ(m_namespace->GetObject(support::BstrText(path.c_str()), 0, nullptr, &read, nullptr),
                                  WBEM_S_NO_ERROR);
                        EXPECT_EQ(given, support::PropertyText(read.Get(), property)) << Utf8(property);
                    }
                    if (index == 0 || std::wstring(property) == L"SCHEDULED_TIMEIN")
                        seen += " " + given.substr(0, 12);
                }
            }
            const std::string watcher = who;
            const auto expected = std::find_if(std::begin(cases), std::end(cases), [&](const auto& c) {
                return c.segmented == segmented && std::string(c.who) == watcher;
            });
            ASSERT_NE(expected, std::end(cases));
            EXPECT_EQ(seen, expected->expected);
            m_namespace->CancelAsyncCall(sink.Get());
        }
    }
}

// A watch compares a 64-bit property (held by the event as its decimal text) as the number it
// is, against numbers and number texts alike, and refuses what a query refuses: a literal that
// is no number compared with a number, no date-time compared with a date-time, and any value
// never served, with the query road's code and text naming the property as written. The badges
// were changed at a time with a fraction of a second, which the change carries as a get serves it.
TEST_F(EventValueSweep, AWatchComparesNumbersAsNumbersAndRefusesWhatAQueryRefuses)
{
    // The target badge ids of the changes delivered, or the refusal's sentence.
    const auto watches = support::WatchTable(
        L"TargetInstance.ID",
        {{"the instance before", L"PreviousInstance.ID >= '99999'", "100001 7"},
         {"no number", L"TargetInstance.ID = 'abc'",
          "The value \"abc\" compared with TargetInstance.ID is not a number", true},
         {"no number for a 32-bit key", L"TargetInstance.BADGEKEY > 'x'",
          "The value \"x\" compared with TargetInstance.BADGEKEY is not a number", true},
         {"no date-time", L"TargetInstance.LASTCHANGED < 'yesterday'",
          "The value \"yesterday\" compared with TargetInstance.LASTCHANGED is not a date-time", true},
         {"the PIN's cipher", L"TargetInstance.PIN = 'A1B2C3D4E5F6'",
          "The property TargetInstance.PIN is never served, so it cannot be evaluated: it may not appear in a "
          "WHERE clause or filter",
          true},
         {"the PIN before, any case, any operator", L"TargetInstance.ID > 0 OR PreviousInstance.pin IS NULL",
          "The property PreviousInstance.pin is never served", true},
         {"a password hash", L"TargetInstance ISA 'Bnt_User' AND TargetInstance.Password LIKE 'p%'",
          "The property TargetInstance.Password is never served", true}});
    const CallerIdentity::Scope administrator(CallerIdentity(support::callers::kAdministrator, SecurityImpersonation));
    const auto badge = [](const wchar_t* id) {
        return std::wstring(L"<BADGE><BADGEKEY>1</BADGEKEY><ID>") + id +
               L"</ID><TYPE>1</TYPE><EMPID>1</EMPID><LASTCHANGED>2026-12-07 09:30:00.5</LASTCHANGED></BADGE>";
    };
    const auto change = [&badge](const wchar_t* before, const wchar_t* after) {
        return L"<ROOT><NEWDATA>" + badge(after) + L"</NEWDATA><OLDDATA>" + badge(before) + L"</OLDDATA></ROOT>";
    };
    ExpectWatches(L"Bnt_Badge", SoftwareEventBadge, watches,
                  {change(L"99999", L"100001"), change(L"1234", L"99999"), change(L"100001", L"7")}, L"ID");
    // The query road refuses the same conditions with the same code and text, where it names
    // the property without the instance that holds it.
    const struct
    {
        const wchar_t* watched;
        const wchar_t* queried;
        std::string property;
    } sameAsQuery[] = {
        {L"TargetInstance.ID = 'abc'", L"SELECT * FROM Bnt_Badge WHERE ID = 'abc'", "ID"},
        // A property its mapper maps itself is read by its type first all the same.
        {L"TargetInstance.PERSONID = 'abc'", L"SELECT * FROM Bnt_Badge WHERE PERSONID = 'abc'", "PERSONID"},
        {L"TargetInstance.LASTCHANGED < 'yesterday'", L"SELECT * FROM Bnt_Badge WHERE LASTCHANGED < 'yesterday'",
         "LASTCHANGED"},
        {L"TargetInstance.Password LIKE 'p%'", L"SELECT * FROM Bnt_User WHERE Password LIKE 'p%'", "Password"},
    };
    for (const auto& same : sameAsQuery)
    {
        SCOPED_TRACE(same.property);
        IEnumWbemClassObject* raw = nullptr;
        EXPECT_EQ(m_namespace->ExecQuery(support::BstrText(L"WQL"), support::BstrText(same.queried), 0, nullptr, &raw),
                  WBEM_E_INVALID_QUERY);
        ComPtr<IEnumWbemClassObject> answered;
        answered.Attach(raw);
        // Its description starts with where it was raised.
        std::string expected = Refusal();
        expected.erase(0, expected.find("): ") + 3);
        expected.replace(expected.find(same.property + " "), same.property.size(), "TargetInstance." + same.property);
        expected.pop_back();
        HRESULT result = S_OK;
        EXPECT_EQ(Subscribe((std::wstring(L"SELECT * FROM __InstanceModificationEvent WHERE ") + same.watched).c_str(),
                            &result),
                  nullptr);
        EXPECT_EQ(result, WBEM_E_INVALID_QUERY);
        EXPECT_NE(Refusal().find(expected), std::string::npos) << expected;
    }
}

// A watch compares a quoted TRUE or FALSE with a badge's boolean as the boolean, as the query
// road does, and refuses a quoted text that is no boolean naming it and the property.
TEST_F(EventValueSweep, AWatchComparesAQuotedBooleanAsTheBoolean)
{
    // The anti-passback exemptions of the changed badges delivered (an exempt badge, then one that
    // is not), or the refusal's sentence.
    const auto watches = support::WatchTable(
        L"TargetInstance.APBEXEMPT",
        {{"the instance before", L"PreviousInstance.APBEXEMPT = 'true'", "0"},
         {"no boolean for the flag", L"TargetInstance.APBEXEMPT > 'maybe'",
          "The value \"maybe\" compared with TargetInstance.APBEXEMPT is not a boolean: write TRUE or FALSE", true}},
        support::kBooleanWatchCases);
    const CallerIdentity::Scope administrator(CallerIdentity(support::callers::kAdministrator, SecurityImpersonation));
    const auto badge = [](const wchar_t* exempt) {
        return std::wstring(L"<BADGE><BADGEKEY>1</BADGEKEY><ID>7</ID><TYPE>1</TYPE><EMPID>1</EMPID><APBEXEMPT>") +
               exempt + L"</APBEXEMPT></BADGE>";
    };
    const auto change = [&badge](const wchar_t* before, const wchar_t* after) {
        return L"<ROOT><NEWDATA>" + badge(after) + L"</NEWDATA><OLDDATA>" + badge(before) + L"</OLDDATA></ROOT>";
    };
    ExpectWatches(L"Bnt_Badge", SoftwareEventBadge, watches, {change(L"0", L"1"), change(L"1", L"0")}, L"APBEXEMPT");
}

// A watch compares a text as the text it is, a quoted TRUE or 1 included, and a date-time as the
// instant its zone offset names, as the query road does: the forms of a text and of a
// date-time every road reads alike, on cardholders changed into "O'Brien" at 09:00, "TRUE" at
// 10:00 and "1" at 11:00 UTC (a date with a fraction, as a column may hold it, read as a get reads
// it: 09:00 is written "09:00:00.000", the time before "12:00:00.1234567").
TEST_F(EventValueSweep, AWatchComparesTextsAndDateTimesAsAQueryDoes)
{
    const CallerIdentity::Scope administrator(CallerIdentity(support::callers::kAdministrator, SecurityImpersonation));
    const auto cardholder = [](const wchar_t* id, const wchar_t* name, const wchar_t* changed) {
        return std::wstring(L"<EMP><ID>") + id + L"</ID><LASTNAME>" + name + L"</LASTNAME><LASTCHANGED>" + changed +
               L"</LASTCHANGED><VISITOR>0</VISITOR></EMP>";
    };
    const auto change = [&cardholder](const wchar_t* id, const wchar_t* name, const wchar_t* changed) {
        return L"<ROOT><NEWDATA>" + cardholder(id, name, changed) + L"</NEWDATA><OLDDATA>" +
               cardholder(id, L"Before", L"2023-06-01 12:00:00.1234567") + L"</OLDDATA></ROOT>";
    };
    const std::vector<std::wstring> changes = {change(L"1", L"O'Brien", L"2024-01-02 09:00:00.000"),
                                               change(L"2", L"TRUE", L"2024-01-02 10:00:00"),
                                               change(L"3", L"1", L"2024-01-02 11:00:00")};
    {
        SCOPED_TRACE("texts");
        ExpectWatches(L"Bnt_Cardholder", SoftwareEventCardholder,
                      support::WatchTable(L"TargetInstance.LASTNAME", {}, support::kTextWatchCases), changes,
                      L"LASTNAME");
    }
    SCOPED_TRACE("date-times");
    ExpectWatches(L"Bnt_Cardholder", SoftwareEventCardholder,
                  support::WatchTable(L"TargetInstance.LASTCHANGED", {}, support::kDateWatchCases), changes,
                  L"LASTCHANGED", support::UtcHour);
}

}  // namespace
