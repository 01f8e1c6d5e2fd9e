// Software events end to end: an XML text handed to the provider becomes an instance
// creation, modification or deletion event of the record's class, delivered to the
// subscriptions through the WMI service stand-in; the flag that reports person events as
// modifications; hostile and unknown events dropped; the access check of event queries.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/com/WbemConstants.h"
#include "platform/security/CallerIdentity.h"
#include "platform/wmi/IWbemObjectSink.h"
#include "framework/wql/ProcessClauseResult.h"
#include "provider/CWmipIntrinsicEventMapper.h"
#include "provider/CWmipSoftwareEventProcessor.h"
#include "provider/CWmipSoftwareEventProvider.h"
#include "tests/provider/swevents/SwEventTestSupport.h"
#include "tests/support/EventQueryCase.h"

namespace {

using swtest::ClassOf;
using swtest::Embedded;

// A cardholder's change with a person row and a user-defined row on each side.
std::wstring PersonXml(const wchar_t* visitor = L"0", bool lowerCase = false)
{
    const std::wstring root = lowerCase ? L"root" : L"ROOT";
    const std::wstring newData = lowerCase ? L"NewData" : L"NEWDATA";
    const std::wstring oldData = lowerCase ? L"OldData" : L"OLDDATA";
    const std::wstring kind = std::wstring(L"<VISITOR>") + visitor + L"</VISITOR>";
    return L"<" + root + L"><" + newData + L"><EMP><ID>1</ID><LASTNAME> New </LASTNAME>" + kind +
           L"<LASTCHANGED>2026-12-07 09:30:00</LASTCHANGED></EMP><UDFEMP><DEPARTMENT>NewDept</DEPARTMENT></UDFEMP></" +
           newData + L"><" + oldData + L"><EMP><ID>1</ID><LASTNAME>Old</LASTNAME>" + kind +
           L"</EMP><UDFEMP><DEPARTMENT>OldDept</DEPARTMENT></UDFEMP></" + oldData + L"></" + root + L">";
}

class SoftwareEvents : public swtest::SoftwareEventTest
{
protected:
    // The router hands every instance operation event to the subscription; the condition only
    // keeps the access check to the classes the operator may view.
    SoftwareEvents() : m_all(Subscribe(L"SELECT * FROM __InstanceOperationEvent WHERE TargetInstance ISA 'Bnt_Person'"))
    {
    }
    ~SoftwareEvents() override { m_namespace->CancelAsyncCall(m_all.Get()); }

    // The next event the catch-all subscription receives; null when none comes.
    ComPtr<IWbemClassObject> NextEvent()
    {
        if (m_all == nullptr || !m_all->WaitForObjects(m_seen + 1, swtest::kEventTimeout))
        {
            return ComPtr<IWbemClassObject>();
        }
        return m_all->Objects()[m_seen++];
    }
    // True when no further event arrives within a short while (the processor is idle by then:
    // a marker event handed in afterwards arrives first).
    bool NoEventArrives()
    {
        HandIn(2, 3, 0, PersonXml());
        const ComPtr<IWbemClassObject> marker = NextEvent();
        return marker != nullptr && ClassOf(marker.Get()) == "__InstanceDeletionEvent" &&
               support::PropertyText(Embedded(marker.Get(), L"TargetInstance").Get(), L"LASTNAME") == "Old";
    }

    ComPtr<support::RecordingSink> m_all;
    std::size_t m_seen = 0;
};

TEST_F(SoftwareEvents, AWatchOnCardholderModificationsReceivesTheEvent)
{
    const ComPtr<support::RecordingSink> watch =
        Subscribe(L"SELECT * FROM __InstanceModificationEvent WHERE TargetInstance ISA 'Bnt_Cardholder'");
    ASSERT_NE(watch, nullptr);
    HandIn(2, 2, 0, PersonXml());
    ASSERT_TRUE(watch->WaitForObjects(1, swtest::kEventTimeout));
    const ComPtr<IWbemClassObject> event = watch->Objects()[0];
    EXPECT_EQ(ClassOf(event.Get()), "__InstanceModificationEvent");
    const ComPtr<IWbemClassObject> target = Embedded(event.Get(), L"TargetInstance");
    EXPECT_EQ(ClassOf(target.Get()), "Bnt_Cardholder");
    EXPECT_EQ(support::PropertyText(target.Get(), L"ID"), "1");
    EXPECT_EQ(support::PropertyText(target.Get(), L"LASTNAME"), "New");
    EXPECT_EQ(support::PropertyText(target.Get(), L"DEPARTMENT"), "NewDept");
    EXPECT_EQ(support::PropertyText(target.Get(), L"LASTCHANGED").substr(0, 14), "20261207093000");
    EXPECT_EQ(support::PropertyText(Embedded(event.Get(), L"PreviousInstance").Get(), L"LASTNAME"), "Old");
    EXPECT_EQ(m_namespace->CancelAsyncCall(watch.Get()), WBEM_S_NO_ERROR);
}

TEST_F(SoftwareEvents, TheFlagBitDecidesTheOperationAndWhatEachSideHolds)
{
    struct Case
    {
        const char* rule;
        SHORT eventType;
        SHORT transaction;
        LONG flags;
        const char* eventClass;
        const char* targetClass;
        const char* target;    // LASTNAME / DEPARTMENT of the target
        const char* previous;  // of the previous instance; "" when the event has none
    };
    const Case cases[] = {
        {"created", 2, 1, 0, "__InstanceCreationEvent", "Bnt_Cardholder", "New/NewDept", ""},
        {"modified", 2, 2, 0, "__InstanceModificationEvent", "Bnt_Cardholder", "New/NewDept", "Old/OldDept"},
        {"deleted", 2, 3, 0, "__InstanceDeletionEvent", "Bnt_Cardholder", "Old/OldDept", ""},
        {"created, flag", 2, 1, 1, "__InstanceModificationEvent", "Bnt_Cardholder", "New/NewDept", "New/<null>"},
        {"modified, flag", 2, 2, 1, "__InstanceModificationEvent", "Bnt_Cardholder", "New/NewDept", "Old/OldDept"},
        {"deleted, flag", 2, 3, 1, "__InstanceModificationEvent", "Bnt_Cardholder", "Old/<null>", "Old/OldDept"},
        {"other bits", 2, 1, 6, "__InstanceCreationEvent", "Bnt_Cardholder", "New/NewDept", ""},
        {"person modified, flag", 1, 2, 1, "__InstanceModificationEvent", "Bnt_Cardholder", "New/NewDept",
         "Old/OldDept"},
        {"person created, flag", 1, 1, 1, "__InstanceCreationEvent", "Bnt_Cardholder", "New/NewDept", ""},
        {"person deleted", 1, 3, 0, "__InstanceDeletionEvent", "Bnt_Cardholder", "Old/OldDept", ""},
    };
    for (const Case& c : cases)
    {
        HandIn(c.eventType, c.transaction, c.flags, PersonXml());
        const ComPtr<IWbemClassObject> event = NextEvent();
        ASSERT_NE(event, nullptr) << c.rule;
        EXPECT_EQ(ClassOf(event.Get()), c.eventClass) << c.rule;
        const ComPtr<IWbemClassObject> target = Embedded(event.Get(), L"TargetInstance");
        EXPECT_EQ(ClassOf(target.Get()), c.targetClass) << c.rule;
        EXPECT_EQ(support::PropertyText(target.Get(), L"LASTNAME") + "/" +
                      support::PropertyText(target.Get(), L"DEPARTMENT"),
                  c.target)
            << c.rule;
        const ComPtr<IWbemClassObject> previous = Embedded(event.Get(), L"PreviousInstance");
        const std::string previousText = previous == nullptr
                                             ? ""
                                             : support::PropertyText(previous.Get(), L"LASTNAME") + "/" +
                                                   support::PropertyText(previous.Get(), L"DEPARTMENT");
        EXPECT_EQ(previousText, c.previous) << c.rule;
    }
}

TEST_F(SoftwareEvents, ThePersonKindAndLowerCaseNamesAreRead)
{
    struct Case
    {
        const char* rule;
        const wchar_t* visitor;
        bool lowerCase;
        const char* targetClass;
    };
    const Case cases[] = {
        {"cardholder", L"0", false, "Bnt_Cardholder"},
        {"blanks around the digit", L"  0 ", false, "Bnt_Cardholder"},
        {"lower-case elements", L"0", true, "Bnt_Cardholder"},
        {"visitor", L"1", false, "Bnt_Visitor"},
        {"another digit", L"7", true, "Bnt_Visitor"},
        {"empty kind", L"", false, "Bnt_Visitor"},
    };
    for (const Case& c : cases)
    {
        HandIn(1, 2, 0, PersonXml(c.visitor, c.lowerCase));
        const ComPtr<IWbemClassObject> event = NextEvent();
        ASSERT_NE(event, nullptr) << c.rule;
        EXPECT_EQ(ClassOf(Embedded(event.Get(), L"TargetInstance").Get()), c.targetClass) << c.rule;
        EXPECT_EQ(support::PropertyText(Embedded(event.Get(), L"PreviousInstance").Get(), L"LASTNAME"), "Old")
            << c.rule;
    }
}

TEST_F(SoftwareEvents, HostileAndUnknownEventsAreDroppedAndLogged)
{
    struct Case
    {
        const char* rule;
        SHORT eventType;
        SHORT transaction;
        std::wstring text;
        const char* logLine;
    };
    const Case cases[] = {
        {"external entity", 2, 1,
         L"<!DOCTYPE r [<!ENTITY x SYSTEM \"file:///etc/passwd\">]><ROOT><NEWDATA><EMP><LASTNAME>&x;</LASTNAME>"
         L"</EMP></NEWDATA></ROOT>",
         "XML parse error"},
        {"entity expansion", 2, 1,
         L"<!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]>"
         L"<ROOT><NEWDATA><EMP><LASTNAME>&b;</LASTNAME></EMP></NEWDATA></ROOT>",
         "XML parse error"},
        {"empty text", 2, 1, L"", "XML parse error"},
        {"no person kind", 1, 2, L"<ROOT><OLDDATA><EMP><LASTNAME>x</LASTNAME></EMP></OLDDATA></ROOT>",
         "Unspecified error creating software event"},
        {"transaction 0", 2, 0, PersonXml(), "unknown transaction type 0"},
        {"transaction 4", 2, 4, PersonXml(), "unknown transaction type 4"},
        {"record type without a class", 9, 1, PersonXml(), "record type 9 has no class"},
        {"negative record type", -3, 1, PersonXml(), "record type -3 has no class"},
        {"type 512", 512, 1, PersonXml(), "Software event of type 512 is not handled"},
        {"unconvertible value", 2, 1, L"<ROOT><NEWDATA><EMP><ID>one</ID></EMP></NEWDATA></ROOT>",
         "Error while creating WMI software event"},
        {"missing data element", 2, 2, L"<ROOT><NEWDATA/></ROOT>", "Unspecified error creating software event"},
    };
    for (const Case& c : cases)
    {
        const int before = swtest::CountProviderLogLines(c.logLine);
        HandIn(c.eventType, c.transaction, 0, c.text);
        EXPECT_TRUE(NoEventArrives()) << c.rule;
        EXPECT_GT(swtest::CountProviderLogLines(c.logLine), before) << c.rule;
    }
}

TEST_F(SoftwareEvents, TheAccessCheckNamesTheClassesOfTheQuery)
{
    using Case = support::EventAccessCase;
    const Case cases[] = {
        {"operator, cardholders", swtest::kOperatorSid,
         L"SELECT * FROM __InstanceModificationEvent WHERE TargetInstance ISA 'Bnt_Cardholder'", S_OK},
        {"operator, persons", swtest::kOperatorSid,
         L"SELECT * FROM __InstanceCreationEvent WHERE targetinstance ISA \"Bnt_Person\"", S_OK},
        // The default classes include the accounts, which the operator may not view.
        {"operator, no class named", swtest::kOperatorSid, L"SELECT * FROM __InstanceOperationEvent",
         WBEM_E_ACCESS_DENIED},
        {"operator, class without a mapper", swtest::kOperatorSid,
         L"SELECT * FROM __InstanceCreationEvent WHERE PreviousInstance ISA 'Bnt_NoSuchClass'", WBEM_E_FAILED},
        {"no view right, persons", swtest::kNoViewSid,
         L"SELECT * FROM __InstanceCreationEvent WHERE TargetInstance ISA 'Bnt_Person'", WBEM_E_ACCESS_DENIED},
        {"no view right, visitors", swtest::kNoViewSid,
         L"SELECT * FROM __InstanceDeletionEvent WHERE TargetInstance ISA 'Bnt_Visitor' OR TargetInstance.ID = 1",
         WBEM_E_ACCESS_DENIED},
        {"no view right, no class named", swtest::kNoViewSid, L"SELECT * FROM __InstanceOperationEvent",
         WBEM_E_ACCESS_DENIED},
        {"no right to use the provider", swtest::kNoRightSid, L"SELECT * FROM __InstanceOperationEvent",
         WBEM_E_ACCESS_DENIED},
        {"not a SELECT", swtest::kOperatorSid, L"ASSOCIATORS OF {Bnt_Cardholder.ID=1}", WBEM_E_FAILED},
        {"not a query", swtest::kOperatorSid, L"SELECT FROM", WBEM_E_FAILED},
        {"unknown account", L"S-1-5-21-1-2-3-999", L"SELECT * FROM __InstanceOperationEvent", WBEM_E_ACCESS_DENIED},
    };
    for (const Case& c : cases)
    {
        const CallerIdentity::Scope caller(CallerIdentity(c.caller, SecurityImpersonation));
        EXPECT_EQ(m_shell->AccessCheck(L"WQL", c.query, 0, nullptr), c.expected) << c.rule;
    }
}

TEST_F(SoftwareEvents, AFailedTranslationLeavesTheClassListFree)
{
    // A WHERE clause the translation refuses must not keep the mapper's lock: the next check runs.
    CWmipIntrinsicEventMapper* mapper = m_shell->Provider().GetProcessor()->GetMapper();
    ASSERT_NE(mapper, nullptr);
    EXPECT_EQ(m_shell->AccessCheck(L"WQL", L"SELECT * FROM __InstanceOperationEvent WHERE ((", 0, nullptr),
              WBEM_E_FAILED);
    std::thread other([this] {
        const CallerIdentity::Scope caller(CallerIdentity(swtest::kOperatorSid, SecurityImpersonation));
        EXPECT_EQ(m_shell->AccessCheck(L"WQL",
                                       L"SELECT * FROM __InstanceOperationEvent WHERE TargetInstance ISA "
                                       L"'Bnt_Visitor'",
                                       0, nullptr),
                  S_OK);
    });
    other.join();
}

TEST_F(SoftwareEvents, TheMapperSpawnsAnInstanceOfItsOwnClassOnlyIntoAnEmptyPointer)
{
    CWmipIntrinsicEventMapper* mapper = m_shell->Provider().GetProcessor()->GetMapper();
    ASSERT_NE(mapper, nullptr);
    ComPtr<IWbemClassObject> spawned;
    ASSERT_EQ(mapper->SpawnEventInstance(&spawned), S_OK);
    EXPECT_EQ(ClassOf(spawned.Get()), "__InstanceOperationEvent");
    IWbemClassObject* held = spawned.Get();
    IWbemClassObject* kept = held;
    EXPECT_EQ(mapper->SpawnEventInstance(&kept), S_OK);
    EXPECT_EQ(kept, held);
    EXPECT_EQ(mapper->SpawnEventInstance(nullptr), WBEM_E_INVALID_PARAMETER);
}

TEST(IntrinsicEventMapper, ProcessClauseCollectsTheClassesNamedWithIsa)
{
    struct Case
    {
        const char* rule;
        const wchar_t* property;
        int wqlOperator;
        const wchar_t* literal;
        ProcessClauseResult expected;
        const char* classes;
    };
    const Case cases[] = {
        {"person", L"TargetInstance", WqlOpIsa, L"\"Bnt_Person\"", ProcessClauseKeep, "Bnt_Cardholder,Bnt_Visitor,"},
        {"lower-case property", L"targetinstance", WqlOpIsa, L"\"Bnt_Person\"", ProcessClauseKeep,
         "Bnt_Cardholder,Bnt_Visitor,"},
        {"previous instance", L"PreviousInstance", WqlOpIsa, L"\"Bnt_Badge\"", ProcessClauseKeep, "Bnt_Badge,"},
        {"person in another case", L"TargetInstance", WqlOpIsa, L"\"bnt_person\"", ProcessClauseKeep, "bnt_person,"},
        {"other operator", L"TargetInstance", WqlOpEqual, L"\"Bnt_Badge\"", ProcessClauseDrop, ""},
        {"other property", L"SourceInstance", WqlOpIsa, L"\"Bnt_Badge\"", ProcessClauseDrop, ""},
        {"one character", L"TargetInstance", WqlOpIsa, L"\"", ProcessClauseKeep, ""},
        {"empty literal", L"TargetInstance", WqlOpIsa, L"", ProcessClauseKeep, ""},
    };
    CWmipIntrinsicEventMapper mapper(nullptr, nullptr);
    for (const Case& c : cases)
    {
        mapper.Lock();
        CString property(c.property);
        int wqlOperator = c.wqlOperator;
        CString literal(c.literal);
        CString extra;
        EXPECT_EQ(mapper.ProcessClause(property, wqlOperator, literal, extra), c.expected) << c.rule;
        EXPECT_TRUE(extra.IsEmpty()) << c.rule;
        std::string classes;
        for (const CString& name : mapper.GetClassList())
        {
            classes += CStringToUtf8(name) + ",";
        }
        mapper.Unlock();
        EXPECT_EQ(classes, c.classes) << c.rule;
    }
    SoftwareEventPacket packet;
    for (const auto& [type, handled] : {std::pair<SHORT, bool>{511, true}, {-1, true}, {0, true}, {512, false}})
    {
        packet.EventType = type;
        EXPECT_EQ(mapper.HandlesEvent(packet), handled) << type;
    }
}

TEST(SoftwareEventProvider, BeforeInitializeEventsAreDroppedAndNoThreadStarts)
{
    const ComPtr<support::RecordingSink> sink = support::RecordingSink::Create();
    CWmipSoftwareEventProvider provider(L"TestSoftwareProvider");
    EXPECT_EQ(provider.GetEventProviderType(), IWmipEventProviderInfo::SoftwareEventProvider);
    EXPECT_EQ(provider.GetEventProviderID(), CString(L"TestSoftwareProvider"));
    const int before = swtest::CountProviderLogLines("Unable to transfer software event to processor.");
    EXPECT_EQ(provider.ReceiveSoftwareEvent(1, 2, 1, 0, L"<ROOT/>"), S_OK);
    EXPECT_EQ(provider.ReceiveSoftwareEvent(2, 2, 1, 0, nullptr), S_OK);
    EXPECT_EQ(swtest::CountProviderLogLines("Unable to transfer software event to processor."), before + 2);
    EXPECT_EQ(provider.ProvideEvents(sink.Get(), 0), WBEM_E_FAILED);
}

TEST(SoftwareEventProvider, TheProcessorStartsOnceAndStopsWhenTheProviderGoes)
{
    const ComPtr<support::RecordingSink> sink = support::RecordingSink::Create();
    const int ended = swtest::CountProviderLogLines("Ending software event processor thread");
    {
        CWmipSoftwareEventProvider provider(L"TestSoftwareProvider");
        ASSERT_EQ(provider.Initialize(nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr), S_OK);
        EXPECT_EQ(provider.ProvideEvents(sink.Get(), 0), S_OK);
        EXPECT_EQ(provider.ProvideEvents(sink.Get(), 0), S_OK);
        CWmipSoftwareEventProcessor* processor = provider.GetProcessor();
        ASSERT_NE(processor, nullptr);
        // Only keeps a broken processor from hanging the test.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (processor->IsProcessing() == 0 && std::chrono::steady_clock::now() < deadline)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        EXPECT_EQ(processor->IsProcessing(), 1);
        // A text of 1500 bytes fits the first buffer, one of 1502 doubles it; the events
        // themselves fail without services.
        const int processed = swtest::CountProviderLogLines("Software event retrieved from queue");
        EXPECT_EQ(provider.ReceiveSoftwareEvent(1, 2, 1, 0, std::wstring(750, L' ').c_str()), S_OK);
        while (swtest::CountProviderLogLines("Software event retrieved from queue") == processed &&
               std::chrono::steady_clock::now() < deadline)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        EXPECT_EQ(processor->GetTextCapacity(), CWmipSoftwareEventProcessor::kInitialTextCapacity);
        EXPECT_EQ(provider.ReceiveSoftwareEvent(2, 2, 1, 0, std::wstring(751, L' ').c_str()), S_OK);
        while (processor->GetTextCapacity() == CWmipSoftwareEventProcessor::kInitialTextCapacity &&
               std::chrono::steady_clock::now() < deadline)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        EXPECT_EQ(processor->GetTextCapacity(), 2 * CWmipSoftwareEventProcessor::kInitialTextCapacity);
    }
    EXPECT_EQ(swtest::CountProviderLogLines("Ending software event processor thread"), ended + 1);
    EXPECT_TRUE(sink->Objects().empty());
}

}  // namespace

TEST_F(SoftwareEvents, EachSubscriptionReceivesOnlyTheEventsItsWhereClauseSelects)
{
    using Case = support::EventDeliveryCase;
    // The events handed in: a cardholder's modification, a visitor's, a cardholder's creation
    // reported as a modification (no department before), a cardholder's deletion. A visitor has
    // no department at all: a comparison on it is unknown, IS NULL included.
    const Case cases[] = {
        {"cardholders only", L"SELECT * FROM __InstanceModificationEvent WHERE TargetInstance ISA 'Bnt_Cardholder'",
         "M/Bnt_Cardholder/OldDept M/Bnt_Cardholder/<null>"},
        {"visitors only", L"SELECT * FROM __InstanceModificationEvent WHERE TargetInstance ISA 'Bnt_Visitor'",
         "M/Bnt_Visitor/<missing>"},
        {"the superclass", L"SELECT * FROM __InstanceModificationEvent WHERE TargetInstance ISA 'Bnt_Person'",
         "M/Bnt_Cardholder/OldDept M/Bnt_Visitor/<missing> M/Bnt_Cardholder/<null>"},
        {"deletions", L"SELECT * FROM __InstanceDeletionEvent WHERE TargetInstance ISA 'Bnt_Person'",
         "D/Bnt_Cardholder/"},
        {"an embedded property, any case",
         L"SELECT * FROM __InstanceOperationEvent WHERE TargetInstance ISA 'Bnt_Person' AND "
         L"TargetInstance.LastName = 'NEW'",
         "M/Bnt_Cardholder/OldDept M/Bnt_Visitor/<missing> M/Bnt_Cardholder/<null>"},
        {"NULL in an embedded object",
         L"SELECT * FROM __InstanceModificationEvent WHERE TargetInstance ISA 'Bnt_Person' AND "
         L"PreviousInstance.DEPARTMENT IS NULL",
         "M/Bnt_Cardholder/<null>"},
        {"NOT over NULL is unknown",
         L"SELECT * FROM __InstanceModificationEvent WHERE TargetInstance ISA 'Bnt_Person' AND NOT "
         L"PreviousInstance.DEPARTMENT = 'olddept'",
         ""},
        {"NOT ISA",
         L"SELECT * FROM __InstanceModificationEvent WHERE TargetInstance ISA 'Bnt_Person' AND NOT "
         L"TargetInstance ISA 'Bnt_Cardholder'",
         "M/Bnt_Visitor/<missing>"},
    };
    std::vector<ComPtr<support::RecordingSink>> sinks;
    for (const Case& c : cases)
    {
        sinks.push_back(Subscribe(c.query));
        ASSERT_NE(sinks.back(), nullptr) << c.rule;
    }
    // Subscribed last, so once it holds every event the others have had their turn at each.
    const ComPtr<support::RecordingSink> all =
        Subscribe(L"SELECT * FROM __InstanceOperationEvent WHERE TargetInstance ISA 'Bnt_Person'");
    ASSERT_NE(all, nullptr);
    HandIn(2, 2, 0, PersonXml());
    HandIn(1, 2, 0, PersonXml(L"1"));
    HandIn(2, 1, 1, PersonXml());
    HandIn(2, 3, 0, PersonXml());
    ASSERT_TRUE(all->WaitForObjects(4, swtest::kEventTimeout));

    // "M" or "D", the target's class, the department before ("" when the event has no before).
    const auto signatures = [](support::RecordingSink& sink) {
        std::string text;
        for (const auto& event : sink.Objects())
        {
            const std::string kind = ClassOf(event.Get()) == "__InstanceModificationEvent" ? "M" : "D";
            const ComPtr<IWbemClassObject> previous = Embedded(event.Get(), L"PreviousInstance");
            text += (text.empty() ? "" : " ") + kind + "/" + ClassOf(Embedded(event.Get(), L"TargetInstance").Get()) +
                    "/" + (previous == nullptr ? "" : support::PropertyText(previous.Get(), L"DEPARTMENT"));
        }
        return text;
    };
    for (std::size_t i = 0; i < sinks.size(); ++i)
    {
        EXPECT_EQ(signatures(*sinks[i]), cases[i].expected) << cases[i].rule;
        EXPECT_EQ(m_namespace->CancelAsyncCall(sinks[i].Get()), WBEM_S_NO_ERROR);
    }
    EXPECT_EQ(m_namespace->CancelAsyncCall(all.Get()), WBEM_S_NO_ERROR);
}

TEST_F(SoftwareEvents, APropertyTheEventClassLacksIsRefused)
{
    // Only a modification carries the instance before the change.
    HRESULT result = S_OK;
    EXPECT_EQ(Subscribe(L"SELECT * FROM __InstanceOperationEvent WHERE TargetInstance ISA 'Bnt_Person' AND "
                        L"PreviousInstance IS NULL",
                        &result),
              nullptr);
    EXPECT_EQ(result, WBEM_E_INVALID_QUERY);
}

// With persons segmented, a record change reaches a watcher only when it may read the record:
// the porter (Headquarters, segment 1, here also given the right to view accounts) watching new
// multimedia objects and changed accounts gets those of a Headquarters person (1) and not those
// of a Warehouse person (5), nor an account moved between them, while the operator, who holds
// both segments, gets both photos.
TEST_F(SoftwareEvents, ARecordChangeReachesOnlyTheWatchersThatMayReadTheRecord)
{
    swtest::ExecuteOnInstallation("UPDATE CONFIG_VALUE SET NUMBERVALUE = 1 WHERE CONFIGID IN (1003, 1004);"
                                  "INSERT INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID) VALUES (2, 536870985);");
    const auto photo = [](const wchar_t* person) {
        return std::wstring(L"<ROOT><NEWDATA><MMOBJS><EMPID>") + person +
               L"</EMPID><OBJECT>1</OBJECT><TYPE>0</TYPE></MMOBJS></NEWDATA><OLDDATA/></ROOT>";
    };
    // An account that belonged to the person before and belongs to the person now.
    const auto moved = [](const wchar_t* before, const wchar_t* now, const wchar_t* sid) {
        const auto row = [sid](const wchar_t* person) {
            return std::wstring(L"<CARDHOLDER_ACCOUNT><CARDHOLDER_ACCOUNTID>9</CARDHOLDER_ACCOUNTID><EMPID>") + person +
                   L"</EMPID><BNT_DIRECTORYID>1</BNT_DIRECTORYID><ACCOUNTID>" + sid +
                   L"</ACCOUNTID></CARDHOLDER_ACCOUNT>";
        };
        return L"<ROOT><NEWDATA>" + row(now) + L"</NEWDATA><OLDDATA>" + row(before) + L"</OLDDATA></ROOT>";
    };
    const auto account = [&moved](const wchar_t* person, const wchar_t* sid) { return moved(person, person, sid); };
    ComPtr<support::RecordingSink> porterPhotos;
    ComPtr<support::RecordingSink> porterAccounts;
    {
        const CallerIdentity::Scope porter(
            CallerIdentity(L"S-1-5-21-1004336348-1177238915-682003330-1008", SecurityImpersonation));
        porterPhotos =
            Subscribe(L"SELECT * FROM __InstanceCreationEvent WHERE TargetInstance ISA 'Bnt_MultimediaObject'");
        porterAccounts = Subscribe(L"SELECT * FROM __InstanceModificationEvent WHERE TargetInstance ISA 'Bnt_Account'");
    }
    const ComPtr<support::RecordingSink> operatorPhotos =
        Subscribe(L"SELECT * FROM __InstanceCreationEvent WHERE TargetInstance ISA 'Bnt_MultimediaObject'");
    ASSERT_NE(porterPhotos, nullptr);
    ASSERT_NE(porterAccounts, nullptr);
    ASSERT_NE(operatorPhotos, nullptr);

    HandIn(6, 1, 0, photo(L"5"));
    HandIn(5, 2, 0, account(L"5", L"S-hidden"));
    // An account moved from a hidden person to a seen one, or the other way, tells of the
    // hidden one on one side: neither reaches the porter.
    HandIn(5, 2, 0, moved(L"5", L"1", L"S-moved-in"));
    HandIn(5, 2, 0, moved(L"1", L"5", L"S-moved-out"));
    HandIn(6, 1, 0, photo(L"1"));
    HandIn(5, 2, 0, account(L"1", L"S-seen"));
    // The operator's subscription gets both photos in order: the porter's have had their turn.
    ASSERT_TRUE(operatorPhotos->WaitForObjects(2, swtest::kEventTimeout));
    EXPECT_EQ(support::PropertyText(Embedded(operatorPhotos->Objects()[0].Get(), L"TargetInstance").Get(), L"PersonID"),
              "5");
    ASSERT_TRUE(porterAccounts->WaitForObjects(1, swtest::kEventTimeout));
    ASSERT_EQ(porterPhotos->Objects().size(), 1u);
    EXPECT_EQ(support::PropertyText(Embedded(porterPhotos->Objects()[0].Get(), L"TargetInstance").Get(), L"PersonID"),
              "1");
    ASSERT_EQ(porterAccounts->Objects().size(), 1u);
    EXPECT_EQ(
        support::PropertyText(Embedded(porterAccounts->Objects()[0].Get(), L"TargetInstance").Get(), L"AccountID"),
        "S-seen");
    m_namespace->CancelAsyncCall(porterPhotos.Get());
    m_namespace->CancelAsyncCall(porterAccounts.Get());
    m_namespace->CancelAsyncCall(operatorPhotos.Get());
    swtest::ExecuteOnInstallation("UPDATE CONFIG_VALUE SET NUMBERVALUE = 0 WHERE CONFIGID IN (1003, 1004);"
                                  "DELETE FROM USER_PERM_GRANT WHERE USER_PERMID = 2 AND PERMISSIONID = 536870985;");
}

// A record change reaches a watcher only when it may view the record's class, whatever classes
// its query names: the operator, who may view cardholders and not accounts, names only
// cardholders yet selects other classes by NOT or OR; the changed account of a person it sees
// never reaches it, the cardholder's change does where its query selects it.
TEST_F(SoftwareEvents, ARecordChangeReachesOnlyTheWatchersThatMayViewItsClass)
{
    using Case = support::EventDeliveryCase;
    const Case cases[] = {
        {"NOT", L"SELECT * FROM __InstanceModificationEvent WHERE NOT TargetInstance ISA 'Bnt_Cardholder'", ""},
        {"OR over another class's property",
         L"SELECT * FROM __InstanceModificationEvent WHERE TargetInstance ISA 'Bnt_Cardholder' OR "
         L"TargetInstance.AccountID = 'S-seen'",
         "Bnt_Cardholder"},
    };
    std::vector<ComPtr<support::RecordingSink>> sinks;
    for (const Case& c : cases)
    {
        sinks.push_back(Subscribe(c.query));
        ASSERT_NE(sinks.back(), nullptr) << c.rule;
    }
    const std::wstring account =
        L"<CARDHOLDER_ACCOUNT><CARDHOLDER_ACCOUNTID>9</CARDHOLDER_ACCOUNTID><EMPID>1</EMPID>"
        L"<BNT_DIRECTORYID>1</BNT_DIRECTORYID><ACCOUNTID>S-seen</ACCOUNTID></CARDHOLDER_ACCOUNT>";
    HandIn(5, 2, 0, L"<ROOT><NEWDATA>" + account + L"</NEWDATA><OLDDATA>" + account + L"</OLDDATA></ROOT>");
    HandIn(2, 2, 0, PersonXml());
    ASSERT_NE(NextEvent(), nullptr);
    // Once the marker arrives every watch has had its turn at both changes.
    ASSERT_TRUE(NoEventArrives());
    for (std::size_t i = 0; i < sinks.size(); ++i)
    {
        std::string received;
        for (const auto& event : sinks[i]->Objects())
            received += (received.empty() ? "" : " ") + ClassOf(Embedded(event.Get(), L"TargetInstance").Get());
        EXPECT_EQ(received, cases[i].expected) << cases[i].rule;
        m_namespace->CancelAsyncCall(sinks[i].Get());
    }
}
