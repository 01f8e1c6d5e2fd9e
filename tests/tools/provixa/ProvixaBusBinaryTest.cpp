// Runs `provixa bus` as a person would: passwords from the environment or standard input,
// answers as JSON, failures with their error key and a non-zero status.
#include "tests/tools/provixa/ProvixaProgramTest.h"
#include "tests/support/TestSqlite.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

namespace {
using provixa_program::Contains;
using provixa_program::ExpectEachIn;
using provixa_program::Outcome;
using provixa_program::Quote;

class ProvixaBusBinary : public provixa_program::ProvixaProgramTest
{
protected:
    void SetUp() override
    {
        ProvixaProgramTest::SetUp();
        const Outcome init = Provixa({"init"});
        ASSERT_EQ(init.status, 0) << init.err;
    }

    // provixa bus ARGS with the text on standard input and, when given, PROVIXA_PASSWORD.
    Outcome Bus(const std::vector<std::string>& args, const std::string& input, const std::string& password = "") const
    {
        std::vector<std::string> words{"bus"};
        words.insert(words.end(), args.begin(), args.end());
        return Provixa(words, input, password.empty() ? "" : "PROVIXA_PASSWORD=" + Quote(password));
    }
};

}  // namespace

TEST_F(ProvixaBusBinary, LoginThenWhoamiInOneShellSession)
{
    const Outcome run =
        Bus({"shell"}, "version\nlogin operator\nwhoami\naccesslevels\nlogout\nwhoami\n", "operator-demo");
    EXPECT_EQ(run.status, 1) << run.err;  // the last whoami follows the log-out
    ExpectEachIn(run.out, {"{\"product_name\":\"Provixa\",\"product_version\":\"1.0\"}", "\"token\":\"",
                           "\"logon_id\":\"operator\"", "\"ptz_priority\":50",
                           "{\"description\":\"Lobby all hours\",\"id\":1}", "{\"logged_out\":true}"});
    EXPECT_TRUE(Contains(run.err, "log in first")) << run.err;
}

TEST_F(ProvixaBusBinary, PasswordFromStandardInputAndDirectoryAccounts)
{
    const Outcome internal = Bus({"whoami", "operator"}, "operator-demo\n");
    EXPECT_EQ(internal.status, 0) << internal.err;
    EXPECT_TRUE(Contains(internal.out, "\"first_name\":\"Olive\"")) << internal.out;
    const Outcome directory = Bus({"whoami", "--directory", "1", "olive"}, "olive-demo\n");
    EXPECT_EQ(directory.status, 0) << directory.err;
    EXPECT_TRUE(Contains(directory.out, "\"user_id\":1")) << directory.out;
}

TEST_F(ProvixaBusBinary, RefusalsPrintTheirKeyAndExitOne)
{
    const Outcome wrong = Bus({"login", "operator"}, "wrong\n");
    EXPECT_EQ(wrong.status, 1);
    EXPECT_TRUE(Contains(wrong.err, "{\"error\":\"corvessa.authentication.failedtoauthenticate\","
                                    "\"hresult\":\"0x80040525\",\"message\":\"Authentication failed. The account "
                                    "tried: operator (an internal account), with the password from standard input.\"}"))
        << wrong.err;
    const Outcome directory = Bus({"login", "--directory", "42", "olive"}, "olive-demo\n");
    EXPECT_EQ(directory.status, 1);
    EXPECT_TRUE(Contains(directory.err, "corvessa.getdirectories.invaliddirectoryId")) << directory.err;
    const Outcome noPassword = Bus({"login", "operator"}, "");
    // No password is no usage error: the command line was right.
    EXPECT_EQ(noPassword.status, 1);
    EXPECT_EQ(noPassword.err, "{\"error\":\"corvessa.general.invalidcredentials\",\"hresult\":\"0x80041003\","
                              "\"message\":\"no password given: set PROVIXA_PASSWORD or give the password on standard "
                              "input\"}\n");
    const Outcome unknown = Bus({"frobnicate"}, "");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.err, "{\"error\":\"corvessa.invalidparameter.error\",\"hresult\":\"0x80041008\","
                           "\"message\":\"unknown bus command frobnicate\"}\n");
}

TEST_F(ProvixaBusBinary, EncryptedCredentialsAreSentAsAClientWould)
{
    {
        const support::SqliteDatabase db = support::OpenSqlite(m_home / "provixa.db");
        ASSERT_NE(db, nullptr);
        ASSERT_EQ(sqlite3_exec(db.get(), "INSERT INTO CONFIG_VALUE (CONFIGID, NUMBERVALUE) VALUES (241, 1)", nullptr,
                               nullptr, nullptr),
                  SQLITE_OK);
    }
    const Outcome key = Bus({"publickey"}, "");
    EXPECT_EQ(key.status, 0) << key.err;
    EXPECT_TRUE(Contains(key.out, "BEGIN PUBLIC KEY")) << key.out;
    const Outcome whoami = Bus({"whoami", "operator"}, "operator-demo\n");
    EXPECT_EQ(whoami.status, 0) << whoami.err;
    EXPECT_TRUE(Contains(whoami.out, "\"logon_id\":\"operator\"")) << whoami.out;
}

TEST_F(ProvixaBusBinary, SubscriptionAddListAndDisableWithTheirNotices)
{
    const Outcome run = Bus({"shell"},
                            "login operator\nsubs add description=Doors filter=EventType=4 durable=true\n"
                            "subs list active=true order=id desc=true size=1\nsubs disable 3\nsubs disable 3\n"
                            "subs list active=false order=id\nsubs list page=0\n",
                            "operator-demo");
    EXPECT_EQ(run.status, 1) << run.err;  // the second disable and the page 0 are refused
    const std::string notice =
        "{\"address\":\"bnt.ir.internal.event_subscription_events\",\"content\":{\"change_type\":";
    EXPECT_TRUE(Contains(run.out, notice + "1,\"subscription_id\":3},\"properties\":{}}")) << run.out;
    // The disable is announced as one (3), however soon it follows the creation.
    EXPECT_TRUE(Contains(run.out, notice + "3,\"subscription_id\":3},\"properties\":{}}")) << run.out;
    EXPECT_TRUE(Contains(run.out, "\"disabled_date\":\"2")) << run.out;
    EXPECT_TRUE(
        Contains(run.out, "\"exchange_name\":\"amq.topic\",\"filter\":\"EventType=4\",\"id\":3,\"is_durable\":true"))
        << run.out;
    EXPECT_TRUE(Contains(run.out, "\"page_number\":1,\"page_size\":1,\"total_count\":2}")) << run.out;
    EXPECT_TRUE(Contains(run.out, "\"page_number\":1,\"page_size\":20,\"total_count\":2}")) << run.out;
    EXPECT_TRUE(Contains(run.err, "corvessa.eventsubscription.subscriptionisdisabled")) << run.err;
    EXPECT_TRUE(Contains(run.err, "page=0 is out of range: it takes a number from 1 to 2147483647")) << run.err;

    const Outcome oneShot = Bus({"subs", "get", "1", "--user", "operator"}, "operator-demo\n");
    EXPECT_EQ(oneShot.status, 0) << oneShot.err;
    EXPECT_TRUE(Contains(oneShot.out, "\"description\":\"Lobby door alarms\"")) << oneShot.out;
    // Without a user the system administrator lists every user's subscriptions.
    const Outcome administrator = Bus({"subs", "list"}, "sa-demo\n");
    EXPECT_EQ(administrator.status, 0) << administrator.err;
    EXPECT_TRUE(Contains(administrator.out, "\"total_count\":3}")) << administrator.out;
}

TEST_F(ProvixaBusBinary, TypesMediaDirectoriesAndTheCardholderOfAnAccount)
{
    {
        // An object type outside the value list, stored by another process: served, and
        // selected again by its value, as every road serves it.
        const support::SqliteDatabase db = support::OpenSqlite(m_home / "provixa.db");
        ASSERT_NE(db, nullptr);
        ASSERT_EQ(sqlite3_exec(db.get(),
                               "INSERT INTO MMOBJS (EMPID, OBJECT, TYPE, BNT_BLOB) VALUES (1, 65, 0, X'0A0B')", nullptr,
                               nullptr, nullptr),
                  SQLITE_OK);
    }
    const Outcome run = Bus({"shell"},
                            "login operator\ntypes\ntype Bnt_Directory\nmedia 1 1 0\nmedia 3 1 0\nmedia 1 65 0\n"
                            "get Bnt_MultimediaObject --filter \"ObjectType = 65\"\ntype nope\n",
                            "operator-demo");
    EXPECT_EQ(run.status, 1) << run.err;  // the unknown type
    EXPECT_TRUE(Contains(run.out, "\"Bnt_AccessLevelRequest\":\"Bnt_AccessRequest\"")) << run.out;
    EXPECT_FALSE(Contains(run.out, "Bnt_BadgeTWICPrivacyKey")) << run.out;
    EXPECT_TRUE(Contains(run.out, "{\"class_name\":\"Bnt_Directory\"")) << run.out;
    EXPECT_TRUE(Contains(run.out, "\"possible_values\":{\"0\":\"LDAP\"")) << run.out;
    EXPECT_TRUE(Contains(run.out, "{\"content_type\":\"image/png\",\"data_base64\":\"iVBORw0KGgoAAAANSUhEUg==\","
                                  "\"found\":true,\"size\":16}"))
        << run.out;
    EXPECT_TRUE(Contains(run.out, "{\"found\":false}")) << run.out;
    EXPECT_TRUE(Contains(run.out, "{\"content_type\":\"application/octet-stream\",\"data_base64\":\"Cgs=\","
                                  "\"found\":true,\"size\":2}"))
        << run.out;
    EXPECT_TRUE(Contains(run.out, "\"ObjectType\":65,\"PersonID\":1}}],\"page_number\":1,\"page_size\":")) << run.out;
    EXPECT_FALSE(Contains(run.err, "invalidfilter")) << run.err;
    EXPECT_TRUE(Contains(run.err, "Failed to get details for type nope")) << run.err;

    const Outcome directories = Bus({"directories", "Type", "=", "3"}, "");
    EXPECT_EQ(directories.status, 0) << directories.err;
    EXPECT_TRUE(Contains(directories.out, "\"Name\":\"Local accounts\"")) << directories.out;
    EXPECT_FALSE(Contains(directories.out, "Corporate LDAP")) << directories.out;

    const Outcome cardholder = Provixa({"bus", "cardholder", "1", "aadler", "--user", "operator"}, "",
                                       "PROVIXA_PASSWORD=operator-demo PROVIXA_DIRECTORY_PASSWORD=ada-demo");
    EXPECT_EQ(cardholder.status, 0) << cardholder.err;
    EXPECT_TRUE(Contains(cardholder.out, "{\"cardholder_id\":1}")) << cardholder.out;
}

TEST_F(ProvixaBusBinary, InstanceCommandsShareTheSessionOfTheOtherGroups)
{
    const struct
    {
        const char* name;
        std::vector<std::string> args;
        int status;
        const char* out;
        const char* err;
    } cases[] = {
        {"named user", {"get", "Bnt_Directory", "--size", "0", "--user", "operator"}, 0, "\"total_count\":", ""},
        {"default user outside the shell", {"get", "Bnt_Directory", "--size", "0"}, 1, "", "corvessa."},
        {"bad number",
         {"get", "Bnt_Directory", "--size", "x"},
         2,
         "",
         "--size x is not a number: it takes a number from 0 to 2147483647"},
        {"missing class", {"add", "--user", "operator"}, 2, "", "add takes CLASS"},
        {"unknown class", {"get", "Bnt_Nothing", "--user", "operator"}, 1, "", "\"error\":"},
    };
    for (const auto& c : cases)
    {
        const Outcome run = Bus(c.args, "", "operator-demo");
        EXPECT_EQ(run.status, c.status) << c.name << ": " << run.err;
        EXPECT_TRUE(Contains(run.out, c.out)) << c.name << ": " << run.out;
        EXPECT_TRUE(Contains(run.err, c.err)) << c.name << ": " << run.err;
    }
    const Outcome shell = Bus({"shell"}, "get Bnt_Directory\n", "operator-demo");
    EXPECT_NE(shell.status, 0) << shell.err;
    EXPECT_TRUE(Contains(shell.err, "log in first")) << shell.err;
}

// The address sanitizer keeps freed memory aside, so a peak under it says nothing of a page.
#if defined(__SANITIZE_ADDRESS__)
#define PROVIXA_PEAKS_INFLATED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PROVIXA_PEAKS_INFLATED 1
#endif
#endif

namespace {
// Runs the program with the arguments, PROVIXA_HOME and the sa password, its standard output into
// `output`; the peak resident size of its run in KiB, -1 when it did not end with status 0.
long PeakKilobytes(const std::filesystem::path& home, const std::vector<std::string>& args,
                   const std::filesystem::path& output)
{
    // Everything the child needs is made before it is forked: it only sets up and executes.
    std::vector<std::string> environment = {"PROVIXA_HOME=" + home.string(), "PROVIXA_PASSWORD=sa-demo"};
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<std::string> words = {PROVIXA_BINARY};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const std::string outPath = output.string();
    const pid_t child = fork();
    if (child == 0)
    {
        const int outFd = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (outFd < 0 || ::dup2(outFd, 1) < 0)
            _exit(127);
        execve(PROVIXA_BINARY, argv.data(), envp.data());
        _exit(127);
    }
    int status = -1;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss;
}
}  // namespace

// A page holds in memory about what it prints: each instance becomes its text as it is read.
TEST_F(ProvixaBusBinary, APageTakesLittleMoreMemoryThanItsText)
{
#if defined(PROVIXA_PEAKS_INFLATED)
    GTEST_SKIP() << "the address sanitizer keeps freed memory aside";
#endif
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open((m_home / "provixa.db").string().c_str(), &raw), SQLITE_OK);
    {
        const std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, sqlite3_close);
        ASSERT_EQ(sqlite3_exec(db.get(),
                               "WITH RECURSIVE n(i) AS (SELECT 1001 UNION ALL SELECT i + 1 FROM n WHERE i < 11000) "
                               "INSERT INTO WORLDTZ SELECT i, '(UTC+01:00) Zone ' || i, 60, 1, 10, 5, 0, 3, 5, 0, "
                               "-60, 0, -60, 3, 2, 0, 0, 0, 0, 'Zone' || i FROM n",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
    }
    const long base = PeakKilobytes(m_home, {"bus", "version"}, m_root / "version.json");
    const long page =
        PeakKilobytes(m_home, {"bus", "get", "Bnt_WorldTimezone", "--size", "20000"}, m_root / "page.json");
    ASSERT_GT(base, 0);
    ASSERT_GT(page, 0);
    const std::string text = provixa_program::ReadAll(m_root / "page.json");
    EXPECT_TRUE(Contains(text, "\"total_count\":10004")) << text.substr(text.size() - 200);
    EXPECT_LT(page - base, 5 * static_cast<long>(text.size() / 1024)) << "base " << base << " KiB";
}
