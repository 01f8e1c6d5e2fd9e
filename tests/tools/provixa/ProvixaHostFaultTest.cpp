// What a person or a script sees of refusals, hostile stored values and the installation's home.
#include "framework/CWmipWriteFrame.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/TemporaryHome.h"
#include "tests/support/TestSqlite.h"
#include "tests/tools/provixa/ProvixaProgramTest.h"
#include "tools/provixa/ProvixaBusHost.h"
#include "tools/provixa/ProvixaLineWriter.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {
using provixa_program::Contains;
using provixa_program::Outcome;

class ProvixaHostFault : public provixa_program::ProvixaProgramTest
{
protected:
    void Init() const
    {
        const Outcome init = Provixa({"init"});
        ASSERT_EQ(init.status, 0) << init.err;
    }
    void Exec(const std::string& sql) const
    {
        const support::SqliteDatabase db = support::OpenSqlite(m_home / "provixa.db");
        ASSERT_NE(db, nullptr);
        EXPECT_EQ(sqlite3_exec(db.get(), sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
            << sqlite3_errmsg(db.get());
    }
};
}  // namespace

TEST_F(ProvixaHostFault, ARefusedEnumerationExitsNonZeroWithItsReason)
{
    Init();
    const Outcome refused = Provixa({"--as", "operator", "enum", "Bnt_EventType"});
    EXPECT_EQ(refused.status, 1) << "a script must tell a refusal from a class without rows";
    EXPECT_TRUE(refused.out.empty()) << refused.out;
    EXPECT_TRUE(Contains(refused.err, "WBEM_S_ACCESS_DENIED")) << refused.err;
    EXPECT_TRUE(Contains(refused.err, "sufficient user permissions")) << refused.err;
    const Outcome empty = Provixa({"--as", "admin", "query", "SELECT * FROM Bnt_EventType WHERE ID = -5"});
    EXPECT_EQ(empty.status, 0) << empty.err;
    EXPECT_TRUE(empty.out.empty());
}

TEST_F(ProvixaHostFault, RefusalsNeverEndWithoutTheirMessage)
{
    Init();
    const struct
    {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"--as", "operator", "query", "SELECT * FROM Bnt_EventType"}, "sufficient user permissions"},
        {{"--as", "admin", "delete", "Bnt_EventType.ID=1"}, "not supported by this class"},
        {{"--as", "admin", "query", "SELECT * FROM Bnt_WorldTimezone WHERE Name NOT LIKE 'x'"},
         "(WBEM_E_PROVIDER_NOT_CAPABLE): The query is not valid WQL"},
        {{"--as", "admin", "query", "SELECT * FORM Bnt_WorldTimezone"}, "FROM or , expected at offset 9"},
        {{"--as", "admin", "query", "SELECT COUNT(*) FROM Bnt_WorldTimezone"}, "FROM or , expected at offset 12"},
        {{"--as", "admin", "query", "SELECT * FROM Bnt_WorldTimezone WHERE Name = 'open"}, "unterminated string"},
        {{"--as", "admin", "get", "Bnt_Badge.BADGEKEY=1 2"}, "at offset 19"},
        {{"--as", "admin", "query", "SELECT * FROM Bnt_WorldTimezone WHERE ID = 1 -- x"}, "at offset"},
    };
    for (const auto& one : cases)
    {
        const Outcome run = Provixa(one.args);
        EXPECT_EQ(run.status, 1) << one.args.back();
        EXPECT_TRUE(Contains(run.err, one.message)) << one.args.back() << "\n" << run.err;
        EXPECT_FALSE(Contains(run.err, "): \n")) << "a location without a text: " << run.err;
    }
}

TEST_F(ProvixaHostFault, StoredLineBreaksCannotForgeAnInstance)
{
    Init();
    Exec("UPDATE HOLIDAY_TYPE SET NAME = 'Easter\";' || char(10) || '};' || char(10) || 'instance of Bnt_User' || "
         "char(10) || '{' || char(9) || char(7) WHERE ROWID = (SELECT MIN(ROWID) FROM HOLIDAY_TYPE);");
    const Outcome run = Provixa({"--as", "admin", "enum", "Bnt_HolidayType"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(Contains(run.out, "\ninstance of Bnt_User")) << "a line of its own: " << run.out;
    EXPECT_TRUE(Contains(run.out, "\"Easter\\\";\\n};\\ninstance of Bnt_User\\n{\\t\\x0007\"")) << run.out;
}

TEST_F(ProvixaHostFault, ARelativeHomeWorksForInitAndRequests)
{
    const std::string command = "cd " + provixa_program::Quote(m_root.string()) + " && PROVIXA_HOME=relative " +
                                provixa_program::Quote(PROVIXA_BINARY);
    ASSERT_EQ(std::system((command + " init >/dev/null 2>&1").c_str()), 0);
    EXPECT_TRUE(std::filesystem::exists(m_root / "relative" / "ACS.INI"));
    EXPECT_TRUE(std::filesystem::exists(m_root / "relative" / "provixa.db"));
    EXPECT_EQ(std::system((command + " --as admin enum Bnt_HolidayType >/dev/null 2>&1").c_str()), 0);
}

TEST_F(ProvixaHostFault, TheAdministratorEnumeratesEveryServedClassAndParallelHostsResolveTheirCaller)
{
    Init();
    const Outcome classes = Provixa({"--as", "admin", "classes"});
    ASSERT_EQ(classes.status, 0) << classes.err;
    EXPECT_TRUE(Contains(classes.out, "Bnt_DEPARTMENT : Bnt_Element")) << "the demo's user-defined lists";
    for (const char* served : {"Bnt_WorldTimezone", "Bnt_EventType", "Bnt_Holiday", "Bnt_DEPARTMENT", "Bnt_JOBTITLE"})
    {
        const Outcome run = Provixa({"--as", "admin", "enum", served});
        EXPECT_EQ(run.status, 0) << served << "\n" << run.err;
        EXPECT_TRUE(Contains(run.out, std::string("instance of ") + served)) << served;
    }
    // Eight hosts at once: each resolves its caller, however busy the database is.
    std::vector<Outcome> runs(8);
    std::vector<std::thread> hosts;
    for (std::size_t i = 0; i < runs.size(); ++i)
        hosts.emplace_back([&, i] {
            std::string root = (m_root / ("run" + std::to_string(i))).string();
            std::filesystem::create_directories(root);
            const std::string command = "PROVIXA_HOME=" + provixa_program::Quote(m_home.string()) + " " +
                                        provixa_program::Quote(PROVIXA_BINARY) +
                                        " --as admin enum Bnt_WorldTimezone >" + root + "/out 2>" + root + "/err";
            const int raw = std::system(command.c_str());
            runs[i].status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
            runs[i].err = provixa_program::ReadAll(std::filesystem::path(root) / "err");
        });
    for (std::thread& host : hosts)
        host.join();
    for (const Outcome& run : runs)
        EXPECT_EQ(run.status, 0) << run.err;
}

TEST_F(ProvixaHostFault, ARowWithAValueItsPropertyCannotTakeIsNamedOnBothDoorsAndCountedAsItsPagesAre)
{
    Init();
    // One stored row at a time beside the five demo holidays (IDs 1 to 5), each kind of value
    // the property cannot take under an ID of its own; the reason is the database's, or the
    // property type's.
    const struct
    {
        int id;
        const char* hdate;
        const char* extend;
        const char* value;
        const char* property;
        const char* reason;
        const char* name = nullptr;
    } cases[] = {
        {17, "'2025-02-01 00:00:00'", "2147483648", "2147483648", "ExtentDays",
         "It lies outside the values of the type sint32."},
        {23, "'2025-02-02 00:00:00'", "-2147483649", "-2147483649", "ExtentDays",
         "It lies outside the values of the type sint32."},
        {18, "'2024-03-01'", "1", "'2024-03-01'", "StartDate",
         "The text is not a date-time of the form YYYY-MM-DD HH:MM:SS."},
        {19, "'2023-02-29 00:00:00'", "2", "'2023-02-29 00:00:00'", "StartDate",
         "The date-time text names no real date or time."},
        {20, "'2024-05-01 24:00:00'", "3", "'2024-05-01 24:00:00'", "StartDate",
         "The date-time text names no real date or time."},
        {21, "'0001-01-01 00:00:00'", "4", "'0001-01-01 00:00:00'", "StartDate",
         "It lies outside the years 100 to 9999, the date-times every road of this system takes."},
        {22, "'2025-03-01 00:00:00'", "'abc'", "'abc'", "ExtentDays", "The text is not an integer."},
        // Served, its bytes would read as "O\uFFFDk": a text other than the one stored.
        {24, "'2025-03-02 00:00:00'", "5", "X'4FFF6B'", "Name", "The text is not valid UTF-8.",
         "CAST(X'4FFF6B' AS TEXT)"},
    };
    for (const auto& one : cases)
    {
        const std::string id = std::to_string(one.id);
        SCOPED_TRACE("ID " + id);
        Exec("INSERT INTO HOLIDAYS (HOLIDAYID, SEGMENTID, DESCRIPT, HDATE, EXTEND) VALUES (" + id + ", -1, " +
             (one.name != nullptr ? std::string(one.name) : "'Stored " + id + "'") + ", " + one.hdate + ", " +
             one.extend + ")");
        const std::string named = std::string("The stored value ") + one.value + " of property " + one.property +
                                  " of Bnt_Holiday.ID=\"" + id + "\" cannot be served: " + one.reason;
        // The WMI door, in one process: a get, an enumeration and a query that meet the row fail
        // with its name (lines 1 to 3); a get and a query that leave it out answer their rows.
        const Outcome wmi =
            Provixa({"batch", "-"}, "--as admin get Bnt_Holiday.ID=" + id +
                                        "\n--as admin enum Bnt_Holiday\n"
                                        "--as admin query \"SELECT * FROM Bnt_Holiday WHERE ID > 4\"\n"
                                        "--as admin get Bnt_Holiday.ID=5\n"
                                        "--as admin query \"SELECT ID FROM Bnt_Holiday WHERE ID < 6\"\n");
        for (const char* line : {"line 1: ", "line 2: ", "line 3: "})
            EXPECT_TRUE(Contains(wmi.err,
                                 "provixa: " + std::string(line) + "Error 0x80041001 (WBEM_E_FAILED): " + named + "\n"))
                << line << "\n"
                << wmi.err;
        EXPECT_FALSE(Contains(wmi.err, "line 4")) << wmi.err;
        EXPECT_FALSE(Contains(wmi.err, "line 5")) << wmi.err;
        EXPECT_FALSE(Contains(wmi.err, "WBEM_E_NOT_FOUND")) << wmi.err;
        EXPECT_TRUE(Contains(wmi.out, "Name = \"Midyear stocktake\";")) << wmi.out;
        for (const char* kept : {"ID = 1;", "ID = 2;", "ID = 3;", "ID = 4;"})
            EXPECT_TRUE(Contains(wmi.out, kept)) << wmi.out;
        EXPECT_FALSE(Contains(wmi.out, "ID = " + id + ";")) << wmi.out;
        // The bus door, in one session: the count counts the row, the first page of five lists
        // exactly its rows, and the page that holds the row fails with its name under the bus's
        // own key, as a page of every row does.
        const Outcome bus = Provixa({"bus", "shell"},
                                    "login admin\nget Bnt_Holiday --size 0\nget Bnt_Holiday --size 5\n"
                                    "get Bnt_Holiday --size 5 --page 2\nget Bnt_Holiday\n",
                                    "PROVIXA_PASSWORD=admin-demo");
        EXPECT_TRUE(Contains(bus.out, "{\"instances\":[],\"page_number\":1,\"page_size\":0,\"total_count\":6,"))
            << bus.out;
        EXPECT_TRUE(Contains(bus.out, "],\"page_number\":1,\"page_size\":5,\"total_count\":6,\"total_pages\":2}"))
            << bus.out;
        for (const char* kept : {"\"ID\":1,", "\"ID\":2,", "\"ID\":3,", "\"ID\":4,", "\"ID\":5,"})
            EXPECT_TRUE(Contains(bus.out, kept)) << bus.out;
        EXPECT_FALSE(Contains(bus.out, "\"ID\":" + id + ",")) << bus.out;
        std::string busNamed = named;
        for (std::size_t at = busNamed.find('"'); at != std::string::npos; at = busNamed.find('"', at + 2))
            busNamed.insert(at, "\\");
        const std::string refusal =
            "{\"error\":\"corvessa.general.exception\",\"hresult\":\"0x80041001\",\"message\":\"" + busNamed + "\"}\n";
        const std::size_t first = bus.err.find(refusal);
        EXPECT_NE(first, std::string::npos) << bus.err;
        EXPECT_NE(bus.err.find(refusal, first + 1), std::string::npos) << "both pages that hold the row\n" << bus.err;
        Exec("DELETE FROM HOLIDAYS WHERE HOLIDAYID = " + id);
    }
}

// The host adds the cause of a refused write to the provider's general reason (the lock held by
// another process is run end to end); a full disk, which no test can make, is said in the same
// words whichever road the engine reports it by.
TEST(ProvixaWriteFailureCause, IsSaidInWordsAPersonCanActOn)
{
    const struct
    {
        int code;
        int systemError;
        const wchar_t* cause;
    } cases[] = {
        {SQLITE_FULL, 0, L"the disk is full"},
        {SQLITE_IOERR_WRITE, ENOSPC, L"the disk is full"},
        {SQLITE_IOERR_FSYNC, EDQUOT, L"the disk is full"},
        {SQLITE_IOERR_WRITE, EFBIG, L"the file has reached the size limit of this process"},
        {SQLITE_BUSY, 0, L"the database is locked by another process"},
        {SQLITE_READONLY, 0, L"the database is read-only"},
        {SQLITE_IOERR_WRITE, EIO, L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(std::wstring(CBntDatabase::FailureCause(c.code, c.systemError).GetString()), c.cause)
            << c.code << " " << c.systemError;
}

// A cause an earlier command left on the bus shell's thread (here noted before the shell, as a
// failure that command handled would leave it) is none of a later command's failures.
TEST(ProvixaWriteFailureCause, BelongsToNoLaterCommandOfTheBusShell)
{
    const support::TemporaryHome home;
    support::InstallationDatabase::CreateDemo(home.Path() / "provixa.db");
    std::istringstream in("get Bnt_Badge\n");
    std::ostringstream out;
    std::ostringstream err;
    ProvixaLineWriter notes(err, true);
    CBntDatabase::NoteFailure(SQLITE_BUSY, 0);
    EXPECT_EQ(ProvixaBusHost::Run({"shell"}, false, in, out, err, notes), 1);
    EXPECT_EQ(err.str(), "{\"error\":\"corvessa.invalidparameter.error\",\"hresult\":\"0x80041008\",\"message\":"
                         "\"log in first (login USER)\"}\n");
    EXPECT_EQ(CBntDatabase::TakeLastFailureCause(), CString());
}

// Two shells of one user modify one subscription at once, one naming the description, the other
// the filter: the other's write lands after this shell's command was read and before its write
// takes the lock. What the command does not name stays as that write left it.
TEST(ProvixaBusSubscriptions, AModifyKeepsWhatItDoesNotNameAsAnotherWriteLeftIt)
{
    const support::TemporaryHome home;
    const std::filesystem::path database = home.Path() / "provixa.db";
    support::InstallationDatabase::CreateDemo(database);
    setenv(ProvixaBusHost::kPasswordVariable, "operator-demo", 1);
    // The other shell's modify, once the subscription this shell adds (3) is there.
    bool landed = false;
    CWmipWriteFrame::TestHookBeforeLock([&] {
        if (!landed &&
            support::InstallationDatabase::Scalar(database, "SELECT count(*) FROM BUSINESS_EVENT_SUBSCRIPTION WHERE "
                                                            "BUSINESS_EVENT_SUBSCRIPTIONID = 3") == "1")
        {
            support::InstallationDatabase::Execute(database, "UPDATE BUSINESS_EVENT_SUBSCRIPTION SET EVENT_FILTER = "
                                                             "'EventType = 9' WHERE BUSINESS_EVENT_SUBSCRIPTIONID = 3");
            landed = true;
        }
    });
    std::istringstream in("login operator\nsubs add description=Doors filter=F\nsubs modify 3 description=Gates\n");
    std::ostringstream out;
    std::ostringstream err;
    ProvixaLineWriter notes(err, true);
    const int status = ProvixaBusHost::Run({"shell"}, false, in, out, err, notes);
    CWmipWriteFrame::TestHookBeforeLock(nullptr);
    unsetenv(ProvixaBusHost::kPasswordVariable);
    EXPECT_EQ(status, 0) << err.str();
    EXPECT_TRUE(landed);
    EXPECT_EQ(support::InstallationDatabase::Scalar(database, "SELECT DESCRIPTION || ' / ' || EVENT_FILTER FROM "
                                                              "BUSINESS_EVENT_SUBSCRIPTION WHERE "
                                                              "BUSINESS_EVENT_SUBSCRIPTIONID = 3"),
              "Gates / EventType = 9");
    EXPECT_TRUE(Contains(out.str(), "\"description\":\"Gates\",\"disabled_date\":null,\"exchange_name\":\"amq.topic\","
                                    "\"filter\":\"EventType = 9\""))
        << out.str();
}
