// Runs the built provixa program as a person uses such a tool: JSON output that a JSON tool
// can read, exit statuses a script can act on, errors that say what is wrong, a put that
// changes only what it names, a bus shell that reads words as a shell does, and reads from a
// home the user cannot write.
#include "mappers/records/CWmipVisitMapper.h"
#include "schema/SchemaDeclaration.h"
#include "schema/SchemaTables.h"
#include "tests/tools/provixa/ProvixaJsonReader.h"
#include "tests/tools/provixa/ProvixaProgramTest.h"
#include "tests/support/TestSqlite.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {
using provixa_program::Contains;
using provixa_program::Json;
using provixa_program::JsonReader;
using provixa_program::Outcome;
using provixa_program::Quote;
using provixa_program::ReadAll;

// Each line of the text, parsed; fails the test for a line that is no JSON.
std::vector<Json> JsonLines(const std::string& text)
{
    std::vector<Json> values;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
    {
        Json value;
        std::string error;
        EXPECT_TRUE(JsonReader::Parse(line, value, error)) << error << ": " << line;
        values.push_back(value);
    }
    return values;
}

class ProvixaAsUsed : public provixa_program::ProvixaProgramTest
{
protected:
    void Init() const
    {
        const Outcome init = Provixa({"init"});
        ASSERT_EQ(init.status, 0) << init.err;
    }
    // Takes away every write permission of the home (left in WAL mode by a first request, the
    // harder case for a reader); the words that run the program as an account the modes hold
    // (nobody, when this is the superuser, who writes whatever they say), or none when the
    // program cannot be run so here. lastWrite, if given, runs on the database just before.
    std::optional<std::string> MakeHomeReadOnly(const char* lastWrite = nullptr) const
    {
        EXPECT_EQ(Provixa({"--as", "operator", "get", "Bnt_Cardholder.ID=1"}).status, 0);
        if (lastWrite)
        {
            const support::SqliteDatabase db = support::OpenSqlite(m_home / "provixa.db");
            EXPECT_NE(db, nullptr);
            EXPECT_EQ(sqlite3_exec(db.get(), lastWrite, nullptr, nullptr, nullptr), SQLITE_OK);
        }
        std::string asReader;
        if (geteuid() == 0)
        {
            asReader = "setpriv --reuid=65534 --regid=65534 --clear-groups env";
            if (std::system((asReader + " " + Quote(PROVIXA_BINARY) + " --help >/dev/null 2>&1").c_str()) != 0)
                return std::nullopt;
        }
        namespace fs = std::filesystem;
        fs::permissions(m_root, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                    fs::perms::others_read | fs::perms::others_exec);
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(m_home))
            fs::permissions(entry.path(), entry.is_directory()
                                              ? fs::perms::all & ~fs::perms::owner_write & ~fs::perms::group_write &
                                                    ~fs::perms::others_write
                                              : fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        fs::permissions(m_home, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
        return asReader;
    }
    Outcome Shell(const std::string& lines, const std::string& password, const std::vector<std::string>& options = {})
    {
        std::vector<std::string> args(options);
        args.insert(args.end(), {"bus", "shell"});
        return Provixa(args, lines, "PROVIXA_PASSWORD=" + Quote(password));
    }
};
}  // namespace

TEST_F(ProvixaAsUsed, JsonOutputCarriesOnlyJsonAndTheNotesGoToStandardError)
{
    Init();
    const Outcome run = Provixa({"--as", "operator", "--simulate", "--json", "batch", "-"},
                                "watch \"SELECT * FROM Bnt_AccessEvent\"\n"
                                "hwevent EventType=0 PanelID=1 SerialNumber=42 DataType=2 U64@56=123456\n"
                                "wait\n"
                                "exec Bnt_Panel.ID=1 SetClock\n");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<Json> values = JsonLines(run.out);
    ASSERT_EQ(values.size(), 2u) << run.out;
    EXPECT_EQ(values[0].members.at("watch").number, 1);
    EXPECT_EQ(values[0].members.at("event").members.at("class").text, "Bnt_AccessEvent");
    EXPECT_EQ(values[0].members.at("event").members.at("properties").members.at("SerialNumber").number, 42);
    EXPECT_EQ(values[1].kind, Json::Kind::Null);  // SetClock answers no object
    EXPECT_TRUE(Contains(run.err, "Watching (watch 1): SELECT * FROM Bnt_AccessEvent")) << run.err;
    EXPECT_TRUE(Contains(run.err, "Handed in: ")) << run.err;
    EXPECT_TRUE(Contains(run.err, "driver server received procedure 5 SetPanelClock")) << run.err;
}

TEST_F(ProvixaAsUsed, FailuresSayWhatIsWrongAndOnlyUsageErrorsExitTwo)
{
    Init();
    const struct
    {
        std::vector<std::string> args;
        int status;
        const char* message;
    } cases[] = {
        {{"get", "Bnt_Badge.ID=1"}, 1, "The key of Bnt_Badge is BADGEKEY"},
        {{"get", "Bnt_Badge.BADGEKEY=999"}, 1, "(WBEM_E_NOT_FOUND): there is no instance Bnt_Badge.BADGEKEY=999"},
        {{"delete", "Bnt_Badgee.BADGEKEY=1"}, 1, "there is no class Bnt_Badgee"},
        {{"query", "SELECT * FROM Bnt_Badgee"}, 1, "(WBEM_E_INVALID_CLASS): there is no class Bnt_Badgee"},
        {{"exec", "Bnt_Badge.BADGEKEY=1", "NoSuchMethod"}, 1, "Bnt_Badge has no method NoSuchMethod"},
        {{"query", "SELECT * FROM Bnt_Badge WHERE Nothing = 1"},
         1,
         "(WBEM_E_INVALID_QUERY): The WHERE clause could not be translated"},
        {{"query", "SELECT * FROM Bnt_Badge WHERE BADGEKEY = 1 OR Nothing = 1"},
         1,
         "property Nothing is not a property of class Bnt_Badge"},
        {{"--as", "nobody", "classes"}, 1, "no Windows account is linked to the user nobody"},
        {{"get", "--colour"}, 2, "unknown option --colour"},
    };
    for (const auto& one : cases)
    {
        std::vector<std::string> args{"--as", "admin"};
        if (one.args.front() == "--as")
            args.clear();
        args.insert(args.end(), one.args.begin(), one.args.end());
        const Outcome run = Provixa(args);
        EXPECT_EQ(run.status, one.status) << one.args.back() << "\n" << run.err;
        EXPECT_TRUE(Contains(run.err, one.message)) << one.args.back() << "\n" << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
    }
}

TEST_F(ProvixaAsUsed, InitAndRequestsRefuseAFileThatIsNoDatabase)
{
    Init();
    std::ofstream(m_home / "provixa.db", std::ios::binary | std::ios::trunc) << "these are no database pages\n";
    const Outcome init = Provixa({"init"});
    EXPECT_EQ(init.status, 1);
    EXPECT_TRUE(Contains(init.err, "is not a usable installation database")) << init.err;
    const Outcome get = Provixa({"--as", "operator", "classes"});
    EXPECT_EQ(get.status, 1);
    EXPECT_TRUE(Contains(get.err, "cannot read the installation database")) << get.err;
    const Outcome bus = Provixa({"bus", "version"});
    EXPECT_EQ(bus.status, 1);
    EXPECT_TRUE(Contains(bus.err, "cannot read the installation database")) << bus.err;
}

TEST_F(ProvixaAsUsed, PutOnAStoredInstanceChangesOnlyTheNamedProperties)
{
    Init();
    for (const std::vector<std::string>& put :
         {std::vector<std::string>{"BADGEKEY=2", "STATUS=2"}, std::vector<std::string>{"BADGEKEY=2", "PIN=1234"}})
    {
        std::vector<std::string> args{"--as", "admin", "put", "Bnt_Badge"};
        args.insert(args.end(), put.begin(), put.end());
        const Outcome run = Provixa(args);
        EXPECT_EQ(run.status, 0) << put.back() << ": " << run.err;
    }
    const Outcome get = Provixa({"--as", "admin", "--json", "get", "Bnt_Badge.BADGEKEY=2"});
    ASSERT_EQ(get.status, 0) << get.err;
    Json badge;
    std::string error;
    ASSERT_TRUE(JsonReader::Parse(get.out, badge, error)) << error;
    const auto& properties = badge.members.at("properties").members;
    EXPECT_EQ(properties.at("STATUS").number, 2);
    EXPECT_EQ(properties.at("ID").text, "100002");
    EXPECT_EQ(properties.at("TYPE").number, 1);
    EXPECT_EQ(properties.at("PERSONID").number, 2);
    EXPECT_EQ(properties.at("DEACTIVATE").text, "20301231235959.000000+000");
}

TEST_F(ProvixaAsUsed, TheBusShellReadsQuotedWordsAndListsAndModifiesOnlyNamedFields)
{
    Init();
    const Outcome run = Shell("login admin\n"
                              "get Bnt_Cardholder --filter \"ID > 2\" --size 0\n"
                              "exec Bnt_Badge AssignAccessLevel BADGEKEY=1 --param LevelIn=[1,2]\n"
                              "subs add description=Doors \"filter=Type = 1\"\n"
                              "subs modify 3 description=Gates\n",
                              "admin-demo");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Contains(run.out, "\"total_count\":5,")) << run.out;
    EXPECT_TRUE(Contains(run.out, "\n{}\n")) << run.out;
    EXPECT_TRUE(Contains(run.out, "\"description\":\"Gates\",\"disabled_date\":null,\"exchange_name\":\"amq.topic\","
                                  "\"filter\":\"Type = 1\""))
        << run.out;
    const Outcome unterminated = Shell("login admin\nget Bnt_Cardholder --filter \"ID > 2\n", "admin-demo");
    EXPECT_EQ(unterminated.status, 1);
    EXPECT_TRUE(Contains(unterminated.err, "unterminated quote")) << unterminated.err;
}

TEST_F(ProvixaAsUsed, SimulatedServersAnswerTheBusAndTraceToStandardError)
{
    Init();
    const Outcome run = Shell("login operator\nexec Bnt_Panel SetClock ID=1\n", "operator-demo", {"--simulate"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Contains(run.err, "driver server received procedure 5 SetPanelClock")) << run.err;
    for (const Json& line : JsonLines(run.out))
        EXPECT_EQ(line.kind, Json::Kind::Object);
}

TEST_F(ProvixaAsUsed, AWriteTheDatabaseLockRefusesSaysAnotherProcessHoldsIt)
{
    Init();
    ASSERT_EQ(Provixa({"--as", "admin", "get", "Bnt_Cardholder.ID=1"}).status, 0);
    // Another process's writer: the test's own connection holds the write lock.
    const support::SqliteDatabase db = support::OpenSqlite(m_home / "provixa.db");
    ASSERT_NE(db, nullptr);
    ASSERT_EQ(sqlite3_exec(db.get(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    const Outcome put = Provixa({"--as", "admin", "put", "Bnt_Cardholder", "ID=1", "DEPARTMENT=Locked"});
    EXPECT_EQ(put.status, 1);
    EXPECT_EQ(put.err, "Error 0x80041001 (WBEM_E_FAILED): The system was unable to write the instance to the "
                       "database. The database is locked by another process.\n");
    const Outcome modify =
        Provixa({"bus", "modify", "Bnt_Cardholder", "ID=1", "DEPARTMENT=Locked"}, "", "PROVIXA_PASSWORD=sa-demo");
    EXPECT_EQ(modify.status, 1);
    EXPECT_EQ(modify.err, "{\"error\":\"corvessa.editinstance.error\",\"hresult\":\"0x80041001\",\"message\":\"The "
                          "system was unable to write the instance to the database. (the database is locked by "
                          "another process)\"}\n");
    // In one batch and one bus shell: a failure of another cause after one the lock refuses says
    // its own reason only.
    const Outcome batch = Provixa({"--as", "admin", "batch", "-"},
                                  "put Bnt_Cardholder ID=1 DEPARTMENT=Locked\nget Bnt_Badge.BADGEKEY=999\n");
    EXPECT_EQ(batch.status, 1);
    EXPECT_EQ(batch.err, "provixa: line 1: Error 0x80041001 (WBEM_E_FAILED): The system was unable to write the "
                         "instance to the database. The database is locked by another process.\n"
                         "provixa: line 2: Error 0x80041002 (WBEM_E_NOT_FOUND): there is no instance "
                         "Bnt_Badge.BADGEKEY=999\n");
    const Outcome shell =
        Provixa({"bus", "shell"},
                "login sa\nmodify Bnt_Cardholder ID=1 DEPARTMENT=Locked\nget Bnt_Badge --filter \"NOPE = 1\"\n",
                "PROVIXA_PASSWORD=sa-demo");
    EXPECT_EQ(shell.err, "{\"error\":\"corvessa.editinstance.error\",\"hresult\":\"0x80041001\",\"message\":\"The "
                         "system was unable to write the instance to the database. (the database is locked by "
                         "another process)\"}\n"
                         "{\"error\":\"corvessa.general.invalidfilter\",\"hresult\":\"0x80040521\",\"log\":\"" +
                             (m_home / "Logs" / "Fluxmere.log").string() +
                             "\",\"message\":\"Invalid filter specified. Check server logs for more details.\"}\n");
    ASSERT_EQ(sqlite3_exec(db.get(), "ROLLBACK", nullptr, nullptr, nullptr), SQLITE_OK);
}

TEST_F(ProvixaAsUsed, ReadsWorkOnAHomeTheUserCannotWrite)
{
    Init();
    // The list stamp's row lost, as an old copy may lack it: every sign-in tries to put it back.
    const std::optional<std::string> asReader = MakeHomeReadOnly("DELETE FROM RIGHTS_STAMP WHERE STAMPID = 2");
    if (!asReader)
        GTEST_SKIP() << "the program cannot be run as another user here";
    const Outcome get = Provixa({"--as", "operator", "get", "Bnt_Cardholder.ID=1"}, "", *asReader);
    const Outcome bus = Provixa({"bus", "get", "Bnt_Cardholder", "--size", "0"}, "sa-demo\n", *asReader);
    const Outcome put = Provixa({"--as", "admin", "put", "Bnt_Cardholder", "LASTNAME=Roe"}, "", *asReader);
    const Outcome remove = Provixa({"--as", "admin", "delete", "Bnt_Badge.BADGEKEY=1"}, "", *asReader);
    const Outcome method = Provixa({"--as", "operator", "exec", "Bnt_Visit.ID=2", "SignVisitIn"}, "", *asReader);
    const Outcome busWrite =
        Provixa({"bus", "modify", "Bnt_Cardholder", "ID=1", "LASTNAME=Roe"}, "sa-demo\n", *asReader);
    // The sign-ins that cannot put the row back succeed; the cause they met explains no failure
    // of the request, on either door.
    const Outcome query =
        Provixa({"--as", "operator", "query", "SELECT * FROM Bnt_Badge WHERE NOPE = 1"}, "", *asReader);
    const Outcome shell = Provixa({"bus", "shell"}, "login sa\nget Bnt_Badge --filter \"NOPE = 1\"\n",
                                  *asReader + " PROVIXA_PASSWORD=sa-demo");
    // A home the account may not even read is said to be so, by requests and init alike.
    namespace fs = std::filesystem;
    fs::permissions(m_home, fs::perms::none);
    const Outcome unreadable = Provixa({"--as", "operator", "get", "Bnt_Cardholder.ID=1"}, "", *asReader);
    const Outcome reinit = Provixa({"init"}, "", *asReader);
    fs::permissions(m_home, fs::perms::owner_all);
    for (const Outcome& refused : {unreadable, reinit})
    {
        EXPECT_EQ(refused.status, 1) << refused.err;
        EXPECT_TRUE(Contains(refused.err, "the installation home " + m_home.string() + " is not readable"))
            << refused.err;
    }
    // The cause is said once, and the log this account cannot write is not named.
    EXPECT_EQ(method.status, 1) << method.err;
    EXPECT_EQ(method.err, "Error 0x80041001 (WBEM_E_FAILED): The system was unable to write the method's changes to "
                          "the database. The database is read-only.\n");
    for (const Outcome& write : {put, remove, busWrite})
    {
        EXPECT_EQ(write.status, 1) << write.err;
        EXPECT_TRUE(Contains(write.err, "is read-only for this account: it cannot be written")) << write.err;
    }
    EXPECT_EQ(query.err, "Error 0x80041017 (WBEM_E_INVALID_QUERY): The WHERE clause could not be translated: "
                         "property NOPE is not a property of class Bnt_Badge\n");
    EXPECT_EQ(shell.err,
              "{\"error\":\"corvessa.general.invalidfilter\",\"hresult\":\"0x80040521\",\"message\":\"Invalid "
              "filter specified. Check server logs for more details.\"}\n");
    EXPECT_EQ(get.status, 0) << get.err;
    EXPECT_TRUE(Contains(get.out, "instance of Bnt_Cardholder")) << get.out;
    EXPECT_EQ(bus.status, 0) << bus.err;
    EXPECT_TRUE(Contains(bus.out, "\"total_count\":7")) << bus.out;
}

// On a home the user cannot write, every method that writes (rows of its own, or the audit record
// a hardware command leaves after the server acted) is refused before anything reaches a server,
// as the database refuses every write there; a method that writes nothing runs as anywhere. The
// declared methods are walked, so a method declared later needs its class's path here, and its
// row when it writes nothing.
TEST_F(ProvixaAsUsed, AMethodThatWritesIsRefusedOnAHomeTheUserCannotWriteBeforeAnythingIsSent)
{
    Init();
    const std::optional<std::string> asReader = MakeHomeReadOnly();
    if (!asReader)
        GTEST_SKIP() << "the program cannot be run as another user here";
    // The record each class's methods act on (a static method's class), in the demo installation.
    const std::map<std::wstring, std::string> paths = {
        {L"Bnt_AccessGroup", "Bnt_AccessGroup.ID=1"},
        {L"Bnt_AccessLevelRequest", "Bnt_AccessLevelRequest.ID=1"},
        {L"Bnt_AlarmInput", "Bnt_AlarmInput.ID=1"},
        {L"Bnt_AlarmOutput", "Bnt_AlarmOutput.ID=1"},
        {L"Bnt_AlarmPanel", "Bnt_AlarmPanel.ID=65,PanelID=1"},
        {L"Bnt_Area", "Bnt_Area"},
        {L"Bnt_Badge", "Bnt_Badge.BADGEKEY=1"},
        {L"Bnt_Camera", "Bnt_Camera.ID=1,PanelID=6"},
        {L"Bnt_ElevatorTerminal", "Bnt_ElevatorTerminal.ID=1,IPAddress=2,PanelID=5"},
        {L"Bnt_GuardTour", "Bnt_GuardTour.ID=1"},
        {L"Bnt_IncomingEvent", "Bnt_IncomingEvent"},
        {L"Bnt_IntrusionArea", "Bnt_IntrusionArea.ID=1"},
        {L"Bnt_IntrusionDoor", "Bnt_IntrusionDoor.DeviceID=0,ID=1,PanelID=3"},
        {L"Bnt_IntrusionZone", "Bnt_IntrusionZone.DeviceID=0,ID=4,PanelID=3"},
        {L"Bnt_IntrusionZoneOutput", "Bnt_IntrusionZoneOutput.DeviceID=1,ID=5,PanelID=3"},
        {L"Bnt_OffBoardRelay", "Bnt_OffBoardRelay.DeviceID=1,ID=2,PanelID=3"},
        {L"Bnt_OnBoardRelay", "Bnt_OnBoardRelay.DeviceID=0,ID=3,PanelID=3"},
        {L"Bnt_Panel", "Bnt_Panel.ID=1"},
        {L"Bnt_Portavere", "Bnt_Portavere"},
        {L"Bnt_Reader", "Bnt_Reader.PanelID=1,ReaderID=0"},
        {L"Bnt_ReaderInput1", "Bnt_ReaderInput1.PanelID=1,ReaderID=0"},
        {L"Bnt_ReaderInput2", "Bnt_ReaderInput2.PanelID=1,ReaderID=0"},
        {L"Bnt_ReaderOutput1", "Bnt_ReaderOutput1.PanelID=1,ReaderID=0"},
        {L"Bnt_ReaderOutput2", "Bnt_ReaderOutput2.PanelID=1,ReaderID=0"},
        {L"Bnt_ReaderRequest", "Bnt_ReaderRequest.ID=5"},
        {L"Bnt_Visit", "Bnt_Visit.ID=2"},
    };
    // The methods that write nothing, the arguments they run with and the server call they make.
    const struct
    {
        std::wstring method;
        std::string arguments;
        std::string asks;
    } writingNothing[] = {
        {L"Bnt_IncomingEvent.AcknowledgeAlarm", "PanelID=1 CurrentAckStatus=2 SerialNumber=41 AlarmID=3 AckStatus=5",
         "driver server received procedure 206 AcknowledgeAlarm"},
        {L"Bnt_GuardTour.LaunchTour", "BadgeID=100001 MonStationID=1",
         "linkage server received procedure 1 LaunchTour"},
        {L"Bnt_Portavere.IsGrant", "CardholderThreatLevelID=1 SystemSettingID=1", ""},
        {L"Bnt_Portavere.RecommendProperties", "", ""},
        {L"Bnt_Portavere.RecommendationSystemSetting", "", ""},
    };
    // Writing methods that write nothing without these arguments.
    const std::map<std::wstring, std::string> writingArguments = {
        {L"Bnt_Badge.AddBadge", "\"BadgeIn=Bnt_Badge{PERSONID=8,TYPE=4}\""},
        {L"Bnt_IncomingEvent.SendIncomingEvent", "\"Source=Building management\""},
    };
    // Every method's write is refused by the one frame, its cause said once: in the frame's words,
    // or as the plain failure of a method that answers every failure itself (the log that would
    // keep its reason cannot be written here, so none is named).
    const std::string framed = "Error 0x80041001 (WBEM_E_FAILED): The system was unable to write the method's "
                               "changes to the database. The database is read-only.";
    const std::string plain = "Error 0x80041001 (WBEM_E_FAILED): The request failed. The database is read-only.";
    const std::vector<std::wstring> answeringTheirFailures = {
        L"Bnt_Badge.AddBadge", L"Bnt_Portavere.LogDenyTransaction", L"Bnt_Portavere.LogGrantTransaction"};
    // The bus alone serves the video recorders.
    const std::wstring busOnly = L"Bnt_VideoRecorder";
    std::vector<std::wstring> methods;
    for (const SchemaDeclarationTable* table : GetSchemaDeclarationTables())
        for (const SchemaDeclaration& declaration : *table)
            if (declaration.kind == SchemaDeclarationKind::Method && declaration.className != busOnly)
                methods.push_back(std::wstring(declaration.className) + L"." + declaration.name);
    // The visit's methods come with its class definition.
    methods.push_back(L"Bnt_Visit." + std::wstring(CWmipVisitMapper::kSignVisitInMethod));
    methods.push_back(L"Bnt_Visit." + std::wstring(CWmipVisitMapper::kSignVisitOutMethod));

    const auto narrow = [](const std::wstring& text) { return std::string(text.begin(), text.end()); };
    std::string batch;
    std::vector<std::string> refusals;
    std::vector<std::string> asked;
    std::size_t line = 0;
    for (const std::wstring& method : methods)
    {
        const std::size_t dot = method.find(L'.');
        const auto path = paths.find(method.substr(0, dot));
        ASSERT_NE(path, paths.end()) << narrow(method);
        std::string arguments;
        const std::string prefix = "provixa: line " + std::to_string(++line) + ": ";
        const auto nothing = std::find_if(std::begin(writingNothing), std::end(writingNothing),
                                          [&](const auto& row) { return row.method == method; });
        if (nothing != std::end(writingNothing))
        {
            arguments = nothing->arguments;
            if (!nothing->asks.empty())
                asked.push_back(nothing->asks);
        }
        else
        {
            const bool own = std::find(answeringTheirFailures.begin(), answeringTheirFailures.end(), method) !=
                             answeringTheirFailures.end();
            refusals.push_back(prefix + (own ? plain : framed));
            const auto given = writingArguments.find(method);
            if (given != writingArguments.end())
                arguments = given->second;
        }
        batch += "exec " + path->second + " " + narrow(method.substr(dot + 1)) + " " + arguments + "\n";
    }
    const Outcome run = Provixa({"--as", "admin", "--simulate", "batch", "-"}, batch, *asReader);
    const Outcome bus = Provixa({"--simulate", "bus", "exec", narrow(busOnly), "GetAuthenticationData", "ID=7"},
                                "sa-demo\n", *asReader);

    EXPECT_EQ(run.status, 1);
    // Each refusal is one line: its cause said once, and no log named, which this account cannot
    // write.
    std::vector<std::string> failures;
    std::istringstream errors(run.err);
    for (std::string text; std::getline(errors, text);)
        failures.push_back(text);
    EXPECT_EQ(failures, refusals);
    std::vector<std::string> received;
    std::istringstream output(run.out);
    for (std::string text; std::getline(output, text);)
        if (Contains(text, " received procedure "))
            received.push_back(text.substr(0, text.find(',')));
    EXPECT_EQ(received, asked);
    EXPECT_EQ(bus.status, 1) << bus.err;
    EXPECT_FALSE(Contains(bus.out + bus.err, " received procedure ")) << bus.out << bus.err;
    EXPECT_EQ(bus.err,
              "{\"error\":\"corvessa.executemethod.error\",\"hresult\":\"0x80041001\",\"message\":\"The system "
              "was unable to write the method's changes to the database. (the database is read-only)\"}\n");
}

TEST_F(ProvixaAsUsed, RoutineLinesStayOutOfTheLogUnlessTheRegistryAsksForThem)
{
    Init();
    const auto routineLines = [this]() {
        std::error_code ignored;
        std::filesystem::remove(m_home / "Logs" / "Fluxmere.log", ignored);
        EXPECT_EQ(Provixa({"--as", "operator", "get", "Bnt_Cardholder.ID=1"}).status, 0);
        const std::string log = ReadAll(m_home / "Logs" / "Fluxmere.log");
        return Contains(log, " DEBUG ") && Contains(log, "GetPropertyType for");
    };
    EXPECT_FALSE(routineLines());
    std::string registry = ReadAll(m_home / "registry.ini");
    const std::string section = "[SOFTWARE\\Brontel\\Ivarune\\Fluxmere]\n";
    ASSERT_TRUE(Contains(registry, section)) << registry;
    registry.insert(registry.find(section) + section.size(), "LogLevel=dword:00000002\n");
    std::ofstream(m_home / "registry.ini", std::ios::binary | std::ios::trunc) << registry;
    EXPECT_TRUE(routineLines());
}

TEST_F(ProvixaAsUsed, AWriteWhoseConfigurationMessageWasNotDeliveredWarnsNamingTheServer)
{
    Init();
    const std::vector<std::string> badge = {"--as", "admin", "put", "Bnt_Badge", "PERSONID=1", "TYPE=1"};
    const Outcome unreached = Provixa(badge);
    EXPECT_EQ(unreached.status, 0) << unreached.err;
    EXPECT_TRUE(Contains(unreached.out, "Written Bnt_Badge.")) << unreached.out;
    EXPECT_TRUE(Contains(unreached.err, "provixa: warning: a configuration message could not be delivered to the "
                                        "Communication Server, so the panels were not told of the change"))
        << unreached.err;
    // Another person: the first one holds as many active badges as allowed now.
    const std::vector<std::string> simulated = {"--simulate", "--as",       "admin", "put",
                                                "Bnt_Badge",  "PERSONID=2", "TYPE=1"};
    const Outcome delivered = Provixa(simulated);
    EXPECT_EQ(delivered.status, 0) << delivered.err;
    EXPECT_FALSE(Contains(delivered.err, "warning")) << delivered.err;
}

TEST_F(ProvixaAsUsed, TheDemoPorterReadsAndWritesOnlyHeadquartersRecords)
{
    Init();
    // The operator holds both demo segments, the porter its rights in Headquarters alone: the
    // Warehouse cardholders (3 and 8) and visitor (5) are hidden from it.
    const struct
    {
        const char* logon;
        std::set<double> cardholders;
        double busCardholders;
        double busVisitors;
    } callers[] = {
        {"operator", {1, 2, 3, 6, 7, 8, 9}, 7, 2},
        {"porter", {1, 2, 6, 7, 9}, 5, 1},
    };
    for (const auto& caller : callers)
    {
        SCOPED_TRACE(caller.logon);
        const Outcome query = Provixa({"--as", caller.logon, "--json", "query", "SELECT ID FROM Bnt_Cardholder"});
        ASSERT_EQ(query.status, 0) << query.err;
        Json rows;
        std::string error;
        ASSERT_TRUE(JsonReader::Parse(query.out, rows, error)) << error;
        std::set<double> ids;
        for (const Json& row : rows.items)
            ids.insert(row.members.at("properties").members.at("ID").number);
        EXPECT_EQ(ids, caller.cardholders);
        const Outcome bus =
            Shell(std::string("login ") + caller.logon + "\nget Bnt_Cardholder --size 0\nget Bnt_Visitor --size 0\n",
                  std::string(caller.logon) + "-demo");
        EXPECT_EQ(bus.status, 0) << bus.err;
        const std::vector<Json> lines = JsonLines(bus.out);
        ASSERT_EQ(lines.size(), 3u) << bus.out;
        EXPECT_EQ(lines[1].members.at("total_count").number, caller.busCardholders);
        EXPECT_EQ(lines[2].members.at("total_count").number, caller.busVisitors);
    }
    // A badge for the Warehouse cardholder: refused to the porter with nothing written, granted to
    // the operator with the same rights.
    const std::vector<std::string> badgeOf8{"--simulate", "exec", "Bnt_Badge", "AddBadge",
                                            "BadgeIn=Bnt_Badge{PERSONID=8,TYPE=4}"};
    const std::vector<std::string> badgesOf8{"--as", "admin", "query",
                                             "SELECT BADGEKEY FROM Bnt_Badge WHERE PERSONID = 8"};
    const Outcome before = Provixa(badgesOf8);
    ASSERT_EQ(before.status, 0) << before.err;
    std::vector<std::string> asPorter{"--as", "porter"};
    asPorter.insert(asPorter.end(), badgeOf8.begin(), badgeOf8.end());
    const Outcome refused = Provixa(asPorter);
    EXPECT_EQ(refused.status, 1);
    // The method answers the refusal's code alone.
    EXPECT_TRUE(Contains(refused.err, "Error 0x80041003 (WBEM_E_ACCESS_DENIED)")) << refused.err;
    EXPECT_EQ(Provixa(badgesOf8).out, before.out);
    std::vector<std::string> asOperator{"--as", "operator"};
    asOperator.insert(asOperator.end(), badgeOf8.begin(), badgeOf8.end());
    const Outcome granted = Provixa(asOperator);
    EXPECT_EQ(granted.status, 0) << granted.err;
    EXPECT_NE(Provixa(badgesOf8).out, before.out);
}
