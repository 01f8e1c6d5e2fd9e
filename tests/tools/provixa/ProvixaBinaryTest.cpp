// Runs the built provixa program on a temporary PROVIXA_HOME, as a person would.
#include "tests/support/InstallationDatabase.h"
#include "tests/tools/provixa/ProvixaProgramTest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {
using provixa_program::Contains;
using provixa_program::Outcome;
using provixa_program::ReadAll;

class ProvixaBinary : public provixa_program::ProvixaProgramTest
{
protected:
    void Init() const
    {
        const Outcome init = Provixa({"init"});
        ASSERT_EQ(init.status, 0) << init.err;
    }
};

}  // namespace

TEST_F(ProvixaBinary, InitCreatesTheInstallationThenClassesAndAQueryAnswer)
{
    const Outcome init = Provixa({"init"});
    ASSERT_EQ(init.status, 0) << init.err;
    EXPECT_TRUE(Contains(init.out, "database created")) << init.out;
    EXPECT_TRUE(std::filesystem::exists(m_home / "provixa.db"));
    EXPECT_FALSE(std::filesystem::exists(m_home / "provixa.db.building"));
    EXPECT_TRUE(Contains(ReadAll(m_home / "ACS.INI"), "DataSource=sqlite:provixa.db"));
    const std::string registry = ReadAll(m_home / "registry.ini");
    EXPECT_TRUE(Contains(registry, "[SOFTWARE\\Brontel\\Ivarune]")) << registry;
    EXPECT_TRUE(Contains(registry, "DefaultKeyLength=dword:00000080")) << registry;
    EXPECT_TRUE(Contains(registry, "LogFilePath=sz:")) << registry;

    const Outcome classes = Provixa({"classes"});
    ASSERT_EQ(classes.status, 0) << classes.err;
    EXPECT_TRUE(Contains(classes.out, "__ExtendedStatus : __NotifyStatus\n")) << classes.out;
    EXPECT_TRUE(Contains(classes.out, "\nBnt_Reader\n")) << classes.out;
    EXPECT_TRUE(Contains(classes.out, "\nBnt_AlarmInput : Bnt_Input\n")) << classes.out;

    // A caller whose account is linked to no user is refused by the provider itself.
    const Outcome refused = Provixa({"--sid", "S-1-5-21-1-2-3-4242", "query", "SELECT * FROM Bnt_Reader"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.out.empty()) << refused.out;
    EXPECT_TRUE(Contains(refused.err, "Error 0x80041003 (WBEM_E_ACCESS_DENIED): ")) << refused.err;
    EXPECT_TRUE(Contains(refused.err, "The user account has not been linked.")) << refused.err;

    // A query on a class the service keeps itself succeeds with no instances.
    const Outcome empty = Provixa({"--as", "operator", "--json", "query", "SELECT * FROM __ExtendedStatus"});
    EXPECT_EQ(empty.status, 0) << empty.err;
    EXPECT_EQ(empty.out, "[]\n");
}

// The home holds password hashes, device passwords and the field encryption phrase: it and
// every file in it, also those made after init (logs, the database's journal), are the owner's.
TEST_F(ProvixaBinary, TheHomeAndEveryFileInItAreTheOwnersOnly)
{
    namespace fs = std::filesystem;
    // A home made beforehand, open to others, is closed by init.
    fs::create_directories(m_home);
    fs::permissions(m_home, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read |
                                fs::perms::group_exec | fs::perms::others_exec);
    Init();
    const Outcome query = Provixa({"--as", "operator", "query", "SELECT * FROM Bnt_Reader"});
    EXPECT_EQ(query.status, 0) << query.err;
    EXPECT_EQ(fs::status(m_home).permissions() & fs::perms::all, fs::perms::owner_all);
    std::size_t files = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(m_home))
    {
        if (!entry.is_regular_file())
            continue;
        ++files;
        EXPECT_EQ(entry.status().permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write)
            << entry.path();
    }
    EXPECT_GE(files, 3u);
}

// Kept, with its stamps brought up to date: a trigger of the schema an older database lacks, and
// the list stamp's triggers on each list the installation added (one flagged as a list, one only a
// field names as its list), are made and counted; a second init makes none.
TEST_F(ProvixaBinary, InitKeepsAnExistingInstallation)
{
    Init();
    const std::filesystem::path database = m_home / "provixa.db";
    support::InstallationDatabase::Execute(
        database, "DROP TRIGGER BNT_DIRECTORY_D_RIGHTS;"
                  "CREATE TABLE COSTCENTRE (ID INTEGER PRIMARY KEY, NAME TEXT);"
                  "INSERT INTO DDTBL (ID, NAME, TBLNAME, ISLIST) VALUES (258, 'Cost centre', 'COSTCENTRE', 1);"
                  "CREATE TABLE REGION (ID INTEGER PRIMARY KEY, NAME TEXT);"
                  "INSERT INTO DDTBL (ID, NAME, TBLNAME) VALUES (259, 'Region', 'REGION');"
                  "INSERT INTO DDFLD (DDFLDID, FLDNAME, CIMTYPE, LISTID) VALUES (259, 'REGION', 3, 259);");
    const Outcome again = Provixa({"init"});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_TRUE(Contains(again.out, "database kept")) << again.out;
    EXPECT_TRUE(Contains(again.out, "ACS.INI kept")) << again.out;
    EXPECT_TRUE(Contains(again.out, "stamp triggers added: 7\n")) << again.out;
    EXPECT_EQ(support::InstallationDatabase::Scalar(
                  database, "SELECT group_concat(name, ' ') FROM (SELECT name FROM sqlite_master WHERE type = "
                            "'trigger' AND tbl_name IN ('COSTCENTRE', 'REGION', 'BNT_DIRECTORY') ORDER BY name)"),
              "BNT_DIRECTORY_D_RIGHTS BNT_DIRECTORY_I_RIGHTS BNT_DIRECTORY_U_RIGHTS COSTCENTRE_D_LISTS "
              "COSTCENTRE_I_LISTS COSTCENTRE_U_LISTS REGION_D_LISTS REGION_I_LISTS REGION_U_LISTS");
    const std::string stamp = "SELECT STAMP FROM RIGHTS_STAMP WHERE STAMPID = 2";
    for (const char* const list : {"COSTCENTRE", "REGION"})
    {
        const std::string before = support::InstallationDatabase::Scalar(database, stamp);
        support::InstallationDatabase::Execute(database,
                                               std::string("INSERT INTO ") + list + " (ID, NAME) VALUES (1, 'North');");
        EXPECT_NE(support::InstallationDatabase::Scalar(database, stamp), before) << list;
    }
    const Outcome third = Provixa({"init"});
    EXPECT_EQ(third.status, 0) << third.err;
    EXPECT_FALSE(Contains(third.out, "stamp triggers added")) << third.out;
}

TEST_F(ProvixaBinary, ShowsClassesAsMofTextOrJson)
{
    Init();
    const Outcome text = Provixa({"get", "Bnt_Reader"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_TRUE(Contains(text.out, "[Dynamic, Provider(\"BntProvider\")]")) << text.out;
    EXPECT_TRUE(Contains(text.out, "class Bnt_Reader")) << text.out;
    EXPECT_TRUE(Contains(text.out, "[key, noedit] sint32 PanelID;")) << text.out;
    const Outcome json = Provixa({"--json", "get", "Bnt_Reader"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_TRUE(Contains(json.out, "{\"class\":\"Bnt_Reader\",\"superclass\":\"\",\"properties\":{")) << json.out;
    EXPECT_TRUE(Contains(json.out, "\"PanelID\":\"sint32\"")) << json.out;
    EXPECT_TRUE(Contains(json.out, "\"SetMode\"")) << json.out;
}

TEST_F(ProvixaBinary, FailuresNameTheirStatusAndExitNonZero)
{
    const std::vector<provixa_program::RefusalCase> cases = {
        {{"get", "Bnt_Nothing"}, 1, "Error 0x80041002 (WBEM_E_NOT_FOUND)"},
        {{"get", "Bnt_Reader.PanelID="}, 1, "Error 0x8004103A (WBEM_E_INVALID_OBJECT_PATH)"},
        {{"enum", "Bnt_Nothing"}, 1, "Error 0x80041010 (WBEM_E_INVALID_CLASS)"},
        {{"query", "SELECT Bnt_Reader"}, 1, "Error 0x80041017 (WBEM_E_INVALID_QUERY)"},
        {{"--as", "operator", "exec", "Bnt_Reader.PanelID=1,ReaderID=1", "Explode"},
         1,
         "Error 0x8004102E (WBEM_E_INVALID_METHOD)"},
        {{"--as", "operator", "put", "Bnt_Reader", "PanelID=abc"},
         1,
         "Bnt_Reader property PanelID: \"abc\" is not a sint32 number from -2147483648 to 2147483647"},
        {{"--as", "operator", "put", "Bnt_Reader", "Colour=red"}, 1, "Bnt_Reader has no property \"Colour\""},
        {{"--as", "operator", "exec", "Bnt_Panel.ID=1", "SetClock", "At=1"},
         1,
         "the method SetClock has no parameter \"At\""},
        {{"--as", "nobody", "classes"}, 1, "no Windows account is linked to the user nobody"},
        // The error line starts with the reason; the caller who was not named is told how to.
        {{"query", "SELECT * FROM Bnt_Reader"},
         1,
         "Error 0x80041003 (WBEM_E_ACCESS_DENIED): The client does not have access to use Fluxmere. The user "
         "account has not been linked. Name a linked caller with --as ACCOUNT or --sid SID."},
        {{"--as", "admin", "put", "Bnt_Cardholder", "ID=999", "LASTNAME=x"},
         1,
         "(WBEM_E_NOT_FOUND): there is no instance Bnt_Cardholder.ID=999"},
        {{"--sid", "S-1-5-xx", "classes"}, 2, "not a SID: S-1-5-xx"},
        {{"frobnicate"}, 2, "unknown command frobnicate"},
        {{"get"}, 2, "get takes 1 operand"},
    };
    Init();
    provixa_program::ExpectRefusals(cases, [this](const std::vector<std::string>& args) { return Provixa(args); });
}

TEST_F(ProvixaBinary, RequestsBeforeInitAskForIt)
{
    // A missing installation is no usage error, and the refusal leaves no empty home behind.
    const Outcome run = Provixa({"classes"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.err, "run 'provixa init' first")) << run.err;
    EXPECT_FALSE(std::filesystem::exists(m_home));
    const Outcome bus = Provixa({"bus", "version"});
    EXPECT_EQ(bus.status, 1);
    EXPECT_TRUE(Contains(bus.err, "run 'provixa init' first")) << bus.err;
    EXPECT_FALSE(std::filesystem::exists(m_home));
    const Outcome help = Provixa({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(Contains(help.out, "Usage: provixa")) << help.out;
}

TEST_F(ProvixaBinary, AMovedHomeLogsIntoItself)
{
    Init();
    const std::filesystem::path original = m_home;
    m_home = m_root / "moved";
    std::filesystem::rename(original, m_home);
    EXPECT_EQ(Provixa({"--as", "operator", "get", "Bnt_Cardholder.ID=1"}).status, 0);
    EXPECT_TRUE(Contains(ReadAll(m_home / "Logs" / "Fluxmere.log"), "Bnt_Cardholder"));
    EXPECT_FALSE(std::filesystem::exists(original));
}
