// An option or the field layout changed by another writer while a write waits for the write lock:
// the write frame compares, with the caller's rights, the list stamp its request's class
// definitions were served under, so the write answers what a request starting after the change
// answers (its refusal, code and text), writes nothing and calls no server. The change is made by
// the frame's test hook, on a connection of its own, at the last moment another writer can act.
// One table of changes (the PIN options, a field's length, required and unique flags, a field
// taken out of the layout) over a one-segment caller on both doors, the system administrator on
// WMI and a caller of every segment on the bus, with the definitions kept from earlier requests
// and with none kept (as in a process started inside the window); and a change that allows the
// write, which the write then follows.
#include "framework/CWmipWriteFrame.h"
#include "inhouse/BntLogin/CBntAcsSystemOptions.h"
#include "inhouse/BntLogin/CDefinitionStamps.h"
#include "simulation/SimulatedInstallation.h"
#include "tests/e2e/DoorTest.h"
#include "tests/isolation/BusDoor.h"
#include "tests/isolation/NamedRecordSweep.h"
#include "tests/roads/RoadReasons.h"
#include "tests/roads/ServerCalls.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/TestCallers.h"

#include <functional>
#include <string>
#include <vector>

using namespace e2e;
using namespace isolation;

namespace {
namespace callers = support::callers;

// Segment 3 ("Lab") holds cardholder 1 (badge 1) and visitor 4; cardholder and visitor
// segmentation on; PINs of six digits.
constexpr char kSetUp[] = R"(
INSERT INTO SEGMENT (SEGMENTID, NAME, TYPE) VALUES (3, 'Lab', 0);
INSERT INTO SEGMENT_UNIT (SEGMENTID) VALUES (3);
UPDATE CONFIG_VALUE SET NUMBERVALUE = 1 WHERE CONFIGID IN (1001, 1003, 1004);
UPDATE CONFIG_VALUE SET NUMBERVALUE = 6 WHERE CONFIGID = 1605;
UPDATE EMP SET SEGMENTID = 3 WHERE ID IN (1, 4);
)";

constexpr wchar_t kDefinitionsAnsweredAnew[] =
    L"The class definitions changed while the write waited; it is answered anew.";

std::string Option(LONG id, int value)
{
    return "UPDATE CONFIG_VALUE SET NUMBERVALUE = " + std::to_string(value) +
           " WHERE CONFIGID = " + std::to_string(id) + ";";
}

// A change of what a definition is made from, and what it takes back.
struct DefinitionChange
{
    std::string name;
    std::string change;
    std::string undo;
    // The class, the keys (none: a new record; the bus names them among the values) and the values
    // written.
    std::wstring className;
    NamedValues keys;
    NamedValues values;
    // The value the write must not land, as a query reads it.
    std::string guarded;
    // Whether the change takes the written property out of the caller's definition.
    bool outOfLayout = false;
};

class DefinitionBeforeLock : public DoorTest
{
protected:
    static void SetUpTestSuite()
    {
        support::InstallationDatabase::Execute(
            DoorInstallation::DatabaseFile(),
            kSetUp + support::TestCallers::Sql({callers::kLab, callers::kBusAdministrator}));
    }

    static void Apply(const std::string& sql)
    {
        if (!sql.empty())
            support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), sql);
    }

    // The tables a write of these records, or its audit, would touch.
    static std::vector<Table> Stored()
    {
        std::vector<Table> tables;
        for (const char* table : {"BADGE", "EMP", "UDFEMP", "VISITOR_UDF", "USER_TRANSACTION_LOG"})
            tables.push_back(DoorInstallation::Rows(std::string("SELECT * FROM ") + table + " ORDER BY rowid"));
        return tables;
    }

    std::vector<std::string> TakeServerCalls() { return isolation::TakeServerCalls(m_servers); }

    // What a write answered by `answer` left behind: a refusal nothing at all, not even a call to a
    // server; and the guarded value stands as it was (`value`) in any case.
    void LeftBehind(const std::string& answer, const std::vector<Table>& before, const DefinitionChange& change,
                    const Table& value)
    {
        if (answer != "ok")
        {
            EXPECT_EQ(Stored(), before);
            EXPECT_EQ(TakeServerCalls(), std::vector<std::string>());
        }
        EXPECT_EQ(DoorInstallation::Rows(change.guarded), value);
    }

    // The caller's put of the values on the record the path names (a new record of the class
    // without keys), read by the caller before anything changes: sent when the returned function
    // is called.
    std::function<std::string()> WmiPut(const wchar_t* caller, const std::wstring& path, const NamedValues& values)
    {
        CallAs(caller);
        const bool create = path.back() == L'.';
        const ComPtr<IWbemClassObject> record = create ? NewInstance(path.substr(0, path.size() - 1)) : Instance(path);
        if (record == nullptr)
            return [] { return std::string("<no record>"); };
        for (const auto& [name, value] : values)
        {
            _variant_t given(value);
            EXPECT_EQ(record->Put(name.c_str(), 0, &given, 0), WBEM_S_NO_ERROR) << Utf8(name);
        }
        return [this, caller, record, create] {
            CallAs(caller);
            return Answer(Put(Form::Sync, record.Get(), create ? WBEM_FLAG_CREATE_ONLY : WBEM_FLAG_UPDATE_ONLY));
        };
    }

    support::SimulatedInstallation m_servers{std::vector<std::wstring>{L"localhost"}};
};

// A caller on one door: its write of the keyed record, made ready before anything changes.
struct WriteRoad
{
    std::string name;
    bool wmi;
    std::function<std::function<std::string()>(const DefinitionChange&)> prepare;
};
}  // namespace

TEST_F(DefinitionBeforeLock, AnOptionOrLayoutChangedWhileTheWriteWaitsIsAnsweredAsAFreshRequestWithNothingWritten)
{
    BusDoor bus;
    const std::string busLab = bus.Login("lab");
    const std::string busAdministrator = bus.Login("busadmin");
    const auto wmi = [this](const wchar_t* caller) {
        return [this, caller](const DefinitionChange& change) {
            std::wstring path = change.className + L".";
            for (const auto& [key, value] : change.keys)
                path += (path.back() == L'.' ? L"" : L",") + key + L"=" + TextOf(value);
            return WmiPut(caller, path, change.values);
        };
    };
    const auto onBus = [&bus](const std::string& token) {
        return [&bus, token](const DefinitionChange& change) -> std::function<std::string()> {
            NamedValues values = change.keys;
            values.insert(values.end(), change.values.begin(), change.values.end());
            return [&bus, token, change, values] {
                return change.keys.empty() ? bus.Add(token, change.className, BusValues(values))
                                           : bus.Modify(token, change.className, BusValues(values));
            };
        };
    };
    const std::vector<WriteRoad> roads = {
        {"WMI, Lab", true, wmi(callers::kLab)},
        {"WMI, administrator", true, wmi(callers::kAdministrator)},
        {"bus, Lab", false, onBus(busLab)},
        {"bus, all segments", false, onBus(busAdministrator)},
    };

    int pin = 0;
    const auto badge = [&pin](int digits) {
        const std::wstring text = std::to_wstring(digits == 6 ? 610000 + ++pin : 4100 + ++pin);
        return DefinitionChange{"",
                                "",
                                "",
                                L"Bnt_Badge",
                                {{L"BADGEKEY", _variant_t(LONG{1})}},
                                {{L"PERSONID", _variant_t(LONG{1})},
                                 {L"TYPE", _variant_t(LONG{1})},
                                 {L"ID", _variant_t(LONG{100001})},
                                 {L"PIN", _variant_t(text.c_str())}},
                                "SELECT PIN FROM BADGE WHERE BADGEKEY = 1"};
    };
    const auto named = [](DefinitionChange change, std::string name, std::string made, std::string undo) {
        change.name = std::move(name);
        change.change = std::move(made);
        change.undo = std::move(undo);
        return change;
    };
    const NamedValues person = {{L"ID", _variant_t(LONG{1})}};
    // Each made anew for every request, so that PINs differ.
    const std::vector<std::function<DefinitionChange()>> changes = {
        [&] {
            return named(badge(4), "PIN edits forbidden", Option(CBntAcsSystemOptions::kPinEditableId, 0),
                         Option(CBntAcsSystemOptions::kPinEditableId, 1));
        },
        [&] {
            return named(badge(6), "PINs of four digits", Option(CBntAcsSystemOptions::kPinLengthKindId, 4),
                         Option(CBntAcsSystemOptions::kPinLengthKindId, 6));
        },
        [&] {
            return DefinitionChange{"COMPANY of five characters",
                                    "UPDATE DDFLD SET MAXLEN = 5 WHERE DDFLDID = 9",
                                    "UPDATE DDFLD SET MAXLEN = 64 WHERE DDFLDID = 9",
                                    L"Bnt_Visitor",
                                    {{L"ID", _variant_t(LONG{4})}},
                                    {{L"COMPANY", _variant_t(L"Dorn Logistics")}},
                                    "SELECT COMPANY FROM VISITOR_UDF WHERE ID = 4"};
        },
        [&] {
            return DefinitionChange{"FIRSTNAME required",
                                    "UPDATE DDFLD SET REQUIRED = 1 WHERE DDFLDID = 2",
                                    "UPDATE DDFLD SET REQUIRED = 0 WHERE DDFLDID = 2",
                                    L"Bnt_Cardholder",
                                    {},
                                    {{L"LASTNAME", _variant_t(L"Ingram")}},
                                    "SELECT ID FROM EMP WHERE LASTNAME = 'Ingram'"};
        },
        [&] {
            return DefinitionChange{"SSNO unique",
                                    "UPDATE DDFLD SET ISUNIQUE = 1 WHERE DDFLDID = 4",
                                    "UPDATE DDFLD SET ISUNIQUE = 0 WHERE DDFLDID = 4",
                                    L"Bnt_Cardholder",
                                    person,
                                    {{L"SSNO", _variant_t(L"E-1002")}},
                                    "SELECT SSNO FROM EMP WHERE ID = 1"};
        },
        [&] {
            return DefinitionChange{"THREATLEVEL out of the layout",
                                    "DELETE FROM UDFOBJS WHERE UDFOBJSID = 8",
                                    "INSERT INTO UDFOBJS (UDFOBJSID, TBLID, DDFLDID, DBOBJTYPE, LFIELD, LABEL) "
                                    "VALUES (8, 2, 8, 1, 8, 'Threat level clearance')",
                                    L"Bnt_Cardholder",
                                    person,
                                    {{L"THREATLEVEL", _variant_t(LONG{4})}},
                                    "SELECT THREATLEVEL FROM UDFEMP WHERE ID = 1",
                                    true};
        },
    };

    TakeServerCalls();
    for (const auto& made : changes)
    {
        for (const WriteRoad& road : roads)
        {
            // Made before the request starts: what a fresh request answers.
            DefinitionChange change = made();
            SCOPED_TRACE(change.name + " / " + road.name);
            std::function<std::string()> send = road.prepare(change);
            std::vector<Table> before = Stored();
            const Table value = DoorInstallation::Rows(change.guarded);
            Apply(change.change);
            const std::string fresh = Reason(send());
            // The WMI door takes a value of a property its caller's definition lacks as not given.
            EXPECT_EQ(fresh == "ok", road.wmi && change.outOfLayout) << fresh;
            LeftBehind(fresh, before, change, value);
            Apply(change.undo);

            // Made by another writer before the frame takes the lock: with the definitions kept
            // from earlier requests, and with none kept, as in a process started then.
            for (const bool kept : {true, false})
            {
                SCOPED_TRACE(kept ? "kept definitions" : "definitions made in the request");
                change = made();
                send = road.prepare(change);
                before = Stored();
                if (!kept)
                    CDefinitionStamps::NewDatabaseGeneration();
                const int anew = LogLines(kDefinitionsAnsweredAnew);
                bool changed = false;
                CWmipWriteFrame::TestHookBeforeLock([&] {
                    if (!changed)
                        Apply(change.change);
                    changed = true;
                });
                const std::string raced = Reason(send());
                CWmipWriteFrame::TestHookBeforeLock(nullptr);
                EXPECT_TRUE(changed);
                EXPECT_EQ(raced, fresh);
                EXPECT_EQ(LogLines(kDefinitionsAnsweredAnew), anew + 1);
                LeftBehind(raced, before, change, value);
                Apply(change.undo);
            }
        }
    }

    // PIN edits allowed again at the same moment: the write follows the definition under its lock.
    Apply(Option(CBntAcsSystemOptions::kPinEditableId, 0));
    for (const WriteRoad& road : roads)
    {
        SCOPED_TRACE("PIN edits allowed / " + road.name);
        const std::function<std::string()> send = road.prepare(badge(4));
        bool allowed = false;
        CWmipWriteFrame::TestHookBeforeLock([&] {
            if (!allowed)
                Apply(Option(CBntAcsSystemOptions::kPinEditableId, 1));
            allowed = true;
        });
        const Table pinBefore = DoorInstallation::Rows("SELECT PIN FROM BADGE WHERE BADGEKEY = 1");
        EXPECT_EQ(send(), "ok");
        CWmipWriteFrame::TestHookBeforeLock(nullptr);
        EXPECT_TRUE(allowed);
        EXPECT_NE(DoorInstallation::Rows("SELECT PIN FROM BADGE WHERE BADGEKEY = 1"), pinBefore);
        Apply(Option(CBntAcsSystemOptions::kPinEditableId, 0));
    }
    Apply(Option(CBntAcsSystemOptions::kPinEditableId, 1));
}
