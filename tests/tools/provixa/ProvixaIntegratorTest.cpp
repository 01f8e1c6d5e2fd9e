// The built program as an integrator meets it: one table of command lines (with their standard
// input), the exit status each ends with and the first line it prints, run in order in five parts,
// each on a demo installation of its own. Failures print their reason first on the error stream;
// only usage errors exit with 2; both doors say the same things the same way.
#include "tests/tools/provixa/ProvixaProgramTest.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <csignal>
#include <fcntl.h>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {
using namespace std::string_literals;
using provixa_program::Contains;
using provixa_program::Outcome;

enum class Stream
{
    Out,
    Err,
};

struct Row
{
    std::vector<std::string> args;  // "{root}" stands for the test's folder
    std::string input;
    int status;
    Stream stream;
    std::string firstLine;         // the stream's first line starts with it
    std::string contains = "";     // and the stream holds it somewhere, when given
    std::string environment = "";  // set or done before the program (besides the password)
    std::string home = "";         // the installation's folder, when not the demo's ("{root}" as above)
    std::string output = "";       // where the standard output goes, when not to a file the test reads
    std::string absent = "";       // the stream never holds it, when given
};

// The first line of the text, without its line break.
std::string FirstLine(const std::string& text)
{
    return text.substr(0, text.find('\n'));
}

// The table's rows run in five parts, a test each (a process and a time limit of its own under
// CTest), each part in order on an installation of its own: a part is given by its number.
constexpr int kParts = 5;

class ProvixaIntegrator : public provixa_program::ProvixaProgramTest, public ::testing::WithParamInterface<int>
{
protected:
    std::string Root(std::string arg) const
    {
        for (std::size_t at; (at = arg.find("{root}")) != std::string::npos;)
            arg.replace(at, 6, m_root.string());
        return arg;
    }
};

const std::string kChange = "<ROOT><NEWDATA><EMP><ID>1</ID><LASTNAME>Adler-Weiss</LASTNAME></EMP></NEWDATA>"
                            "<OLDDATA><EMP><ID>1</ID><LASTNAME>Adler</LASTNAME></EMP></OLDDATA></ROOT>";
// A hardware event of the demo's card 100001, and a wait for it.
const std::string kCardEvent = "hwevent EventType=0 PanelID=1 SerialNumber=42 DataType=2 U64@56=100001\nwait\n";
const std::string kCardholderChanges =
    "watch \"SELECT * FROM __InstanceModificationEvent WHERE TargetInstance ISA 'Bnt_Cardholder'\"\n";
}  // namespace

TEST_P(ProvixaIntegrator, EachCommandEndsWithItsStatusAndSaysWhyFirst)
{
    ASSERT_EQ(Provixa({"init"}).status, 0);
    std::ofstream(m_root / "bom.txt", std::ios::binary) << "\xEF\xBB\xBFquery \"SELECT BADGEKEY FROM Bnt_Badge WHERE "
                                                           "BADGEKEY = 1\"\n";
    std::ofstream(m_root / "change.xml", std::ios::binary) << kChange;
    std::ofstream(m_root / "cut.xml", std::ios::binary) << kChange.substr(0, 30);
    const std::string notLinked = "The client does not have access to use Fluxmere.";
    std::vector<Row> rows = {
        // Watch and batch.
        {{"--as", "admin", "watch", "SELECT * FROM Bnt_AccessEvent"},
         "",
         2,
         Stream::Err,
         "provixa: watch runs only inside a batch (provixa batch FILE|-)"},
        {{"--help"}, "", 0, Stream::Out, "Usage: provixa", "(__InstanceModificationEvent, ...); inside a batch only"},
        {{"--help"}, "", 0, Stream::Out, "Usage: provixa", "record-change events\n"},
        {{"--as", "admin", "batch", "-"},
         kCardholderChanges + "put Bnt_Cardholder ID=1 DEPARTMENT=Gates\nwait 0\nswevent 2 2 0 {root}/change.xml\n"
                              "wait 0\n",
         0,
         Stream::Out,
         "Watching (watch 1): SELECT * FROM __InstanceModificationEvent",
         "Written Bnt_Cardholder.ID=1\nHanded in: software event 1"},
        {{"--as", "admin", "batch", "{root}"}, "", 1, Stream::Err, "provixa: cannot read {root}: Is a directory"},
        {{"--as", "admin", "--json", "batch", "{root}/bom.txt"}, "", 0, Stream::Out, "[{\"class\":\"Bnt_Badge\""},
        {{"--as", "admin", "batch", "-"},
         "get Bnt_Badge.BADGEKEY=1 \0 trailing\n"s,
         1,
         Stream::Err,
         "provixa: line 1 holds a NUL character"},
        {{"--as", "admin", "batch", "-"},
         "get Bnt_Badge.BADGEKEY=1\nget Bnt_Badge.BADGEKEY=999\n",
         1,
         Stream::Err,
         "provixa: line 2: Error 0x80041002 (WBEM_E_NOT_FOUND): there is no instance Bnt_Badge.BADGEKEY=999"},
        {{"--as", "admin", "batch", "-"},
         "watch \"SELECT * FROM Bnt_AccessEvent WHERE Time > 'x'\"\n",
         1,
         Stream::Err,
         "provixa: line 1: Error 0x80041017 (WBEM_E_INVALID_QUERY):",
         "The value \"x\" compared with Time is not a date-time"},
        {{"--as", "admin", "batch", "-"},
         std::string(65537, 'x') + "\n",
         1,
         Stream::Err,
         "provixa: line 1 is longer than 65536 bytes"},
        {{"--as", "porter", "batch", "-"},
         "watch \"SELECT * FROM Bnt_AccessEvent\"\n",
         1,
         Stream::Err,
         "provixa: line 1: Error 0x80041003 (WBEM_E_ACCESS_DENIED): this account may not watch these events"},
        {{"--as", "operator", "batch", "-"},
         kCardholderChanges,
         1,
         Stream::Err,
         "provixa: line 1: Error 0x80041003 (WBEM_E_ACCESS_DENIED): this account may not watch these record changes"},
        // Values and queries that say what is wrong.
        {{"--as", "admin", "put", "Bnt_Cardholder", "ID=1", "DEPARTMENT=" + std::string(65, 'd')},
         "",
         1,
         Stream::Err,
         "Error 0x80041008 (WBEM_E_INVALID_PARAMETER): The property DEPARTMENT did not exist or contained an invalid "
         "value. It holds 65 characters; it takes at most 64."},
        {{"--as", "admin", "put", "Bnt_Badge", "BADGEKEY=1", "DEACTIVATE=20241301000000.000000+000"},
         "",
         1,
         Stream::Err,
         "Error 0x80041008 (WBEM_E_INVALID_PARAMETER): The property DEACTIVATE did not exist or contained an invalid "
         "value. It names no real date-time: write it as yyyymmddHHMMSS.mmmmmmsUUU"},
        {{"--as", "admin", "put", "Bnt_Badge", "BADGEKEY=1", "DEACTIVATE=garbage"},
         "",
         1,
         Stream::Err,
         "provixa: Bnt_Badge property DEACTIVATE: Error 0x80041005 (WBEM_E_TYPE_MISMATCH): a date-time is written "
         "yyyymmddHHMMSS.mmmmmmsUUU"},
        {{"--as", "admin", "query", "SELECT * FROM Bnt_LoggedEvent WHERE CardNumber = 'abc'"},
         "",
         1,
         Stream::Err,
         "Error 0x80041017 (WBEM_E_INVALID_QUERY): The value \"abc\" compared with CardNumber is not a number."},
        {{"--as", "admin", "query", "SELECT * FROM Bnt_Badge WHERE (BADGEKEY = 1"},
         "",
         1,
         Stream::Err,
         "Error 0x80041017 (WBEM_E_INVALID_QUERY): The query cannot be read: unexpected end of text at offset 43."},
        {{"--as", "admin", "query", "SELECT * FROM Bnt_Cardholder WHERE LASTNAME = Adler"},
         "",
         1,
         Stream::Err,
         "Error 0x80041017 (WBEM_E_INVALID_QUERY): The query cannot be read: literal expected at offset 46: a text is "
         "written in quotes, as 'Adler'."},
        {{"--as", "admin", "query", "SELECT * FROM Bnt_Badge WHERE BADGEKEY NOT LIKE '1%'"},
         "",
         1,
         Stream::Err,
         "Error 0x80041024 (WBEM_E_PROVIDER_NOT_CAPABLE): The query is not valid WQL: comparison operator expected at "
         "offset 39"},
        {{"--as", "admin", "enum", "-1"},
         "",
         1,
         Stream::Err,
         "Error 0x80041010 (WBEM_E_INVALID_CLASS): there is no class -1"},
        {{"--as", "admin", "enum", "Bnt_Badge WHERE 1=1"},
         "",
         1,
         Stream::Err,
         "Error 0x80041010 (WBEM_E_INVALID_CLASS): enum takes a class name alone"},
        {{"--as", "admin", "enum", "Bnt_VideoRecorder"},
         "",
         1,
         Stream::Err,
         "Error 0x80041010 (WBEM_E_INVALID_CLASS): ",
         "Read it through the bus front end: provixa bus get Bnt_VideoRecorder."},
        {{"--as", "admin", "get", "Bnt_Badge.BADGEKEY=999"},
         "",
         1,
         Stream::Err,
         "Error 0x80041002 (WBEM_E_NOT_FOUND): there is no instance Bnt_Badge.BADGEKEY=999"},
        {{"--as", "sa", "enum", "Bnt_Badge"},
         "",
         1,
         Stream::Err,
         "Error 0x00040009 (WBEM_S_ACCESS_DENIED): " + notLinked +
             " Name a linked caller with --as ACCOUNT or --sid SID."},
        {{"--as", "admin", "hwevent", "Record=00"},
         "",
         1,
         Stream::Err,
         "Error 0x80004005 (E_FAIL): the record holds 1 byte; the provider takes only whole 216-byte records"},
        // A command line the host cannot act on is a usage error, whichever command it is.
        {{"--as", "admin", "hwevent", "Record=" + std::string(600, '0')},
         "",
         1,
         Stream::Err,
         "provixa: the record holds 300 bytes; a hwevent hands in one 216-byte record: give each record a "
         "hwevent of its own"},
        {{"--as", "admin", "swevent", "a", "b", "c", "F"},
         "",
         2,
         Stream::Err,
         "provixa: swevent takes TYPE, TRANSACTION and FLAGS as decimal numbers"},
        {{}, "", 2, Stream::Err, "provixa: no command given"},
        {{"bus"},
         "",
         2,
         Stream::Err,
         "{\"error\":\"corvessa.invalidparameter.error\",\"hresult\":\"0x80041008\",\"message\":\"no bus command "
         "given (provixa bus --help)\"}"},
        {{"--as", "admin", "hwevent", "EventType=abc"}, "", 2, Stream::Err, "provixa: not a number: EventType=abc"},
        {{"--as", "admin", "hwevent", "PanelID=99999999999"},
         "",
         2,
         Stream::Err,
         "provixa: PanelID=99999999999 does not fit the field"},
        {{"--as", "admin", "hwevent", "U64@250=1"},
         "",
         2,
         Stream::Err,
         "provixa: U64@250 lies beyond the 216-byte record"},
        {{"--as", "admin", "swevent", "2", "2", "0", "{root}/missing.xml"},
         "",
         1,
         Stream::Err,
         "provixa: cannot read "},
        {{"--as", "admin", "swevent", "2", "2", "0", "{root}/cut.xml"},
         "",
         1,
         Stream::Err,
         "provixa: software event 1 (type 2, transaction 2, flags 0, 30 characters) was dropped by the provider"},
        {{"--as", "admin", "swevent", "99", "2", "0", "{root}/change.xml"},
         "",
         1,
         Stream::Err,
         "provixa: software event 1 (type 99, transaction 2",
         "was dropped"},
        {{"--as", "admin", "swevent", "2", "-1", "0", "{root}/change.xml"},
         "",
         1,
         Stream::Err,
         "provixa: software event 1 (type 2, transaction -1",
         "was dropped"},
        // Writing values.
        {{"--as", "admin", "put", "Bnt_Cardholder", "ID=1", "THREATLEVEL="},
         "",
         1,
         Stream::Err,
         "provixa: Bnt_Cardholder property THREATLEVEL: no value given: only a text property is cleared by NAME="},
        {{"--as", "admin", "put", "Bnt_Cardholder", "ID=1", "DEPARTMENT="},
         "",
         0,
         Stream::Out,
         "Written Bnt_Cardholder.ID=1"},
        {{"--as", "admin", "--json", "get", "Bnt_Cardholder.ID=1"},
         "",
         0,
         Stream::Out,
         "{\"class\":\"Bnt_Cardholder\"",
         "\"DEPARTMENT\":null"},
        {{"--as", "admin", "put", "Bnt_Cardholder", "ID=1",
          "DEPARTMENT=a\xFF"
          "b"},
         "",
         1,
         Stream::Err,
         "provixa: Bnt_Cardholder property DEPARTMENT: not valid UTF-8"},
        {{"--as", "admin", "put", "Bnt_Cardholder", "ID=1", "DEPARTMENT=x", "department=y"},
         "",
         2,
         Stream::Err,
         "provixa: department is given twice"},
        {{"--as", "operator", "exec", "Bnt_Badge", "AddBadge", "BadgeIn=Bnt_Badge{PERSONID=2,TYPE=4,PERSONID=3}"},
         "",
         1,
         Stream::Err,
         "provixa: the method AddBadge parameter BadgeIn: PERSONID is given twice in Bnt_Badge{...}"},
        // The quoted comma reaches the badge whole, whose PIN check refuses it: AddBadge answers the
        // refusal's code alone (its text is in the provider log), not the host's parse error.
        {{"--as", "operator", "exec", "Bnt_Badge", "AddBadge", "BadgeIn=Bnt_Badge{PERSONID=2,TYPE=4,PIN=\"12,3\"}"},
         "",
         1,
         Stream::Err,
         "Error 0x80041001 (WBEM_E_FAILED): The request failed; the provider log holds the details."},
        {{"--as", "admin", "exec", "Bnt_Badge.BADGEKEY=2", "assignaccesslevel", "LevelIn=2"},
         "",
         1,
         Stream::Err,
         "Error 0x80041055 (WBEM_E_METHOD_NOT_IMPLEMENTED): The class has no method of that name. Method names are "
         "matched in the case the class declares them: AssignAccessLevel."},
        {{"--as", "admin", "get", "Bnt_Cardholder"},
         "",
         0,
         Stream::Out,
         "",
         "\t// string LASTNAME; (from Bnt_Person)\n"},
        // A text the installation holds no value of (cardholder 6's department) shows as NULL.
        {{"--as", "admin", "get", "Bnt_Cardholder.ID=6"}, "", 0, Stream::Out, "", "\tDEPARTMENT = NULL;\n"},
        {{"--as", "admin", "--json", "query", "SELECT SerialNumber FROM Bnt_LoggedEvent WHERE CardNumber = 100001"},
         "",
         0,
         Stream::Out,
         "[{\"class\":\"Bnt_LoggedEvent\"",
         "\"SerialNumber\":101"},
        // The bus door.
        {{"--json", "bus", "get", "Bnt_Badge"},
         "",
         2,
         Stream::Err,
         "{\"error\":\"corvessa.invalidparameter.error\",\"hresult\":\"0x80041008\",\"message\":\"bus takes its "
         "own options after its command (provixa bus --help)"},
        {{"--as", "admin", "bus", "get", "Bnt_Badge", "--size", "0"},
         "",
         2,
         Stream::Err,
         "{\"error\":\"corvessa.invalidparameter.error\",\"hresult\":\"0x80041008\",\"message\":\"bus takes its "
         "own options after its command"},
        {{"bus", "--help"}, "", 0, Stream::Out, "Bus commands", "A modify names the instance by its keys"},
        {{"bus", "--help"}, "", 0, Stream::Out, "Bus commands", "The bus carries no embedded object"},
        {{"bus", "get", "Bnt_Badge", "--order", "ID, NOPE", "--size", "1"},
         "",
         0,
         Stream::Err,
         "{\"warning\":\"NOPE is not a property of Bnt_Badge, so the page is ordered by the keys\"}"},
        {{"bus", "get", "Bnt_Badge", "--order", "NOPE", "--size", "1", "--desc"},
         "",
         0,
         Stream::Out,
         "{\"instances\":[{\"class\":\"Bnt_Badge\",\"values\":{",
         "\"BADGEKEY\":7,"},
        {{"bus", "exec", "Bnt_Badge", "NoSuchMethod", "BADGEKEY=1"},
         "",
         1,
         Stream::Err,
         "{\"error\":\"corvessa.general.exception\",\"hresult\":\"0x80041001\",\"message\":\"Bnt_Badge has no "
         "method NoSuchMethod; its methods: AddBadge, AssignAccessLevel"},
        {{"bus", "exec", "Bnt_Badge", "assignaccesslevel", "BADGEKEY=1", "--param", "LevelIn=[3]"},
         "",
         0,
         Stream::Err,
         "{\"log\":\"{root}/home/Logs/Fluxmere.log\",\"warning\":\"a configuration message could not be delivered to the Communication Server"},
        {{"bus", "delete", "Bnt_LoggedEvent", "PanelID=1", "SerialNumber=101"},
         "",
         1,
         Stream::Err,
         "{\"error\":\"corvessa.editinstance.error\",\"hresult\":\"0x8004100C\",\"message\":\"The operation attempted "
         "is not supported by the Corvessa service.\"}"},
        {{"bus", "delete", "Bnt_Badge", "BADGEKEY=3"},
         "",
         0,
         Stream::Err,
         "{\"log\":\"{root}/home/Logs/Fluxmere.log\",\"warning\":\"a configuration message could not be delivered"},
        {{"bus", "modify", "Bnt_Cardholder", "ID=1",
          "DEPARTMENT=a\xFF"
          "b"},
         "",
         1,
         Stream::Err,
         "{\"error\":\"corvessa.general.invalidrequestitem\",\"hresult\":\"0x80041008\",\"message\":\"Request "
         "contains an invalid value for the property 'DEPARTMENT'. It takes well-formed UTF-8 text.\"}"},
        {{"bus", "cardholder", "1", "someone"},
         "",
         1,
         Stream::Err,
         "{\"error\":\"corvessa.general.exception\",\"hresult\":\"0x80041001\",\"message\":\"no directory "
         "password given: set PROVIXA_DIRECTORY_PASSWORD\"}"},
        {{"bus", "shell"},
         "get Bnt_Badge\n",
         1,
         Stream::Err,
         "{\"error\":\"corvessa.invalidparameter.error\",\"hresult\":\"0x80041008\",\"message\":\"log in first "
         "(login USER)\"}"},
        {{"bus", "get", "Bnt_Badge"},
         "",
         1,
         Stream::Err,
         "{\"error\":\"corvessa.general.invalidcredentials\",\"hresult\":\"0x80041003\",\"message\":\"no "
         "password given: set PROVIXA_PASSWORD or give the password on standard input\"}",
         "",
         "PROVIXA_PASSWORD=;unset PROVIXA_PASSWORD;"},
        {{"--help"}, "", 0, Stream::Out, "Usage: provixa", "MILLISECONDS (default 30000, at most 60000)"},
        {{"bus", "--help"}, "", 0, Stream::Out, "Bus commands", "each warning one line {\"warning\": TEXT}"},
        // A modify changes what it names; a class that takes values on every write names the first missing.
        {{"bus", "modify", "Bnt_Cardholder", "ID=2", "DEPARTMENT=Gates"},
         "",
         0,
         Stream::Out,
         "{\"class\":\"Bnt_Cardholder\",\"values\":{\"ID\":2}}"},
        {{"bus", "get", "Bnt_Cardholder", "--filter", "ID = 2"},
         "",
         0,
         Stream::Out,
         "{\"instances\":[{\"class\":\"Bnt_Cardholder\"",
         "\"DEPARTMENT\":\"Gates\",\"FIRSTNAME\":\"Bruno\""},
        // A command that names its user answers for that user or not at all; a refusal of a sign-in
        // names the account and the password it tried.
        {{"bus", "whoami", "--user", "operator"},
         "",
         1,
         Stream::Err,
         "{\"error\":\"corvessa.authentication.failedtoauthenticate\",\"hresult\":\"0x80040525\",\"message\":"
         "\"Authentication failed. The account tried: operator (an internal account), with the password from "
         "PROVIXA_PASSWORD.\"}"},
        {{"bus", "accesslevels", "--user", "operator"},
         "",
         0,
         Stream::Out,
         "[{\"description\":",
         "",
         "PROVIXA_PASSWORD=operator-demo"},
        {{"bus", "whoami", "--user", "operator"},
         "",
         0,
         Stream::Out,
         "{",
         "\"logon_id\":\"operator\"",
         "PROVIXA_PASSWORD=operator-demo"},
        {{"bus", "whoami", "sa", "--user", "operator"},
         "",
         2,
         Stream::Err,
         "{\"error\":\"corvessa.invalidparameter.error\",\"hresult\":\"0x80041008\",\"message\":\"whoami takes its "
         "user once: USER or --user USER\"}"},
        {{"bus", "logout"},
         "",
         2,
         Stream::Err,
         "{\"error\":\"corvessa.invalidparameter.error\",\"hresult\":\"0x80041008\",\"message\":\"not logged in: a "
         "one-shot command starts with no session (an earlier login's token ended with its process); log in and out "
         "inside provixa bus shell\"}"},
        {{"bus", "login", "sa", "--user", "operator"},
         "",
         2,
         Stream::Err,
         "{\"error\":\"corvessa.invalidparameter.error\",\"hresult\":\"0x80041008\",\"message\":\"login takes its "
         "user as USER, not --user\"}"},
        {{"bus", "login", "sa"},
         "",
         0,
         Stream::Err,
         "{\"warning\":\"the token lives only as long as this process, so no later command can use it: log in "
         "inside provixa bus shell to keep a session\"}"},
        // A query that is no SELECT says what a query takes; one of a class that is not there says so.
        {{"--as", "admin", "query", "Bnt_Cardholder"},
         "",
         1,
         Stream::Err,
         "Error 0x80041017 (WBEM_E_INVALID_QUERY):",
         "A query is one WQL SELECT text (ASSOCIATORS OF and REFERENCES OF are not served), as query \"SELECT * "
         "FROM Bnt_Cardholder\"."},
        {{"--as", "admin", "query", "REFERENCES OF {Bnt_Cardholder.ID=1}"},
         "",
         1,
         Stream::Err,
         "Error 0x80041024 (WBEM_E_PROVIDER_NOT_CAPABLE):",
         "as query \"SELECT * FROM Bnt_Cardholder\""},
        {{"--as", "admin", "query", "SELECT * FROM Bnt_C\xC3\xA4rdholder"},
         "",
         1,
         Stream::Err,
         "Error 0x80041017 (WBEM_E_INVALID_QUERY):",
         "There is no class Bnt_C\xC3\xA4rdholder."},
        // A condition written unquoted is asked to be quoted, whatever its operator.
        {{"bus", "get", "Bnt_Cardholder", "--filter", "ID", "=", "3"},
         "",
         2,
         Stream::Err,
         "{\"error\":\"corvessa.invalidparameter.error\"",
         "quote the condition, as in --filter \\\"ID = 3\\\""},
        {{"bus", "get", "Bnt_Cardholder", "--filter", "ID", "<=", "3"},
         "",
         2,
         Stream::Err,
         "{\"error\":\"corvessa.invalidparameter.error\"",
         "quote the condition, as in --filter \\\"ID <= 3\\\""},
        // A photo is replaced by a delete, then an add: the bus's modify does not take it.
        {{"--as", "operator", "put", "Bnt_MultimediaObject", "PersonID=1", "ObjectType=1", "DataType=0", "Data=QUJD"},
         "",
         1,
         Stream::Err,
         "provixa: Bnt_MultimediaObject property Data: only arrays of 32-bit numbers",
         "provixa bus delete Bnt_MultimediaObject PersonID=1 ObjectType=1 DataType=0, then provixa bus add "
         "Bnt_MultimediaObject PersonID=1 ObjectType=1 DataType=0 Data=BASE64"},
        {{"bus", "modify", "Bnt_MultimediaObject", "PersonID=1", "ObjectType=1", "DataType=0", "Data=QUJD"},
         "",
         1,
         Stream::Err,
         "{\"error\":\"corvessa.editinstance.error\",\"hresult\":\"0x8004100C\",\"message\":\"The operation "
         "attempted is not supported by the Corvessa service. Bnt_MultimediaObject takes no modify: replace the "
         "instance by a delete, then an add with the new values (delete Bnt_MultimediaObject KEY=VALUE..., then add "
         "Bnt_MultimediaObject KEY=VALUE... NAME=VALUE...)\"}"},
        // An embedded object of another class than its parameter takes is refused before the method
        // reads it.
        {{"--as", "operator", "exec", "Bnt_Badge", "AddBadge", "BadgeIn=Bnt_Panel{ID=1}"},
         "",
         1,
         Stream::Err,
         "Error 0x80041008 (WBEM_E_INVALID_PARAMETER): The parameter BadgeIn takes an instance of Bnt_Badge, not of "
         "Bnt_Panel."},
        {{"bus", "modify", "Bnt_Badge", "BADGEKEY=2", "PIN=4321"},
         "",
         1,
         Stream::Err,
         "{\"error\":\"corvessa.general.missingrequestitem\",\"hresult\":\"0x80041028\",\"message\":\"The "
         "required property PERSONID had no value"},
        {{"--help"}, "", 0, Stream::Out, "Usage: provixa", "(at most 10000 commands, each line at most 65536 bytes)"},
        {{"--help"}, "", 0, Stream::Out, "Usage: provixa", "A result that cannot be written (a full\ndisk, a closed"},
        {{"--help"},
         "",
         0,
         Stream::Out,
         "Usage: provixa",
         "only a usage error (a command line the host cannot act on) exits with status 2"},
        {{"--help"},
         "",
         0,
         Stream::Out,
         "Usage: provixa",
         "where each failure is one\nline {\"error\": \"WBEM_E_NOT_FOUND\", \"hresult\": \"0x80041002\", "
         "\"message\": TEXT}"},
        {{"--help"}, "", 0, Stream::Out, "Usage: provixa", "a closed pipe ends the run quietly"},
        {{"bus", "--help"},
         "",
         0,
         Stream::Out,
         "Bus commands",
         "naming the first it checks (a badge given BADGEKEY and PIN alone: PERSONID)"},
        // Event classes are watched.
        {{"--as", "admin", "query", "SELECT * FROM __InstanceModificationEvent"},
         "",
         1,
         Stream::Err,
         "provixa: __InstanceModificationEvent is an event class: its events are watched, not queried; run watch"},
        {{"--as", "admin", "--json", "enum", "Bnt_AccessEvent"},
         "",
         1,
         Stream::Err,
         "{\"error\":\"WBEM_E_FAILED\",\"hresult\":\"0x80041001\",\"message\":\"Bnt_AccessEvent is an event class: "
         "its events are watched, not enumerated"},
        // With --json a failure is one JSON line, as on the bus.
        {{"--as", "admin", "--json", "get", "Bnt_Badge.BADGEKEY=999"},
         "",
         1,
         Stream::Err,
         "{\"error\":\"WBEM_E_NOT_FOUND\",\"hresult\":\"0x80041002\",\"message\":\"there is no instance "
         "Bnt_Badge.BADGEKEY=999\"}"},
        {{"--as", "admin", "--json", "get"},
         "",
         2,
         Stream::Err,
         "{\"error\":\"WBEM_E_INVALID_PARAMETER\",\"hresult\":\"0x80041008\",\"message\":\"get takes 1 operand "
         "(provixa --help)\"}"},
        // Messages that say what to do.
        {{"--as", "admin", "exec", "Bnt_Badge.BADGEKEY=2", "assignaccesslevel", "LevelIn=abc"},
         "",
         1,
         Stream::Err,
         "Error 0x80041055 (WBEM_E_METHOD_NOT_IMPLEMENTED): The class has no method of that name. Method names are "
         "matched in the case the class declares them: AssignAccessLevel."},
        {{"--as", "admin", "put", "Bnt_AccessEvent", "ID=1"},
         "",
         1,
         Stream::Err,
         "provixa: Bnt_AccessEvent is an event class: its events are watched, not written; run watch"},
        {{"--as", "admin", "get", "Bnt_Badge.BADGEKEY=1"},
         "",
         1,
         Stream::Err,
         "provixa: cannot read the installation database {root}/empty/provixa.db: no such table: USERS; it is no "
         "installation's database: set PROVIXA_HOME to another folder for a new installation, or move the file away "
         "and run 'provixa init'",
         "",
         "mkdir -p {root}/empty && cp {root}/home/registry.ini {root}/home/ACS.INI {root}/empty/ && : "
         ">{root}/empty/provixa.db;",
         "{root}/empty"},
        {{"init"},
         "",
         1,
         Stream::Err,
         "provixa: the file {root}/empty/provixa.db is not a usable installation database (no such table: USERS): "
         "set PROVIXA_HOME to another folder for a new installation, or move the file away and run 'provixa init'",
         "run 'provixa init'\n",
         "",
         "{root}/empty"},
        // A stored instance is changed by put as by the bus's modify, on every class.
        {{"--as", "admin", "put", "Bnt_LogicalSource", "ID=8", "IsOnline=false"},
         "",
         0,
         Stream::Out,
         "Written Bnt_LogicalSource.ID=8"},
        {{"--as", "admin", "get", "Bnt_LogicalSource.ID=8"}, "", 0, Stream::Out, "", "IsOnline = FALSE;"},
        {{"--as", "admin", "put", "Bnt_LogicalDevice", "ID=1", "SourceID=8", "Name=Boiler"},
         "",
         0,
         Stream::Out,
         "Written Bnt_LogicalDevice.ID=1,SourceID=8"},
        {{"--as", "admin", "get", "Bnt_LogicalDevice.ID=1,SourceID=8"}, "", 0, Stream::Out, "", "Name = \"Boiler\";"},
        // A watch WHERE is judged as the query road judges the same WHERE: a quoted number as the
        // database reads it, a boolean and ISA refused alike.
        {{"--as", "admin", "query", "SELECT SerialNumber FROM Bnt_LoggedEvent WHERE CardNumber = ' 100001'"},
         "",
         0,
         Stream::Out,
         "",
         "SerialNumber = 101;"},
        {{"--as", "operator", "batch", "-"},
         "watch \"SELECT * FROM Bnt_AccessEvent WHERE CardNumber = ' 100001'\"\n" + kCardEvent,
         0,
         Stream::Out,
         "Watching (watch 1)",
         "Event (watch 1):"},
        {{"--as", "admin", "query", "SELECT SerialNumber FROM Bnt_LoggedEvent WHERE CardNumber = '+100001'"},
         "",
         0,
         Stream::Out,
         "",
         "SerialNumber = 101;"},
        {{"--as", "operator", "batch", "-"},
         "watch \"SELECT * FROM Bnt_AccessEvent WHERE CardNumber = '+100001'\"\n" + kCardEvent,
         0,
         Stream::Out,
         "Watching (watch 1)",
         "Event (watch 1):"},
        {{"--as", "admin", "query", "SELECT ID FROM Bnt_Cardholder WHERE ALLOWEDVISITORS = 'maybe'"},
         "",
         1,
         Stream::Err,
         "Error 0x80041017 (WBEM_E_INVALID_QUERY): The value \"maybe\" compared with ALLOWEDVISITORS is not a "
         "boolean: write TRUE or FALSE."},
        {{"--as", "admin", "batch", "-"},
         "watch \"SELECT * FROM __InstanceModificationEvent WHERE TargetInstance ISA 'Bnt_Cardholder' AND "
         "TargetInstance.ALLOWEDVISITORS = 'maybe'\"\n",
         1,
         Stream::Err,
         "provixa: line 1: Error 0x80041017 (WBEM_E_INVALID_QUERY):",
         "The value \"maybe\" compared with TargetInstance.ALLOWEDVISITORS is not a boolean: write TRUE or FALSE"},
        {{"--as", "admin", "query", "SELECT SerialNumber FROM Bnt_LoggedEvent WHERE CardNumber ISA 'x'"},
         "",
         1,
         Stream::Err,
         "Error 0x80041017 (WBEM_E_INVALID_QUERY): CardNumber holds no embedded object, so ISA cannot compare its "
         "class."},
        {{"--as", "operator", "batch", "-"},
         "watch \"SELECT * FROM Bnt_AccessEvent WHERE CardNumber ISA 'x'\"\n",
         1,
         Stream::Err,
         "provixa: line 1: Error 0x80041017 (WBEM_E_INVALID_QUERY):",
         "CardNumber holds no embedded object, so ISA cannot compare its class"},
        // A home whose path is no ASCII, in any locale; its bytes need not even be UTF-8.
        {{"init"},
         "",
         0,
         Stream::Out,
         "PROVIXA_HOME {root}/h\xC3\xB4me",
         "database created",
         "LANG=C",
         "{root}/h\xC3\xB4me"},
        {{"--as", "admin", "get", "Bnt_Cardholder.ID=1"},
         "",
         0,
         Stream::Out,
         "",
         "LASTNAME = \"Adler\";",
         "LANG=C.UTF-8",
         "{root}/h\xC3\xB4me"},
        {{"init"},
         "",
         0,
         Stream::Out,
         "PROVIXA_HOME {root}/h\xE9",
         "database created",
         "unset LANG LC_ALL;",
         "{root}/h\xE9"},
        {{"--as", "admin", "--json", "get", "Bnt_Cardholder.ID=2"},
         "",
         0,
         Stream::Out,
         "{\"class\":\"Bnt_Cardholder\"",
         "\"LASTNAME\":\"Brandt\"",
         "LANG=C",
         "{root}/h\xE9"},
        // A database that cannot be read for now is kept: here the file size limit stops the
        // engine from making its shared-memory file, as a full disk does.
        {{"init"},
         "",
         1,
         Stream::Err,
         "provixa: cannot read the installation database ",
         "the file has reached the size limit of this process; it is kept as it is",
         "trap '' XFSZ; ulimit -f 16;",
         "",
         "",
         "move it away"},
        // What a person meets first: each failure says where to look and what happened, once.
        // A failure that sends the reader to the log names the log's file, on either door.
        {{"--as", "operator", "exec", "Bnt_Panel.ID=2", "SetClock"},
         "",
         1,
         Stream::Err,
         "Error 0x80041001 (WBEM_E_FAILED): The request failed; the provider log holds the details.",
         "\nprovixa: the provider log is {root}/home/Logs/Fluxmere.log\n"},
        // A group without levels gives a badge without levels nothing: the log holds why.
        {{"bus", "exec", "Bnt_AccessGroup", "AssignGroup", "ID=2", "--param", "BadgeKey=5"},
         "",
         1,
         Stream::Err,
         "{\"error\":\"corvessa.general.exception\",\"hresult\":\"0x80041001\",\"log\":\"{root}/home/Logs/"
         "Fluxmere.log\",\"message\":\"Exception occurred, check server logs for details.\"}",
         "",
         "sqlite3 {root}/home/provixa.db \"INSERT INTO ACCESSGRP (ACCESSGPID, DESCRIPT, SEGMENTID) VALUES (2, "
         "'Empty', 1)\"; PROVIXA_PASSWORD=sa-demo"},
        // A cause is said once, in the words a person acts on; init says what failed.
        {{"init"},
         "",
         1,
         Stream::Err,
         "provixa: cannot switch the installation database {root}/rollback/provixa.db to the journal mode every command uses "
         "(a write-ahead log): the file has reached the size limit of this process; it is kept as it is",
         "",
         "cp -r {root}/home {root}/rollback && sqlite3 {root}/rollback/provixa.db 'PRAGMA journal_mode=DELETE' "
         ">/dev/null; trap '' XFSZ; ulimit -f 1;",
         "{root}/rollback",
         "",
         "cannot read"},
        {{"bus", "get", "Bnt_WorldTimezone", "--size", "99999999999999999999"},
         "",
         2,
         Stream::Err,
         "{\"error\":\"corvessa.invalidparameter.error\",\"hresult\":\"0x80041008\",\"message\":\"--size "
         "99999999999999999999 is out of range: it takes a number from 0 to 2147483647\"}"},
        // Two whole records are refused as more than the one a hwevent hands in, not dropped.
        {{"--as", "admin", "hwevent", "Record=" + std::string(864, '0')},
         "",
         1,
         Stream::Err,
         "provixa: the record holds 432 bytes; a hwevent hands in one 216-byte record: give each record a hwevent "
         "of its own"},
        // put names what it wrote as get and delete do.
        {{"--as", "admin", "--json", "put", "Bnt_Cardholder", "ID=2", "DEPARTMENT=Yard"},
         "",
         0,
         Stream::Out,
         "{\"path\":\"Bnt_Cardholder.ID=2\"}"},
        // The shell answers help as bus --help does.
        {{"bus", "shell"}, "--help\nhelp\n", 0, Stream::Out, "Bus commands", "\nBus commands"},
        // With --json a warning is a JSON line as a failure is, in a batch too.
        {{"--as", "admin", "--json", "batch", "-"},
         "put Bnt_Badge BADGEKEY=1 PIN=4321\n",
         0,
         Stream::Err,
         "{\"log\":\"{root}/home/Logs/Fluxmere.log\",\"warning\":\"line 1: a configuration message could not be "
         "delivered to the Communication Server",
         "",
         "",
         "",
         "",
         "provixa: "},
    };
    // A result that cannot be written is no success, on either door and in a batch; on the bus and
    // with --json the failure is a JSON line as every other.
    const std::string unwrittenText = "provixa: cannot write the result to the standard output: ";
    const std::string unwrittenJson = "cannot write the result to the standard output: ";
    const struct
    {
        std::vector<std::string> args;
        std::string input;
        std::string output;
        std::string firstLine;
    } unwritten[] = {
        {{"--as", "admin", "enum", "Bnt_Cardholder"}, "", ">/dev/full", unwrittenText + "No space left on device"},
        {{"--as", "admin", "batch", "-"},
         "get Bnt_Badge.BADGEKEY=1\n",
         ">/dev/full",
         "provixa: line 1: cannot write the result to the standard output: No space left on device"},
        {{"--as", "admin", "--json", "query", "SELECT * FROM Bnt_Badge"},
         "",
         ">&-",
         "{\"error\":\"WBEM_E_FAILED\",\"hresult\":\"0x80041001\",\"message\":\"" + unwrittenJson +
             "Bad file descriptor\"}"},
        {{"--as", "admin", "--json", "get", "Bnt_Badge.BADGEKEY=1"},
         "",
         ">/dev/full",
         "{\"error\":\"WBEM_E_FAILED\",\"hresult\":\"0x80041001\",\"message\":\"" + unwrittenJson +
             "No space left on device\"}"},
        {{"bus", "get", "Bnt_Badge"},
         "",
         ">/dev/full",
         "{\"error\":\"corvessa.general.exception\",\"hresult\":\"0x80041001\",\"message\":\"" + unwrittenJson +
             "No space left on device\"}"},
        {{"bus", "get", "Bnt_Badge"},
         "",
         ">&-",
         "{\"error\":\"corvessa.general.exception\",\"hresult\":\"0x80041001\",\"message\":\"" + unwrittenJson +
             "Bad file descriptor\"}"},
    };
    for (const auto& c : unwritten)
        rows.push_back(Row{c.args, c.input, 1, Stream::Err, c.firstLine, "", "", "", c.output});
    // Limits of the machine: a read that finds no room (the file-size limit stands in for a full
    // disk) says what it needed room for; under the limit a batch of writes reports each write that
    // found no room, as a full disk does, instead of ending without a word.
    std::string puts;
    for (int i = 0; i < 40; ++i)
        puts +=
            "put Bnt_Cardholder ID=3 DEPARTMENT=Department-" + std::to_string(i) + "-" + std::string(40, 'd') + "\n";
    rows.push_back(Row{{"--as", "admin", "get", "Bnt_Badge.BADGEKEY=1"},
                       "",
                       1,
                       Stream::Err,
                       "provixa: cannot read the installation database {root}/home/provixa.db: the file has reached "
                       "the size limit of this process; a read needs no new space but the database's side files "
                       "provixa.db-wal and provixa.db-shm, which could not be made",
                       "",
                       "ulimit -f 16;"});
    // The read that found no room left an index too short to use: every later read says why too.
    rows.push_back(Row{{"--as", "admin", "get", "Bnt_Badge.BADGEKEY=1"},
                       "",
                       1,
                       Stream::Err,
                       "provixa: cannot read the installation database {root}/home/provixa.db: the file has reached "
                       "the size limit of this process; a read needs no new space but the database's side file "
                       "provixa.db-shm, which could not be made",
                       "",
                       "ulimit -f 16;"});
    // A batch whose result can no longer be written stops there, once, rather than fail each
    // remaining line the same way.
    std::string listsAndMisses;
    for (int i = 0; i < 20; ++i)
        listsAndMisses += "classes\nget Bnt_Badge.BADGEKEY=999\n";
    rows.push_back(Row{{"--as", "admin", "batch", "-"},
                       listsAndMisses,
                       1,
                       Stream::Err,
                       "provixa: line 2: Error 0x80041002 (WBEM_E_NOT_FOUND)",
                       ": cannot write the result to the standard output: File too large\n",
                       "trap '' XFSZ; ulimit -f 80;",
                       "",
                       "",
                       "provixa: line 40:"});
    rows.push_back(Row{{"--as", "admin", "batch", "-"},
                       puts,
                       1,
                       Stream::Err,
                       "provixa: line ",
                       "Error 0x80041001 (WBEM_E_FAILED): The system was unable to write the instance to the "
                       "database. The file has reached the size limit of this process.",
                       "ulimit -f 100;"});
    // What a new user meets: a write whose confirmation cannot be printed says what took effect, on
    // both doors and naming the batch line; refusals show what was typed, quoted, and say what to
    // do; the bus shell's help, password prompt and line limit; a batch's interruption.
    const std::string lost = " was written; its confirmation could not be printed: No space left on device";
    const std::string busFailure =
        "{\"error\":\"corvessa.general.exception\",\"hresult\":\"0x80041001\",\"message\":\"";
    const std::size_t shellLineLimit = 22435160;
    const std::string tooLong = "line 1 is longer than 22435160 bytes: a shell line carries at most one binary value "
                                "of 16 MiB (22369624 bytes of Base64) and 65536 bytes besides";
    std::string longList = "[1";
    for (int i = 0; i < 4096; ++i)
        longList += ",1";
    const std::vector<Row> words = {
        {{"--as", "admin", "put", "Bnt_Cardholder", "LASTNAME=Ghost", "PRIMARYSEGMENTID=1"},
         "",
         1,
         Stream::Err,
         "provixa: Bnt_Cardholder.ID=",
         lost,
         "",
         "",
         ">/dev/full"},
        {{"--as", "admin", "batch", "-"},
         "put Bnt_Cardholder LASTNAME=Ghost PRIMARYSEGMENTID=1\nget Bnt_Badge.BADGEKEY=1\n",
         1,
         Stream::Err,
         "provixa: line 1: Bnt_Cardholder.ID=",
         lost,
         "",
         "",
         ">/dev/full",
         "line 2"},
        {{"--as", "admin", "delete", "Bnt_Badge.BADGEKEY=6"},
         "",
         1,
         Stream::Err,
         "provixa: Bnt_Badge.BADGEKEY=6 was deleted; its confirmation could not be printed: No space left on device",
         "",
         "",
         "",
         ">/dev/full"},
        {{"--as", "operator", "--simulate", "exec", "Bnt_Panel.ID=1", "SetClock"},
         "",
         1,
         Stream::Err,
         "provixa: the method SetClock of Bnt_Panel.ID=1 ran; its confirmation could not be printed: Bad file "
         "descriptor",
         "",
         "",
         "",
         ">&-"},
        {{"bus", "add", "Bnt_Cardholder", "LASTNAME=Ghost", "PRIMARYSEGMENTID=1"},
         "",
         1,
         Stream::Err,
         busFailure + "Bnt_Cardholder.ID=",
         lost + "\"}",
         "",
         "",
         ">/dev/full"},
        {{"bus", "modify", "Bnt_Cardholder", "ID=2", "DEPARTMENT=Dock"},
         "",
         1,
         Stream::Err,
         busFailure + "Bnt_Cardholder.ID=2" + lost + "\"}",
         "",
         "",
         "",
         ">/dev/full"},
        // The warning that the panels were not told follows.
        {{"bus", "delete", "Bnt_Badge", "BADGEKEY=7"},
         "",
         1,
         Stream::Err,
         "",
         busFailure +
             "Bnt_Badge.BADGEKEY=7 was deleted; its confirmation could not be printed: No space left on "
             "device\"}\n{\"log\":\"{root}/home/Logs/Fluxmere.log\",\"warning\":\"a configuration message could not be delivered",
         "",
         "",
         ">/dev/full"},
        {{"--as", "admin", "put", "Bnt_Cardholder", "ID=1 ", "DEPARTMENT=Dock"},
         "",
         1,
         Stream::Err,
         "provixa: Bnt_Cardholder property ID: \"1 \" is not a sint32 number from -2147483648 to 2147483647"},
        {{"--as", "admin", "put", "Bnt_Cardholder", " ID=1", "DEPARTMENT=Dock"},
         "",
         1,
         Stream::Err,
         "provixa: Bnt_Cardholder has no property \" ID\""},
        {{"--as", "admin", "put", "Bnt_Cardholder", "ID=1", "THREATLEVEL=abc"},
         "",
         1,
         Stream::Err,
         "provixa: Bnt_Cardholder property THREATLEVEL: \"abc\" is not a sint32 number from -2147483648 to "
         "2147483647"},
        {{"bus", "get", "Bnt_Badge", "--size", "-1"},
         "",
         2,
         Stream::Err,
         "{\"error\":\"corvessa.invalidparameter.error\",\"hresult\":\"0x80041008\",\"message\":\"--size -1 is out "
         "of range: it takes a number from 0 to 2147483647\"}"},
        {{"--as", "admin", "exec", "Bnt_Badge.BADGEKEY=2", "AssignAccessLevel", "LevelIn=[1,2]"},
         "",
         1,
         Stream::Err,
         "provixa: the method AssignAccessLevel parameter LevelIn: a list is written VALUE,VALUE on this door: 1,2 "
         "(the bus writes [1,2])"},
        {{"bus", "exec", "Bnt_Badge", "AssignAccessLevel", "BADGEKEY=2", "--param", "LevelIn=1,2"},
         "",
         1,
         Stream::Err,
         busFailure + "the parameter LevelIn of AssignAccessLevel takes a list, written [A,B] on the bus: --param "
                      "LevelIn=[1,2]\"}"},
        {{"bus", "exec", "Bnt_Badge", "AssignAccessLevel", "BADGEKEY=2", "--param", "LevelIn=" + longList + "]"},
         "",
         1,
         Stream::Err,
         busFailure + "a list holds at most 4096 elements\"}"},
        {{"--as", "operator", "exec", "Bnt_Panel", "SetClock"},
         "",
         1,
         Stream::Err,
         "Error 0x8004103A (WBEM_E_INVALID_OBJECT_PATH): ",
         "SetClock runs on an instance: name one by its key, as Bnt_Panel.ID=1."},
        {{"--as", "admin", "batch", "{root}/missing.txt"},
         "",
         1,
         Stream::Err,
         "provixa: cannot read {root}/missing.txt: No such file or directory"},
        {{"--as", "admin", "swevent", "2", "2", "0", "{root}/missing.xml"},
         "",
         1,
         Stream::Err,
         "provixa: cannot read {root}/missing.xml: No such file or directory"},
        {{"--as", "admin", "query", "SELECT", "*", "FROM", "Bnt_Badge"},
         "",
         2,
         Stream::Err,
         "provixa: query takes 1 operand, its WQL text: quote it, as in query \"SELECT * FROM Bnt_Badge\""},
        {{"bus", "help"}, "", 0, Stream::Out, "Bus commands", "  help                          show this text"},
        // Ctrl-D at the shell's password prompt (shown at once, on the terminal) gives up that login;
        // the shell goes on.
        {{"bus", "shell"},
         "",
         1,
         Stream::Out,
         "login operator",
         "Password: \n{\"error\":\"corvessa.general.invalidcredentials\",\"hresult\":\"0x80041003\",\"message\":\"no "
         "password given\"}\nhelp\nexit\nBus commands",
         "PROVIXA_PASSWORD=;unset PROVIXA_PASSWORD; mkfifo {root}/keys; (exec 3>{root}/keys; printf 'login "
         "operator\\n' >&3; i=0; until grep -q 'Password: ' {root}/screen 2>/dev/null || [ $i -ge 3000 ]; do sleep "
         "0.01; i=$((i+1)); done; printf '\\004' >&3; i=0; until grep -q 'no password given' {root}/screen || [ $i "
         "-ge 3000 ]; do sleep 0.01; i=$((i+1)); done; printf 'help\\nexit\\n' >&3) & terminal() { script -qfec "
         "\"$*\" {root}/screen <{root}/keys >/dev/null; status=$?; tr -d '\\r' <{root}/screen | sed '/^Script /d'; "
         "return $status; }; terminal"},
        // SIGINT ends a batch by the signal, naming the line it reached.
        {{"--as", "admin", "batch", "{root}/lines"},
         "",
         130,
         Stream::Err,
         "provixa: line 1: interrupted after it ran, before the next line",
         "",
         "mkfifo {root}/lines; (exec 3>{root}/lines; printf 'get Bnt_Badge.BADGEKEY=1\\n' >&3; i=0; until grep -q "
         "'BADGEKEY = 1;' {root}/out 2>/dev/null || [ $i -ge 3000 ]; do sleep 0.01; i=$((i+1)); done; kill -INT "
         "$(cat {root}/pid); i=0; while kill -0 $(cat {root}/pid) 2>/dev/null && [ $i -lt 3000 ]; do sleep 0.01; "
         "i=$((i+1)); done) & sh -c 'echo $$ >{root}/pid; exec env \"$@\"' sh"},
        // A shell line holds one binary value of the largest size in Base64 and a batch line besides.
        {{"bus", "shell"},
         "version" + std::string(shellLineLimit - 7, ' ') + "\n",
         0,
         Stream::Out,
         "{\"product_name\""},
        {{"bus", "shell"},
         "version" + std::string(shellLineLimit - 6, ' ') + "\nversion\n",
         1,
         Stream::Err,
         busFailure + tooLong + "\"}"},
        // A word repeated in a message is cut.
        {{"bus", "shell"},
         std::string(5000, 'x') + "\n",
         1,
         Stream::Err,
         "{\"error\":\"corvessa.invalidparameter.error\",\"hresult\":\"0x80041008\",\"message\":\"unknown bus command "
         "xxxx",
         "x... (924 bytes more)\"}"},
        {{"init"},
         "",
         1,
         Stream::Err,
         "provixa: cannot create {root}/afile: Not a directory",
         "",
         ": >{root}/afile;",
         "{root}/afile"},
        {{"init"},
         "",
         1,
         Stream::Err,
         "provixa: cannot create /proc/provixa-home: No such file or directory",
         "",
         "",
         "/proc/provixa-home"},
    };
    rows.insert(rows.end(), words.begin(), words.end());
    // The bus door says what the WMI door says, and every text names what a value takes.
    const std::string invalidItem = "{\"error\":\"corvessa.general.invalidrequestitem\",\"hresult\":\"0x80041008\",";
    const std::string busUsage =
        "{\"error\":\"corvessa.invalidparameter.error\",\"hresult\":\"0x80041008\",\"message\":\"";
    const std::string pageTakes = "It takes a page number from 1 to 2147483647, and the page number times the size at "
                                  "most 2147483647.\"}";
    // One byte more than a binary value holds, in Base64 (the last group carries two bytes).
    const std::string pastTheLimit = std::string(22369620, 'A') + "AAA=";
    const std::vector<Row> sameWords = {
        {{"bus", "exec", "Bnt_Panel", "SetClock"},
         "",
         1,
         Stream::Err,
         busFailure + "SetClock runs on an instance: name one by its key, as Bnt_Panel.ID=1 (on the bus: exec "
                      "Bnt_Panel SetClock ID=1)\"}"},
        {{"bus", "shell"},
         "login sa\nmodify Bnt_BadgeFIPS201 BADGEKEY=5 TWICPrivacyKey=" + pastTheLimit + "\n",
         1,
         Stream::Err,
         invalidItem,
         "\"message\":\"Request contains an invalid value for the property 'TWICPrivacyKey'. The value of the "
         "property TWICPrivacyKey is larger than a binary property may hold (16 MiB).\"}\n"},
        {{"bus", "modify", "Bnt_Cardholder", "ID=1", "THREATLEVEL=99999999999"},
         "",
         1,
         Stream::Err,
         invalidItem + "\"message\":\"Request contains an invalid value for the property 'THREATLEVEL'. It takes a "
                       "sint32 number from -2147483648 to 2147483647.\"}"},
        {{"bus", "modify", "Bnt_Cardholder", "ID=1", "DEPARTMENT=" + std::string(65, 'd')},
         "",
         1,
         Stream::Err,
         invalidItem + "\"message\":\"The property DEPARTMENT did not exist or contained an invalid value. It holds 65 "
                       "characters; it takes at most 64.\"}"},
        {{"bus", "subs", "list", "page=99999999999"},
         "",
         2,
         Stream::Err,
         busUsage + "page=99999999999 is out of range: it takes a number from 1 to 2147483647\"}"},
        {{"bus", "subs", "list", "size=2147483648"},
         "",
         2,
         Stream::Err,
         busUsage + "size=2147483648 is out of range: it takes a number from 1 to 2147483647\"}"},
        {{"bus", "subs", "list", "page=-1"},
         "",
         2,
         Stream::Err,
         busUsage + "page=-1 is out of range: it takes a number from 1 to 2147483647\"}"},
        {{"bus", "subs", "list", "page=0"},
         "",
         2,
         Stream::Err,
         busUsage + "page=0 is out of range: it takes a number from 1 to 2147483647\"}"},
        {{"bus", "subs", "list", "size=0"},
         "",
         2,
         Stream::Err,
         busUsage + "size=0 is out of range: it takes a number from 1 to 2147483647\"}"},
        {{"bus", "subs", "list", "page=2", "size=2000000000"},
         "",
         1,
         Stream::Err,
         invalidItem + "\"message\":\"Request contains an invalid value for the property 'page_number'. " + pageTakes},
        {{"bus", "subs", "list", "order=nope"},
         "",
         1,
         Stream::Err,
         invalidItem + "\"message\":\"Request contains an invalid value for the property 'order_by'. 'nope' is not a "
                       "property of an event subscription; the order takes binding_key, created_date, description, "
                       "disabled_date, exchange_name, filter, id, is_durable, last_updated_date, "
                       "message_broker_hostname, message_broker_port, queue_name, requires_secure_connection, "
                       "user_id, separated by commas.\"}"},
        {{"bus", "get", "Bnt_Cardholder", "--filter", "ID < 3", "--page", "0", "--size", "1"},
         "",
         0,
         Stream::Out,
         "{\"instances\":[{\"class\":\"Bnt_Cardholder\"",
         "],\"page_number\":0,\"page_size\":1,\"total_count\":2,"},
        {{"bus", "get", "Bnt_Cardholder", "--filter", "ID < 3", "--page", "99", "--size", "1"},
         "",
         1,
         Stream::Err,
         invalidItem + "\"message\":\"Request contains an invalid value for the property 'page_number'. There are 2 "
                       "pages of 1 (2 instances); page 0 is every one.\"}"},
        {{"bus", "--help"}, "", 0, Stream::Out, "Bus commands", "page 0: every instance, whatever the size"},
        {{"bus", "shell"},
         "login sa\nget Bnt_Cardholder --filter ID > 2 --size 1\n",
         1,
         Stream::Err,
         busUsage + "get takes CLASS and one --filter word: quote the condition, as in --filter \\\"ID > 2\\\"\"}"},
        {{"bus", "exec", "Bnt_Badge", "AddBadge", "--param", "BadgeIn=x"},
         "",
         1,
         Stream::Err,
         busFailure + "the parameter BadgeIn of AddBadge takes an embedded object, an instance of its class (written "
                      "CLASS{NAME=VALUE,...} on the WMI door), which the bus carries as no parameter: write the "
                      "instance with add CLASS NAME=VALUE... instead\"}"},
        // A refused directory sign-in says so, names the password refused, and names the log that
        // holds why.
        {{"bus", "cardholder", "1", "aadler", "--user", "operator"},
         "operator-demo\n",
         1,
         Stream::Err,
         "{\"error\":\"corvessa.general.invalidcredentials\",\"hresult\":\"0x80004005\",\"log\":\"{root}/home/Logs/"
         "Fluxmere.log\",\"message\":\"The sign-in was refused: the account and password given were not accepted, "
         "check server logs for details. The password refused is PROVIXA_DIRECTORY_PASSWORD, for the account aadler "
         "of directory 1.\"}",
         "",
         "PROVIXA_PASSWORD=;unset PROVIXA_PASSWORD; PROVIXA_DIRECTORY_PASSWORD=wrong"},
        {{"--help"},
         "",
         0,
         Stream::Out,
         "Usage: provixa",
         "",
         "grep -q 'The sign-in was refused: the directory 1 did not accept the password given for the account aadler.' "
         "{root}/home/Logs/Fluxmere.log || exit 9;"},
        // The host's own words: one-shot whoami and accesslevels take the default user the help
        // names; a binary value says where it is given; a path names the class it lacks; a
        // folder is refused alike by every command that reads a file.
        {{"bus", "whoami"}, "", 0, Stream::Out, "{\"first_name\":\"System\",", "\"logon_id\":\"sa\""},
        {{"bus", "accesslevels"}, "", 0, Stream::Out, "["},
        {{"bus", "--help"},
         "",
         0,
         Stream::Out,
         "Bus commands",
         "USER|--user USER] the access levels the user manages\n                                (outside the shell USER "
         "defaults to sa)"},
        {{"--as", "admin", "put", "Bnt_BadgeFIPS201", "BADGEKEY=5", "TWICPrivacyKey=1,2,3"},
         "",
         1,
         Stream::Err,
         "provixa: Bnt_BadgeFIPS201 property TWICPrivacyKey: only arrays of 32-bit numbers can be given on the command "
         "line (VALUE,VALUE); a binary value is given in Base64 through the bus: provixa bus modify CLASS KEY=VALUE "
         "NAME=BASE64"},
        {{"--help"},
         "",
         0,
         Stream::Out,
         "Usage: provixa",
         "A photo (Bnt_MultimediaObject, which takes no modify) is\nreplaced by a delete, then an add"},
        {{"--as", "admin", "get",
          "Bnt_Gr\xC3\xB6\xC3\x9F"
          "e"},
         "",
         1,
         Stream::Err,
         "Error 0x8004103A (WBEM_E_INVALID_OBJECT_PATH): there is no class Bnt_Gr\xC3\xB6\xC3\x9F"
         "e",
         "there is no class Bnt_Gr\xC3\xB6\xC3\x9F"
         "e\n",
         "",
         "",
         "",
         "expected after the class name"},
        {{"--as", "admin", "swevent", "2", "2", "0", "{root}"},
         "",
         1,
         Stream::Err,
         "provixa: cannot read {root}: Is a directory"},
    };
    rows.insert(rows.end(), sameWords.begin(), sameWords.end());
    // The provider log: a message sends the reader there only where the request wrote its reason,
    // and names the file; the log's records stay whole; a database failure of a method says its
    // cause once, as a put does.
    const std::string log = "{root}/home/Logs/Fluxmere.log";
    // Runs the program as an account that is not the home's owner ($as): nobody when the test runs
    // as root, which every permission lets through. Nobody may not reach the build tree (a clone
    // in a folder only its owner enters), so it runs a copy of the host and of the library it
    // loads, made where it may: the command's program is swapped for the copy.
    const std::string host = "{root}/host";
    const std::string asOther =
        "as=env; if [ \"$(id -u)\" = 0 ]; then mkdir -p " + host + " && cp " + provixa_program::Quote(PROVIXA_BINARY) +
        " " + provixa_program::Quote(PROVIXA_LIBRARY) + " " + host + "/ && chmod 755 {root} " + host + " " + host +
        "/*; other() { for word; do shift; if [ \"$word\" = " + provixa_program::Quote(PROVIXA_BINARY) +
        " ]; then set -- \"$@\" " + host +
        "/provixa; else set -- \"$@\" \"$word\"; fi; done; setpriv --reuid=65534 --regid=65534 " +
        "--clear-groups env LD_LIBRARY_PATH=" + host + " \"$@\"; }; as=other; fi; ";
    const std::string cutLog = "{root}/cut/Logs/Fluxmere.log";
    rows.insert(
        rows.end(),
        {
            // A sign-out of a visit not signed in answers without a log line: no log is named.
            {{"--as", "operator", "exec", "Bnt_Visit.ID=3", "SignVisitOut"},
             "",
             1,
             Stream::Err,
             "Error 0x80041001 (WBEM_E_FAILED): The request failed.",
             "",
             "",
             "",
             "",
             "provider log"},
            {{"bus", "exec", "Bnt_Visit", "SignVisitOut", "ID=3"},
             "",
             1,
             Stream::Err,
             "{\"error\":\"corvessa.general.exception\",\"hresult\":\"0x80041001\",\"message\":\"Exception occurred, "
             "check server logs for details.\"}"},
            // The reason of a refused badge could not be written to a log this account may not
            // write: the log is not named (the next row finds it unchanged), nor said to keep an
            // undelivered message.
            {{"--as", "operator", "exec", "Bnt_Badge", "AddBadge", "BadgeIn=Bnt_Badge{PERSONID=2,TYPE=4,PIN=\"12,3\"}"},
             "",
             1,
             Stream::Err,
             "Error 0x80041001 (WBEM_E_FAILED): The request failed.",
             "",
             "cp -r {root}/home {root}/nolog && cp {root}/nolog/Logs/Fluxmere.log {root}/nolog.log && chmod 755 "
             "{root}; if [ \"$(id -u)\" = 0 ]; then chown -R 65534 {root}/nolog && chown 0 "
             "{root}/nolog/Logs/Fluxmere.log; fi; chmod 444 {root}/nolog/Logs/Fluxmere.log; " +
                 asOther + "$as",
             "{root}/nolog",
             "",
             "provider log"},
            {{"--as", "admin", "put", "Bnt_Badge", "BADGEKEY=1", "PIN=4327"},
             "",
             0,
             Stream::Err,
             "provixa: warning: a configuration message could not be delivered to the Communication Server, so the "
             "panels were not told of the change",
             "",
             asOther + "$as",
             "{root}/nolog",
             "",
             "provider log"},
            {{"--as", "admin", "swevent", "2", "2", "0", "{root}/cut.xml"},
             "",
             1,
             Stream::Err,
             "provixa: software event 1 (type 2, transaction 2, flags 0, 30 characters) was dropped by the provider",
             "",
             asOther + "$as",
             "{root}/nolog",
             "",
             "provider log"},
            {{"--help"},
             "",
             0,
             Stream::Out,
             "Usage: provixa",
             "",
             "cmp -s {root}/nolog.log {root}/nolog/Logs/Fluxmere.log || exit 9;",
             "{root}/nolog"},
            // A dropped software event and an undelivered configuration message name the log that
            // keeps their cause, in text and in JSON, on either door.
            {{"--as", "admin", "swevent", "2", "2", "0", "{root}/cut.xml"},
             "",
             1,
             Stream::Err,
             "provixa: software event 1 (type 2, transaction 2, flags 0, 30 characters) was dropped by the provider",
             "; the provider log names the cause\nprovixa: the provider log is " + log + "\n"},
            {{"--as", "admin", "--json", "swevent", "99", "2", "0", "{root}/change.xml"},
             "",
             1,
             Stream::Err,
             "{\"error\":\"WBEM_E_FAILED\",\"hresult\":\"0x80041001\",\"log\":\"" + log +
                 "\",\"message\":\"software event 1 (type 99, transaction 2"},
            {{"--as", "admin", "put", "Bnt_Badge", "BADGEKEY=1", "PIN=4325"},
             "",
             0,
             Stream::Err,
             "provixa: warning: a configuration message could not be delivered to the Communication Server, so the "
             "panels were not told of the change; the provider log keeps the message",
             "the provider log keeps the message\nprovixa: the provider log is " + log + "\n"},
            {{"bus", "delete", "Bnt_Badge", "BADGEKEY=4"},
             "",
             0,
             Stream::Err,
             "{\"log\":\"" + log +
                 "\",\"warning\":\"a configuration message could not be delivered to the Communication Server, "
                 "so the panels were not told of the change; the provider log keeps the message\"}"},
            // A record the file took only in part (the file-size limit stands in for a full disk)
            // is not joined by the next process's record: that one starts on a line of its own.
            {{"--as", "admin", "get", "Bnt_Badge.BADGEKEY=1"},
             "",
             0,
             Stream::Out,
             "",
             "instance of Bnt_Badge",
             "cp -r {root}/home {root}/cut && head -c 65529 /dev/zero | tr '\\0' '#' >" + cutLog + " && echo >>" +
                 cutLog + "; trap '' XFSZ; ulimit -f 128;",
             "{root}/cut"},
            {{"--as", "admin", "get", "Bnt_Badge.BADGEKEY=2"},
             "",
             0,
             Stream::Out,
             "",
             "instance of Bnt_Badge",
             "",
             "{root}/cut"},
            {{"--help"},
             "",
             0,
             Stream::Out,
             "Usage: provixa",
             "",
             "tail -c +65531 " + cutLog + " | head -n 1 | grep -qx '.\\{6\\}' || exit 9;",
             "{root}/cut"},
            // A method's database failure says its cause once, on either door.
            {{"--as", "operator", "exec", "Bnt_Panel.ID=1", "SetClock"},
             "",
             1,
             Stream::Err,
             "Error 0x80041001 (WBEM_E_FAILED): The system was unable to write the method's changes to the database. "
             "The database is read-only.",
             "",
             "cp -r {root}/home {root}/ro && chmod 755 {root} && chmod -R a+rX,a-w {root}/ro; " + asOther + "$as",
             "{root}/ro",
             "",
             "provixa: "},
            {{"bus", "exec", "Bnt_Panel", "SetClock", "ID=1"},
             "",
             1,
             Stream::Err,
             "{\"error\":\"corvessa.executemethod.error\",\"hresult\":\"0x80041001\",\"message\":\"The system was "
             "unable to write the method's changes to the database. (the database is read-only)\"}",
             "",
             asOther + "$as PROVIXA_PASSWORD=sa-demo",
             "{root}/ro"},
        });
    // A part starts at its share of the rows, moved on past a row in another home than the demo's,
    // which works on the home the row before it made.
    const auto start = [&rows](int part) {
        std::size_t at = rows.size() * static_cast<std::size_t>(part) / kParts;
        while (at > 0 && at < rows.size() && !rows[at].home.empty())
            ++at;
        return at;
    };
    const std::size_t first = start(GetParam());
    const std::size_t end = start(GetParam() + 1);
    for (const Row& row : std::vector<Row>(rows.begin() + first, rows.begin() + end))
    {
        std::vector<std::string> args;
        for (const std::string& arg : row.args)
            args.push_back(Root(arg));
        const Outcome run = Provixa(args, Root(row.input), "PROVIXA_PASSWORD=sa-demo " + Root(row.environment),
                                    Root(row.home), row.output);
        const std::string& text = row.stream == Stream::Out ? run.out : run.err;
        const std::string shown = (args.empty() ? std::string() : args.back().substr(0, 80)) +
                                  "\nout: " + run.out.substr(0, 300) + "\nerr: " + run.err.substr(0, 300);
        EXPECT_EQ(run.status, row.status) << shown;
        EXPECT_EQ(FirstLine(text).rfind(Root(row.firstLine), 0), 0u) << shown;
        // A failure a program reads is one JSON line and nothing more.
        if (row.firstLine.starts_with("{\"error\""))
        {
            EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << shown;
        }
        if (!row.absent.empty())
        {
            EXPECT_FALSE(Contains(text, row.absent)) << row.absent << "\n" << shown;
        }
        if (!row.contains.empty())
        {
            EXPECT_TRUE(Contains(text, Root(row.contains))) << row.contains << "\n" << shown;
        }
    }
    // The group assignment that gave nothing says why in the log it points to.
    const bool assigned = std::any_of(rows.begin() + first, rows.begin() + end, [](const Row& row) {
        return std::find(row.args.begin(), row.args.end(), "AssignGroup") != row.args.end();
    });
    if (assigned)
    {
        EXPECT_TRUE(Contains(provixa_program::ReadAll(m_home / "Logs" / "Fluxmere.log"),
                             "CWmipAccessGroupMapper::AssignGroup - The access group 2 holds no access level, and the "
                             "badge 5 none: there is nothing to assign."));
    }
}

// A lock another process holds on a fresh home: init left the database in the journal mode every
// command uses, so a writer's transaction stops no read, and a method it stops says so once; a
// home still in the rollback journal is read without waiting to switch it; a lock that keeps
// readers out too is answered once, naming it.
INSTANTIATE_TEST_SUITE_P(Rows, ProvixaIntegrator, ::testing::Range(0, kParts),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "Part" + std::to_string(info.param + 1) + "Of" + std::to_string(kParts);
                         });

TEST_F(ProvixaIntegrator, ALockOfAnotherProcessIsAnsweredOnceAndNoReadWaitsForTheJournalSwitch)
{
    ASSERT_EQ(Provixa({"init"}).status, 0);
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open((m_home / "provixa.db").string().c_str(), &raw), SQLITE_OK);
    const std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, sqlite3_close);
    const auto exec = [&](const char* sql) { return sqlite3_exec(db.get(), sql, nullptr, nullptr, nullptr); };
    std::string mode;
    sqlite3_exec(
        db.get(), "PRAGMA journal_mode",
        [](void* into, int, char** values, char**) {
            *static_cast<std::string*>(into) = values[0] != nullptr ? values[0] : "";
            return 0;
        },
        &mode, nullptr);
    EXPECT_EQ(mode, "wal");
    const std::vector<std::string> get = {"--as", "operator", "get", "Bnt_Badge.BADGEKEY=1"};
    ASSERT_EQ(exec("BEGIN IMMEDIATE; UPDATE BADGE SET PIN = PIN WHERE 0"), SQLITE_OK);
    Outcome run = Provixa(get);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Contains(run.out, "BADGEKEY = 1;")) << run.out;
    // A method the lock stops says the cause once, as a put does.
    run = Provixa({"--as", "operator", "exec", "Bnt_Visit.ID=2", "SignVisitIn"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Error 0x80041001 (WBEM_E_FAILED): The system was unable to write the method's changes to the "
                       "database. The database is locked by another process.\n");
    ASSERT_EQ(exec("ROLLBACK"), SQLITE_OK);
    // A home an older init left in the rollback journal, with another process's reader in it.
    ASSERT_EQ(exec("PRAGMA journal_mode=DELETE"), SQLITE_OK);
    ASSERT_EQ(exec("BEGIN; SELECT count(*) FROM BADGE"), SQLITE_OK);
    run = Provixa(get);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Contains(run.out, "BADGEKEY = 1;")) << run.out;
    ASSERT_EQ(exec("COMMIT; PRAGMA journal_mode=WAL"), SQLITE_OK);
    // A lock that keeps every other connection out.
    ASSERT_EQ(exec("PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; SELECT count(*) FROM BADGE"), SQLITE_OK);
    for (const std::vector<std::string>& args : {get, std::vector<std::string>{"--as", "operator", "classes"}})
    {
        run = Provixa(args);
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_EQ(run.err, "provixa: cannot read the installation database " + (m_home / "provixa.db").string() +
                               ": the database is locked by another process\n");
    }
    ASSERT_EQ(exec("ROLLBACK"), SQLITE_OK);
}

// A home built while a segment unit's limits defaulted to 0, written in any way (0, '0', ( 0 ), -0,
// a column added later), is upgraded by init: only those defaults change, in the table's own text,
// so that a unit written there without limits takes every badge number and level; every other
// byte of the home stays as it was: its rows, a column, constraints, indexes and triggers of its
// own, and the bodies it gave the schema's triggers. A default that is no 0 is kept. A home whose
// own constraint would refuse a unit written with the schema's defaults that it takes today,
// whatever the unit writes in its other columns (or where that cannot be told), or whose text
// cannot be changed with confidence, is left exactly as it is, the stamp trigger it lacks not added
// either and its journal mode not switched, and init says why.
TEST_F(ProvixaIntegrator, InitUpgradesAHomeWhoseSegmentUnitsDefaultedToNoLimit)
{
    ASSERT_EQ(Provixa({"init"}).status, 0);
    const std::filesystem::path file = m_home / "provixa.db";
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(file.string().c_str(), &raw), SQLITE_OK);
    const std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, sqlite3_close);
    ASSERT_EQ(sqlite3_create_function(
                  db.get(), "SEGMENT_KIND", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                  [](sqlite3_context* context, int, sqlite3_value** values) {
                      sqlite3_result_int(context, sqlite3_value_int(values[0]) % 2);
                  },
                  nullptr, nullptr),
              SQLITE_OK);
    const auto exec = [&](const std::string& sql) {
        return sqlite3_exec(db.get(), sql.c_str(), nullptr, nullptr, nullptr);
    };
    // Every row of a statement, its values joined by '|'; or the engine's refusal.
    const auto rows = [&](const std::string& sql) {
        std::vector<std::string> found;
        if (sqlite3_exec(
                db.get(), sql.c_str(),
                [](void* into, int count, char** values, char**) {
                    std::string row;
                    for (int i = 0; i < count; ++i)
                        row += (i > 0 ? "|" : "") + std::string(values[i] != nullptr ? values[i] : "NULL");
                    static_cast<std::vector<std::string>*>(into)->push_back(row);
                    return 0;
                },
                &found, nullptr) != SQLITE_OK)
            return std::vector<std::string>{"refused: " + std::string(sqlite3_errmsg(db.get()))};
        return found;
    };
    const std::string schemaRows = "SELECT type, name, tbl_name, rootpage, sql FROM sqlite_schema ORDER BY rowid";
    const std::string units = "SELECT * FROM SEGMENT_UNIT ORDER BY SEGMENTID";
    const std::string limits = "SELECT MAX_BADGE_NUMBER_LENGTH, MAX_ACCESS_LEVELS, MAX_TEMPORARY_ACCESS_LEVELS, "
                               "MAX_STANDARD_ACCESS_LEVELS, MAX_ACCESS_LEVEL_RECORDS FROM SEGMENT_UNIT WHERE "
                               "SEGMENTID = 10";
    const std::string stampTrigger = "BNT_DIRECTORY_D_RIGHTS";
    const std::vector<std::string> stampTriggerRow =
        rows("SELECT type, name, tbl_name, rootpage, sql FROM sqlite_schema WHERE name = '" + stampTrigger + "'");
    ASSERT_EQ(stampTriggerRow.size(), 1u);
    std::string schemaTriggers;
    for (const std::string& trigger : rows("SELECT sql FROM sqlite_schema WHERE type = 'trigger' AND tbl_name = "
                                           "'SEGMENT_UNIT' AND name <> 'SEGMENT_UNIT_U_RIGHTS'"))
        schemaTriggers += trigger + ";";
    ASSERT_EQ(exec("CREATE TABLE UNITS_HELD AS SELECT * FROM SEGMENT_UNIT; CREATE TABLE UNIT_HIDING (SEGMENTID "
                   "INTEGER, HIDDEN INTEGER)"),
              SQLITE_OK)
        << sqlite3_errmsg(db.get());
    const std::string limitsTaken = "MAX_BADGE_NUMBER_LENGTH, MAX_ACCESS_LEVELS, MAX_TEMPORARY_ACCESS_LEVELS, "
                                    "MAX_STANDARD_ACCESS_LEVELS";
    // The schema's trigger, and the same name with a body of the home's own.
    const std::string schemaUnitUpdate = "CREATE TRIGGER SEGMENT_UNIT_U_RIGHTS AFTER UPDATE ON SEGMENT_UNIT\n"
                                         "    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; END;";
    const std::string ownUnitUpdate = "CREATE TRIGGER SEGMENT_UNIT_U_RIGHTS AFTER UPDATE ON SEGMENT_UNIT BEGIN UPDATE "
                                      "RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 1; INSERT INTO UNIT_HIDING "
                                      "(SEGMENTID, HIDDEN) VALUES (-NEW.SEGMENTID, NEW.HIDDEN); END;";
    const std::string ownSegmentUpdate =
        "DROP TRIGGER SEGMENT_U_RIGHTS; CREATE TRIGGER SEGMENT_U_RIGHTS AFTER UPDATE "
        "ON SEGMENT BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = "
        "1; INSERT INTO UNIT_HIDING (SEGMENTID, HIDDEN) VALUES (NEW.SEGMENTID, 9); END;";
    const std::string refused = "provixa: cannot upgrade the installation database " + file.string() + ": ";
    const std::string kept = "; it is kept as it is\n";
    const std::string upgradedLine =
        "database upgraded: a segment unit written without limits takes every badge number and level\n";
    struct OlderHome
    {
        const char* what;
        std::string table;      // the table and its rows as the home holds them, before its additions
        std::string additions;  // the home's own indexes and triggers
        // Each change of the table's text init makes (nothing: the text stays as it is).
        std::vector<std::pair<std::string, std::string>> changes;
        int status;
        std::string words;  // what init says: the database lines of its output, or its error
        // A statement and its rows afterwards, or "refused: " and the engine's words.
        std::vector<std::pair<std::string, std::vector<std::string>>> after;
    };
    const std::vector<OlderHome> homes = {
        {"a CHECK of its own that the schema's defaults break",
         "CREATE TABLE SEGMENT_UNIT (SEGMENTID INTEGER PRIMARY KEY REFERENCES SEGMENT(SEGMENTID) ON DELETE CASCADE, "
         "MAX_BADGE_NUMBER_LENGTH INTEGER NOT NULL DEFAULT 0, MAX_ACCESS_LEVELS INTEGER NOT NULL DEFAULT '0' CHECK "
         "(MAX_ACCESS_LEVELS <= 4096), MAX_TEMPORARY_ACCESS_LEVELS INTEGER NOT NULL DEFAULT 0, "
         "MAX_STANDARD_ACCESS_LEVELS INTEGER NOT NULL DEFAULT 0, DYNAMIC_OPTION INTEGER NOT NULL DEFAULT 0, HIDDEN "
         "INTEGER NOT NULL DEFAULT 0, MAX_ACCESS_LEVEL_RECORDS INTEGER NOT NULL DEFAULT 0);"
         "INSERT INTO SEGMENT_UNIT SELECT * FROM UNITS_HELD;",
         schemaUnitUpdate,
         {},
         1,
         refused +
             "with the schema's limit defaults the table's own constraint would refuse a unit written without limits: "
             "CHECK constraint failed: MAX_ACCESS_LEVELS <= 4096" +
             kept,
         {{"UPDATE SEGMENT_UNIT SET MAX_ACCESS_LEVELS = 5000 WHERE SEGMENTID = 1",
           {"refused: CHECK constraint failed: MAX_ACCESS_LEVELS <= 4096"}},
          {"INSERT INTO SEGMENT_UNIT (SEGMENTID) VALUES (10)", {}},
          {limits, {"0|0|0|0|0"}}}},
        // The trial of a unit that leaves its other columns empty is taken, but a unit of segment 2000
        // would be refused.
        {"a CHECK of its own that names another column beside a limit",
         "CREATE TABLE SEGMENT_UNIT (SEGMENTID INTEGER PRIMARY KEY REFERENCES SEGMENT(SEGMENTID) ON DELETE CASCADE, "
         "MAX_BADGE_NUMBER_LENGTH INTEGER NOT NULL DEFAULT 0, MAX_ACCESS_LEVELS INTEGER NOT NULL DEFAULT 0, "
         "MAX_TEMPORARY_ACCESS_LEVELS INTEGER NOT NULL DEFAULT 0, MAX_STANDARD_ACCESS_LEVELS INTEGER NOT NULL DEFAULT "
         "0, DYNAMIC_OPTION INTEGER NOT NULL DEFAULT 0, HIDDEN INTEGER NOT NULL DEFAULT 0, MAX_ACCESS_LEVEL_RECORDS "
         "INTEGER NOT NULL DEFAULT 0, CHECK (SEGMENTID < 1000 OR \"MAX_ACCESS_LEVELS\" <= 4096));"
         "INSERT INTO SEGMENT_UNIT SELECT * FROM UNITS_HELD;",
         schemaUnitUpdate,
         {},
         1,
         refused +
             "whether the table's own constraint CHECK (SEGMENTID < 1000 OR \"MAX_ACCESS_LEVELS\" <= 4096) takes a "
             "unit written with the schema's limit defaults cannot be told with confidence: it cannot be judged on "
             "MAX_ACCESS_LEVELS alone: no such column: SEGMENTID" +
             kept,
         {{"INSERT INTO SEGMENT_UNIT (SEGMENTID) VALUES (2000)", {}},
          {"SELECT MAX_ACCESS_LEVELS FROM SEGMENT_UNIT WHERE SEGMENTID = 2000", {"0"}}}},
        // The trial of a unit written without limits fails on the NOT NULL before any CHECK is tried.
        {"a column of its own that a unit must write, beside a CHECK that the schema's defaults break",
         "CREATE TABLE SEGMENT_UNIT (SEGMENTID INTEGER PRIMARY KEY REFERENCES SEGMENT(SEGMENTID) ON DELETE CASCADE, "
         "DESK TEXT NOT NULL, MAX_BADGE_NUMBER_LENGTH INTEGER NOT NULL DEFAULT 0, MAX_ACCESS_LEVELS INTEGER NOT NULL "
         "DEFAULT 0, MAX_TEMPORARY_ACCESS_LEVELS INTEGER NOT NULL DEFAULT 0, MAX_STANDARD_ACCESS_LEVELS INTEGER NOT "
         "NULL DEFAULT 0, DYNAMIC_OPTION INTEGER NOT NULL DEFAULT 0, HIDDEN INTEGER NOT NULL DEFAULT 0, "
         "MAX_ACCESS_LEVEL_RECORDS INTEGER NOT NULL DEFAULT 0, CONSTRAINT UNIT_LEVELS CHECK (MAX_ACCESS_LEVELS <= "
         "4096));"
         "INSERT INTO SEGMENT_UNIT (SEGMENTID, DESK, " +
             limitsTaken + ") SELECT SEGMENTID, 'North', " + limitsTaken + " FROM UNITS_HELD;",
         schemaUnitUpdate,
         {},
         1,
         refused +
             "with the schema's limit defaults the table's own constraint would refuse a unit written without limits: "
             "CHECK constraint failed: UNIT_LEVELS" +
             kept,
         {{"INSERT INTO SEGMENT_UNIT (SEGMENTID, DESK) VALUES (10, 'South')", {}}, {limits, {"0|0|0|0|0"}}}},
        // A CHECK that refused a unit written without limits before the upgrade refuses it after too:
        // the upgrade takes nothing from it.
        {"CHECKs of its own that refuse a unit written without limits before and after",
         "CREATE TABLE SEGMENT_UNIT (SEGMENTID INTEGER PRIMARY KEY REFERENCES SEGMENT(SEGMENTID) ON DELETE CASCADE, "
         "MAX_BADGE_NUMBER_LENGTH INTEGER NOT NULL DEFAULT 0, MAX_ACCESS_LEVELS INTEGER NOT NULL DEFAULT 0 CHECK "
         "(MAX_ACCESS_LEVELS BETWEEN 1 AND 4096), MAX_TEMPORARY_ACCESS_LEVELS INTEGER NOT NULL DEFAULT 0, "
         "MAX_STANDARD_ACCESS_LEVELS INTEGER NOT NULL DEFAULT 0, DYNAMIC_OPTION INTEGER NOT NULL DEFAULT 0, HIDDEN "
         "INTEGER NOT NULL DEFAULT 0, MAX_ACCESS_LEVEL_RECORDS INTEGER NOT NULL DEFAULT 0, DESK TEXT CHECK (DESK IS "
         "NOT NULL));"
         "INSERT INTO SEGMENT_UNIT SELECT *, 'North' FROM UNITS_HELD;",
         schemaUnitUpdate,
         {{"LENGTH INTEGER NOT NULL DEFAULT 0", "LENGTH INTEGER NOT NULL DEFAULT 19"},
          {"LEVELS INTEGER NOT NULL DEFAULT 0 CHECK", "LEVELS INTEGER NOT NULL DEFAULT 32767 CHECK"},
          {"TEMPORARY_ACCESS_LEVELS INTEGER NOT NULL DEFAULT 0",
           "TEMPORARY_ACCESS_LEVELS INTEGER NOT NULL DEFAULT 32767"},
          {"STANDARD_ACCESS_LEVELS INTEGER NOT NULL DEFAULT 0",
           "STANDARD_ACCESS_LEVELS INTEGER NOT NULL DEFAULT 32767"},
          {"RECORDS INTEGER NOT NULL DEFAULT 0", "RECORDS INTEGER NOT NULL DEFAULT 32767"}},
         0,
         "database kept: " + file.string() + "\n" + upgradedLine + "stamp triggers added: 1\n",
         {{"INSERT INTO SEGMENT_UNIT (SEGMENTID, MAX_ACCESS_LEVELS) VALUES (10, 64)",
           {"refused: CHECK constraint failed: DESK IS NOT NULL"}},
          {"INSERT INTO SEGMENT_UNIT (SEGMENTID, DESK) VALUES (10, 'South')",
           {"refused: CHECK constraint failed: MAX_ACCESS_LEVELS BETWEEN 1 AND 4096"}},
          {"INSERT INTO SEGMENT_UNIT (SEGMENTID, DESK, MAX_ACCESS_LEVELS) VALUES (10, 'South', 64)", {}},
          {limits, {"19|64|32767|32767|32767"}}}},
        {"a limit declared with two defaults, the last 0",
         "CREATE TABLE SEGMENT_UNIT (SEGMENTID INTEGER PRIMARY KEY REFERENCES SEGMENT(SEGMENTID) ON DELETE CASCADE, "
         "MAX_BADGE_NUMBER_LENGTH INTEGER NOT NULL DEFAULT 0, MAX_ACCESS_LEVELS INTEGER DEFAULT 7 NOT NULL DEFAULT 0, "
         "MAX_TEMPORARY_ACCESS_LEVELS INTEGER NOT NULL DEFAULT 0, MAX_STANDARD_ACCESS_LEVELS INTEGER NOT NULL DEFAULT "
         "0, DYNAMIC_OPTION INTEGER NOT NULL DEFAULT 0, HIDDEN INTEGER NOT NULL DEFAULT 0, MAX_ACCESS_LEVEL_RECORDS "
         "INTEGER NOT NULL DEFAULT 0);"
         "INSERT INTO SEGMENT_UNIT SELECT * FROM UNITS_HELD;",
         schemaUnitUpdate,
         {},
         1,
         refused +
             "the column MAX_ACCESS_LEVELS of SEGMENT_UNIT is declared with 2 defaults: which one to change for the "
             "schema's limit default cannot be told with confidence" +
             kept,
         {{"INSERT INTO SEGMENT_UNIT (SEGMENTID) VALUES (10)", {}}, {limits, {"0|0|0|0|0"}}}},
        {"limits of its own choosing",
         "CREATE TABLE SEGMENT_UNIT (SEGMENTID INTEGER PRIMARY KEY REFERENCES SEGMENT(SEGMENTID) ON DELETE CASCADE, "
         "MAX_BADGE_NUMBER_LENGTH INTEGER NOT NULL DEFAULT 12, MAX_ACCESS_LEVELS INTEGER NOT NULL DEFAULT (64), "
         "MAX_TEMPORARY_ACCESS_LEVELS INTEGER NOT NULL DEFAULT '8', MAX_STANDARD_ACCESS_LEVELS INTEGER NOT NULL "
         "DEFAULT 56, DYNAMIC_OPTION INTEGER NOT NULL DEFAULT 0, HIDDEN INTEGER NOT NULL DEFAULT 0, "
         "MAX_ACCESS_LEVEL_RECORDS INTEGER NOT NULL DEFAULT 100);"
         "INSERT INTO SEGMENT_UNIT SELECT * FROM UNITS_HELD;",
         schemaUnitUpdate,
         {},
         0,
         "database kept: " + file.string() + "\nstamp triggers added: 1\n",
         {{"INSERT INTO SEGMENT_UNIT (SEGMENTID) VALUES (10)", {}}, {limits, {"12|64|8|56|100"}}}},
        // The last home stays for the second init below.
        {"a column, constraints, an index and triggers of its own",
         "CREATE TABLE SEGMENT_UNIT (\n    SEGMENTID INTEGER PRIMARY KEY REFERENCES SEGMENT(SEGMENTID) ON DELETE "
         "CASCADE,\n    MAX_BADGE_NUMBER_LENGTH INTEGER NOT NULL DEFAULT '0',\n    MAX_ACCESS_LEVELS INTEGER NOT NULL "
         "default ( 0 ),\n    MAX_TEMPORARY_ACCESS_LEVELS INTEGER NOT NULL DEFAULT -0 /* none */,\n"
         "    MAX_STANDARD_ACCESS_LEVELS INTEGER NOT NULL DEFAULT 4096,\n    DYNAMIC_OPTION INTEGER NOT NULL DEFAULT "
         "0,\n    HIDDEN INTEGER NOT NULL DEFAULT 0,\n    DESK TEXT,\n    CONSTRAINT UNIT_LEVELS CHECK "
         "(MAX_ACCESS_LEVELS <= 32767),\n    UNIQUE (DESK, HIDDEN)\n);"
         "INSERT INTO SEGMENT_UNIT (SEGMENTID, DYNAMIC_OPTION, HIDDEN, " +
             limitsTaken + ") SELECT SEGMENTID, DYNAMIC_OPTION, HIDDEN, " + limitsTaken +
             " FROM UNITS_HELD; UPDATE SEGMENT_UNIT SET DESK = 'North' WHERE SEGMENTID = 1;"
             // Rows written before this column hold no value for it: they read its default.
             "ALTER TABLE SEGMENT_UNIT ADD COLUMN MAX_ACCESS_LEVEL_RECORDS INTEGER NOT NULL DEFAULT 0;",
         ownUnitUpdate + ownSegmentUpdate +
             "CREATE TRIGGER SEGMENT_UNIT_HIDING_NOTED AFTER UPDATE OF HIDDEN ON SEGMENT_UNIT BEGIN INSERT INTO "
             "UNIT_HIDING (SEGMENTID, HIDDEN) VALUES (NEW.SEGMENTID, NEW.HIDDEN); END;"
             "CREATE UNIQUE INDEX SEGMENT_UNIT_ONE_DYNAMIC ON SEGMENT_UNIT (DYNAMIC_OPTION) WHERE DYNAMIC_OPTION <> 0;"
             "CREATE INDEX SEGMENT_UNIT_BY_KIND ON SEGMENT_UNIT (SEGMENT_KIND(SEGMENTID));",
         {{"DEFAULT '0'", "DEFAULT 19"},
          {"default ( 0 )", "default 32767"},
          {"DEFAULT -0 /*", "DEFAULT 32767 /*"},
          {"RECORDS INTEGER NOT NULL DEFAULT 0", "RECORDS INTEGER NOT NULL DEFAULT 32767"}},
         0,
         "database kept: " + file.string() + "\n" + upgradedLine + "stamp triggers added: 1\n",
         {{"INSERT INTO SEGMENT_UNIT (SEGMENTID) VALUES (10)", {}},
          {limits, {"19|32767|32767|4096|32767"}},
          {"UPDATE SEGMENT_UNIT SET MAX_ACCESS_LEVELS = 40000 WHERE SEGMENTID = 10",
           {"refused: CHECK constraint failed: UNIT_LEVELS"}},
          {"UPDATE SEGMENT_UNIT SET DESK = 'North' WHERE SEGMENTID = 10",
           {"refused: UNIQUE constraint failed: SEGMENT_UNIT.DESK, SEGMENT_UNIT.HIDDEN"}},
          {"UPDATE SEGMENT_UNIT SET DYNAMIC_OPTION = 3 WHERE SEGMENTID IN (1, 10)",
           {"refused: UNIQUE constraint failed: SEGMENT_UNIT.DYNAMIC_OPTION"}},
          {"UPDATE SEGMENT_UNIT SET HIDDEN = 1 WHERE SEGMENTID = 2; UPDATE SEGMENT SET NAME = NAME WHERE SEGMENTID = "
           "1; SELECT * FROM UNIT_HIDING ORDER BY SEGMENTID",
           {"-2|1", "1|9", "2|1"}},
          {"SELECT name FROM sqlite_schema WHERE type = 'index' AND tbl_name = 'SEGMENT_UNIT' ORDER BY name",
           {"SEGMENT_UNIT_BY_KIND", "SEGMENT_UNIT_ONE_DYNAMIC", "sqlite_autoindex_SEGMENT_UNIT_1"}}}},
    };
    for (const OlderHome& home : homes)
    {
        SCOPED_TRACE(home.what);
        ASSERT_EQ(exec("BEGIN; DROP TABLE SEGMENT_UNIT; DELETE FROM UNIT_HIDING;" + home.table + schemaTriggers +
                       home.additions + "DROP TRIGGER IF EXISTS " + stampTrigger + "; COMMIT;"),
                  SQLITE_OK)
            << sqlite3_errmsg(db.get());
        // A home an older init left in the rollback journal: one left as it is stays there.
        ASSERT_EQ(rows("PRAGMA journal_mode=DELETE"), std::vector<std::string>{"delete"});
        std::vector<std::string> schemaAfter = rows(schemaRows);
        const std::vector<std::string> unitsBefore = rows(units);
        const std::string text = rows("SELECT sql FROM sqlite_schema WHERE name = 'SEGMENT_UNIT'").at(0);
        const Outcome run = Provixa({"init"});
        EXPECT_EQ(run.status, home.status) << run.err;
        if (home.status == 0)
        {
            EXPECT_TRUE(Contains(run.out, home.words)) << run.out;
            std::string upgraded = text;
            for (const auto& [from, to] : home.changes)
            {
                ASSERT_NE(upgraded.find(from), std::string::npos) << from << " in " << upgraded;
                upgraded.replace(upgraded.find(from), from.size(), to);
            }
            for (std::string& row : schemaAfter)
            {
                if (row.starts_with("table|SEGMENT_UNIT|"))
                    row.replace(row.size() - text.size(), text.size(), upgraded);
            }
            schemaAfter.push_back(stampTriggerRow.front());
        }
        else
        {
            EXPECT_EQ(run.err, home.words);
        }
        EXPECT_EQ(rows(schemaRows), schemaAfter);
        EXPECT_EQ(rows(units), unitsBefore);
        EXPECT_EQ(rows("PRAGMA journal_mode"), std::vector<std::string>{home.status == 0 ? "wal" : "delete"});
        for (const auto& [statement, expected] : home.after)
            EXPECT_EQ(rows(statement), expected) << statement;
    }

    const Outcome again = Provixa({"init"});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_TRUE(Contains(again.out, "database kept: " + file.string() + "\n")) << again.out;
    EXPECT_FALSE(Contains(again.out, "database upgraded:")) << again.out;
    EXPECT_FALSE(Contains(again.out, "stamp triggers added:")) << again.out;
}

namespace {
// Runs the program on `home` with its standard output a pipe nobody reads any more, SIGPIPE
// ignored by its parent or not; the raw wait status, and its error output in *err.
int RunIntoClosedPipe(const std::filesystem::path& home, const std::filesystem::path& errFile, bool ignored)
{
    int ends[2];
    if (pipe(ends) != 0)
        return -1;
    ::close(ends[0]);
    // Everything the child needs is made before it is forked: it only sets up and executes.
    std::vector<std::string> environment = {"PROVIXA_HOME=" + home.string()};
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    const char* const argv[] = {PROVIXA_BINARY, "--as", "admin", "enum", "Bnt_Cardholder", nullptr};
    const std::string errPath = errFile.string();
    const pid_t child = fork();
    if (child == 0)
    {
        std::signal(SIGPIPE, ignored ? SIG_IGN : SIG_DFL);
        const int errFd = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (errFd < 0 || ::dup2(ends[1], 1) < 0 || ::dup2(errFd, 2) < 0)
            _exit(127);
        execve(PROVIXA_BINARY, const_cast<char* const*>(argv), envp.data());
        _exit(127);
    }
    ::close(ends[1]);
    int status = -1;
    if (child < 0 || waitpid(child, &status, 0) != child)
        return -1;
    return status;
}
}  // namespace

// A reader that went away ends the run the same quiet way whether the parent ignored SIGPIPE or
// not: by the signal, with nothing on the error output.
TEST_F(ProvixaIntegrator, AClosedPipeEndsTheRunQuietlyAndAlikeWhetherOrNotSigpipeIsIgnored)
{
    ASSERT_EQ(Provixa({"init"}).status, 0);
    for (const bool ignored : {false, true})
    {
        const std::filesystem::path errFile = m_root / (ignored ? "err-ignored" : "err-default");
        const int status = RunIntoClosedPipe(m_home, errFile, ignored);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGPIPE) << ignored << " " << status;
        EXPECT_EQ(provixa_program::ReadAll(errFile), "") << ignored;
    }
}

// The first use installs what is missing and builds the host before the host runs: the package
// manager's lines and the build's progress go to the error stream, as they happen, so the standard
// output carries the first command's result alone; a build with nothing to do says nothing.
TEST_F(ProvixaIntegrator, TheFirstUseSendsThePackageManagersLinesToTheErrorStream)
{
    const std::filesystem::path bin = m_root / "bin";
    std::filesystem::create_directories(bin);
    // Nothing is installed, and the package manager and sudo only say what they were asked.
    const std::vector<std::pair<std::string, std::string>> tools = {
        {"dpkg-query", "#!/bin/sh\nexit 1\n"},
        {"apt-get", "#!/bin/sh\necho \"apt-get $*\"\n"},
        {"sudo", "#!/bin/sh\nexec \"$@\"\n"},
    };
    for (const auto& [name, script] : tools)
    {
        std::ofstream(bin / name) << script;
        std::filesystem::permissions(bin / name, std::filesystem::perms::owner_all);
    }
    const std::filesystem::path script =
        std::filesystem::path(PROVIXA_README).parent_path() / "scripts" / "install-deps";
    const std::string command = "PATH=" + provixa_program::Quote(bin.string()) + ":\"$PATH\" bash " +
                                provixa_program::Quote(script.string()) + " >" +
                                provixa_program::Quote((m_root / "out").string()) + " 2>" +
                                provixa_program::Quote((m_root / "err").string());
    const int raw = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << raw;
    const std::string err = provixa_program::ReadAll(m_root / "err");
    EXPECT_EQ(provixa_program::ReadAll(m_root / "out"), "");
    EXPECT_TRUE(Contains(err, "install-deps: installing g++ cmake")) << err;
    EXPECT_TRUE(Contains(err, "apt-get install -y -qq --no-install-recommends g++ cmake")) << err;

    // The host script, in a tree of its own whose build (a stand-in cmake) says what it does, or
    // that it has nothing to do, and whose host only shows its usage: no build of this tree is
    // needed (CI builds only the sanitizer tree).
    const std::filesystem::path tree = m_root / "tree";
    std::filesystem::create_directories(tree / "scripts");
    std::filesystem::create_directories(tree / "build" / "tools" / "provixa");
    for (const char* name : {"provixa", "install-deps"})
        std::filesystem::copy_file(script.parent_path() / name, tree / "scripts" / name);
    std::ofstream(tree / "build" / "build.ninja") << "";
    std::ofstream(tree / "build" / "tools" / "provixa" / "provixa") << "#!/bin/sh\necho 'Usage: provixa'\n";
    std::filesystem::permissions(tree / "build" / "tools" / "provixa" / "provixa", std::filesystem::perms::owner_all);
    const std::filesystem::path host = tree / "scripts" / "provixa";
    const auto run = [&](const std::string& progress) {
        std::ofstream(bin / "dpkg-query", std::ios::trunc) << "#!/bin/sh\nprintf 'install ok installed'\n";
        std::ofstream(bin / "cmake", std::ios::trunc) << "#!/bin/sh\nprintf '" << progress << "'\n";
        std::filesystem::permissions(bin / "cmake", std::filesystem::perms::owner_all);
        const std::string line = "PATH=" + provixa_program::Quote(bin.string()) +
                                 ":\"$PATH\" PROVIXA_HOME=" + provixa_program::Quote(m_home.string()) + " bash " +
                                 provixa_program::Quote(host.string()) + " --help >" +
                                 provixa_program::Quote((m_root / "out").string()) + " 2>" +
                                 provixa_program::Quote((m_root / "err").string());
        const int status = std::system(line.c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        EXPECT_EQ(provixa_program::ReadAll(m_root / "out").rfind("Usage: provixa", 0), 0u);
        return provixa_program::ReadAll(m_root / "err");
    };
    EXPECT_EQ(run("[1/2] Building CXX object main.cpp.o\\n[2/2] Linking CXX executable provixa\\n"),
              "[1/2] Building CXX object main.cpp.o\n[2/2] Linking CXX executable provixa\n");
    EXPECT_EQ(run("[0/2] Re-checking globbed directories...\\nninja: no work to do.\\n"), "");
}
