// The five event configuration mappers on the demo installation: how each is built and found,
// with which rights, what it reads, and how keyed reads and WQL filters select rows. The rules
// every class keeps (view refusal, refused writes, no methods, key and noedit marks) are
// checked once in tests/framework/rules.
#include "tests/support/DemoMapperTest.h"

#include <algorithm>

#include "mappers/records/CWmipEventAlarmLinkMapper.h"
#include "mappers/records/CWmipEventParameterMapper.h"
#include "mappers/records/CWmipEventSubtypeDefinitionMapper.h"
#include "mappers/records/CWmipEventSubtypeParameterLinkMapper.h"
#include "mappers/records/CWmipEventTypeMapper.h"

using namespace demomapper;

namespace {

constexpr DWORD kViewEventConfiguration = 0x10000017;

struct EventClass
{
    const wchar_t* className;
    const wchar_t* mapperName;
    const wchar_t* (*wmiClassName)();
    bool inNameChain;
    // The registered properties, and the same columns as SQL.
    std::vector<const wchar_t*> properties;
    const char* sql;
};

const std::vector<EventClass>& EventClasses()
{
    static const std::vector<EventClass> classes = {
        {L"Bnt_EventType",
         L"CWmipEventTypeMapper",
         &CWmipEventTypeMapper::GetWMIClassName,
         true,
         {L"ID", L"Description"},
         "SELECT EVTYPEID, EVTDESCR FROM EVENTYPE ORDER BY EVTYPEID"},
        {L"Bnt_EventSubtypeDefinition",
         L"CWmipEventSubtypeDefinitionMapper",
         &CWmipEventSubtypeDefinitionMapper::GetWMIClassName,
         true,
         {L"ID", L"TypeID", L"SubtypeID", L"Description", L"SupportParameters", L"Category"},
         "SELECT EVENTID, EVTYPEID, EVID, EVDESCR, SUPPORT_PARAMS, CATEGORY FROM EVENT ORDER BY EVENTID"},
        {L"Bnt_EventParameter",
         L"CWmipEventParameterMapper",
         &CWmipEventParameterMapper::GetWMIClassName,
         true,
         {L"ID", L"Value", L"Description"},
         "SELECT EVENT_PARAMID, PARAMVALUE, DESCRIPTION FROM EVENT_PARAM ORDER BY EVENT_PARAMID"},
        {L"Bnt_EventSubtypeParameterLink",
         L"CWmipEventSubtypeParameterLinkMapper",
         &CWmipEventSubtypeParameterLinkMapper::GetWMIClassName,
         false,
         {L"EventSubtypeDefinitionID", L"EventParameterID"},
         "SELECT EVENTID, EVENT_PARAMID FROM EVENT_TO_EVENT_PARAM_LINK ORDER BY EVENTID, EVENT_PARAMID"},
        {L"Bnt_EventAlarmDefinitionLink",
         L"CWmipEventAlarmLinkMapper",
         &CWmipEventAlarmLinkMapper::GetWMIClassName,
         true,
         {L"PanelID", L"DeviceID", L"SecondaryDeviceID", L"EventTypeID", L"EventSubtypeDefinitionID",
          L"EventParameterID", L"AlarmDefinitionID"},
         "SELECT PANELID, DEVICEID, INPUTDEVID, EVTYPEID, EVID, EVENT_PARAMID, ALID FROM EVTALMLINK "
         "ORDER BY PANELID, DEVICEID, INPUTDEVID, EVTYPEID, EVID, EVENT_PARAMID"},
    };
    return classes;
}

class EventConfigurationMappers : public DemoMapperTest
{
};

TEST_F(EventConfigurationMappers, EachClassIsServedByItsOwnMapperWithViewRightAndNoWrites)
{
    for (const EventClass& c : EventClasses())
    {
        SCOPED_TRACE(CStringToUtf8(c.className));
        EXPECT_STREQ(c.wmiClassName(), c.className);
        auto mapper = FactoryMapper(c.className);
        ASSERT_NE(mapper, nullptr);
        EXPECT_EQ(mapper->GetClassName(), CString(c.className));
        EXPECT_EQ(mapper->GetViewPermission(), kViewEventConfiguration);
        EXPECT_EQ(mapper->GetAddPermission(), 0u);
        EXPECT_EQ(mapper->GetModifyPermission(), 0u);
        EXPECT_EQ(mapper->GetDeletePermission(), 0u);
        EXPECT_NE(dynamic_cast<CWmipDynamicClassMapper*>(mapper.get()), nullptr);
    }
    EXPECT_NE(dynamic_cast<CWmipEventTypeMapper*>(FactoryMapper(L"Bnt_EventType").get()), nullptr);
    EXPECT_NE(dynamic_cast<CWmipEventAlarmLinkMapper*>(FactoryMapper(L"Bnt_EventAlarmDefinitionLink").get()), nullptr);
    EXPECT_NE(
        dynamic_cast<CWmipEventSubtypeParameterLinkMapper*>(FactoryMapper(L"Bnt_EventSubtypeParameterLink").get()),
        nullptr);
}

TEST_F(EventConfigurationMappers, NameChainBuildsFourClassesButNotTheSubtypeParameterLink)
{
    for (const EventClass& c : EventClasses())
    {
        SCOPED_TRACE(CStringToUtf8(c.className));
        CString upper(c.className);
        upper.MakeUpper();
        auto mapper = ChainMapper(upper);
        if (!c.inNameChain)
        {
            EXPECT_EQ(mapper, nullptr);
            continue;
        }
        ASSERT_NE(mapper, nullptr) << "names match without regard to case";
        EXPECT_EQ(mapper->GetClassName(), CString(c.className));
    }
    EXPECT_NE(dynamic_cast<CWmipEventSubtypeDefinitionMapper*>(ChainMapper(L"bnt_eventsubtypedefinition").get()),
              nullptr);
    EXPECT_NE(dynamic_cast<CWmipEventParameterMapper*>(ChainMapper(L"Bnt_EventParameter").get()), nullptr);
    EXPECT_EQ(ChainMapper(L"Bnt_EventTypes"), nullptr);
}

TEST_F(EventConfigurationMappers, EnumerationCopiesEveryRowOfTheTableIntoItsProperties)
{
    GrantOperator(kViewEventConfiguration);
    // An alarm link is seen with its alarm definition: the demo's definitions, of segment -1, are
    // seen by no operator of a segment, so here they stand in one of the operator's.
    Exec("UPDATE ALARM SET SEGMENTID = 1;");
    LoginOperator();
    for (const EventClass& c : EventClasses())
    {
        SCOPED_TRACE(CStringToUtf8(c.className));
        ExpectEveryRowRead(FactoryMapper(c.className), c.properties, c.sql);
    }
}

TEST_F(EventConfigurationMappers, DemoCatalogueReadsAsConfigured)
{
    LoginAdministrator();
    auto subtypes = ChainMapper(L"Bnt_EventSubtypeDefinition");
    ASSERT_NE(subtypes, nullptr);
    const Instance fire = Get(*subtypes, L"Bnt_EventSubtypeDefinition.ID=9");
    ASSERT_NE(fire, nullptr);
    EXPECT_EQ(Values({fire}, {L"ID", L"TypeID", L"SubtypeID", L"Description", L"SupportParameters", L"Category"}),
              (Table{{"9", "7", "1", "Fire Alarm", "1", "3"}}));

    auto types = ChainMapper(L"Bnt_EventType");
    ASSERT_NE(types, nullptr);
    EXPECT_EQ(Values({Get(*types, L"Bnt_EventType.ID=0")}, {L"ID", L"Description"}), (Table{{"0", "Access Granted"}}));
    EXPECT_EQ(Get(*types, L"Bnt_EventType.ID=3"), nullptr) << "no event type 3 in the demo";

    auto parameters = ChainMapper(L"Bnt_EventParameter");
    ASSERT_NE(parameters, nullptr);
    EXPECT_EQ(Values({Get(*parameters, L"Bnt_EventParameter.ID=3")}, {L"ID", L"Value", L"Description"}),
              (Table{{"3", "3", "Manual pull station"}}));
}

TEST_F(EventConfigurationMappers, SubtypeParameterLinkIsAddressedByBothKeys)
{
    LoginAdministrator();
    auto links = FactoryMapper(L"Bnt_EventSubtypeParameterLink");
    ASSERT_NE(links, nullptr);
    const Instance link = Get(*links, L"Bnt_EventSubtypeParameterLink.EventSubtypeDefinitionID=10,EventParameterID=5");
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(Values({link}, {L"EventSubtypeDefinitionID", L"EventParameterID"}), (Table{{"10", "5"}}));
    EXPECT_EQ(Get(*links, L"Bnt_EventSubtypeParameterLink.EventSubtypeDefinitionID=10,EventParameterID=1"), nullptr)
        << "parameter 1 belongs to subtype 9";
    // The fire alarm subtype supports three parameters, the fire trouble subtype two.
    EXPECT_EQ(Query(*links, L"SELECT * FROM Bnt_EventSubtypeParameterLink WHERE EventSubtypeDefinitionID = 9").size(),
              3u);
}

TEST_F(EventConfigurationMappers, AlarmLinkIsAddressedBySixKeysAndNotByItsAlarm)
{
    LoginAdministrator();
    auto links = ChainMapper(L"Bnt_EventAlarmDefinitionLink");
    ASSERT_NE(links, nullptr);
    const wchar_t* manualPullStation = L"Bnt_EventAlarmDefinitionLink.PanelID=2,DeviceID=0,SecondaryDeviceID=1,"
                                       L"EventTypeID=7,EventSubtypeDefinitionID=1,EventParameterID=3";
    const Instance link = Get(*links, manualPullStation);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(Values({link}, {L"PanelID", L"DeviceID", L"SecondaryDeviceID", L"EventTypeID",
                              L"EventSubtypeDefinitionID", L"EventParameterID", L"AlarmDefinitionID"}),
              (Table{{"2", "0", "1", "7", "1", "3", "4"}}));

    // The smoke detector link differs from it in the parameter only.
    const Instance smoke = Get(*links, L"Bnt_EventAlarmDefinitionLink.PanelID=2,DeviceID=0,SecondaryDeviceID=1,"
                                       L"EventTypeID=7,EventSubtypeDefinitionID=1,EventParameterID=1");
    ASSERT_NE(smoke, nullptr);
    EXPECT_EQ(support::PropertyText(smoke.Get(), L"EventParameterID"), "1");

    // No link of that subtype names the heat detector.
    EXPECT_EQ(Get(*links, L"Bnt_EventAlarmDefinitionLink.PanelID=2,DeviceID=0,SecondaryDeviceID=1,"
                          L"EventTypeID=7,EventSubtypeDefinitionID=1,EventParameterID=2"),
              nullptr);

    // Two demo links raise alarm 4; the alarm alone names neither.
    EXPECT_EQ(Query(*links, L"SELECT * FROM Bnt_EventAlarmDefinitionLink WHERE AlarmDefinitionID = 4").size(), 2u);
}

TEST_F(EventConfigurationMappers, WqlConditionsOnPropertiesFilterTheirColumns)
{
    LoginAdministrator();
    ExpectSelections({
        {L"Bnt_EventSubtypeDefinition",
         L"SELECT * FROM Bnt_EventSubtypeDefinition WHERE TypeID = 4",
         L"ID",
         {"6", "7", "8"}},
        {L"Bnt_EventSubtypeDefinition",
         L"SELECT * FROM Bnt_EventSubtypeDefinition WHERE TypeID = \"1\"",
         L"ID",
         {"3", "4"}},
        {L"Bnt_EventSubtypeDefinition",
         L"SELECT * FROM Bnt_EventSubtypeDefinition WHERE SupportParameters = 1 AND Category = 3",
         L"ID",
         {"10", "9"}},  // in text order
        {L"Bnt_EventSubtypeDefinition",
         L"SELECT * FROM Bnt_EventSubtypeDefinition WHERE Description LIKE 'Door%'",
         L"ID",
         {"6", "7"}},
        {L"Bnt_EventSubtypeDefinition",
         L"SELECT * FROM Bnt_EventSubtypeDefinition WHERE TypeID = 0 OR SubtypeID = 78",
         L"ID",
         {"1", "2", "8"}},
        {L"Bnt_EventType", L"SELECT * FROM Bnt_EventType WHERE ID >= 7", L"Description", {"Fire", "Video"}},
        {L"Bnt_EventType", L"SELECT * FROM Bnt_EventType WHERE Description = 'Duress'", L"ID", {"2"}},
        {L"Bnt_EventType",
         L"SELECT * FROM Bnt_EventType WHERE Description = \"Duress'; DROP TABLE EVENT; --\"",
         L"ID",
         {}},
        {L"Bnt_EventParameter", L"SELECT * FROM Bnt_EventParameter WHERE Value > 3", L"ID", {"4", "5"}},
        {L"Bnt_EventAlarmDefinitionLink",
         L"SELECT * FROM Bnt_EventAlarmDefinitionLink WHERE PanelID = 1 AND EventTypeID <> 2",
         L"EventSubtypeDefinitionID",
         {"5", "6"}},
    });
    EXPECT_EQ(Rows("SELECT COUNT(*) FROM EVENT")[0][0], "11") << "the quoted text stayed a value";
}

}  // namespace
