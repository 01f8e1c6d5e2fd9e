#include "tools/provixa/ProvixaBusHost.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <utility>

#include "bus/CCorvessaBaseApp.h"
#include "bus/CCorvessaException.h"
#include "bus/GenericException.h"
#include "framework/CWmipInstanceWriter.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "inhouse/BntUtility/PublicPrivateKeyEncryptionUtility.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/ModuleState.h"
#include "platform/qpid/Exception.h"
#include "tools/provixa/ProvixaBatch.h"
#include "tools/provixa/ProvixaBusCatalogCommands.h"
#include "tools/provixa/ProvixaBusInstanceCommands.h"
#include "mappers/devices/QpidTypeConverter.h"
#include "tools/provixa/ProvixaBusSession.h"
#include "tools/provixa/ProvixaBusSubscriptionCommands.h"
#include "tools/provixa/ProvixaBusWrapper.h"
#include "tools/provixa/ProvixaHost.h"
#include "tools/provixa/ProvixaInstallation.h"
#include "tools/provixa/ProvixaOutput.h"
#include "tools/provixa/ProvixaSimulation.h"
#include "tools/provixa/ProvixaTerminal.h"
#include "tools/provixa/ProvixaText.h"

namespace {
using qpid::types::Variant;

// The longest binary value in Base64, and the longest shell line: one such value and a batch
// line's length for the words around it. A longer line is refused before it is split.
constexpr std::size_t kMaxBase64Bytes = (CWmipInstanceWriter::kMaxBinaryBytes + 2) / 3 * 4;
constexpr std::size_t kMaxShellLineBytes = kMaxBase64Bytes + ProvixaBatch::kMaxLineLength;

// The longest failure message the host prints whole.
constexpr std::size_t kMaxMessageBytes = 4096;

constexpr int kSuccess = ProvixaHost::kSuccess;
constexpr int kRequestFailed = ProvixaHost::kRequestFailed;
constexpr int kUsageError = ProvixaHost::kUsageError;

// A usage error of one command.
struct UsageFailure
{
    std::string message;
};

// A command that cannot go on for want of something the command line does not give (a
// password): no usage error.
struct Refusal
{
    std::string message;
    // How a bus client reads it: the front end's key and code for a failure of that kind.
    const char* key = CCorvessaException::kGeneralExceptionKey;
    HRESULT hr = WBEM_E_FAILED;
};

// A request the front end refused with an HRESULT.
struct RequestFailure
{
    HRESULT hr;
};

std::string Utf8(const CString& text)
{
    return brontel::utility::ConvertCStringToUtf8(text);
}

std::string Message(const CException& failure)
{
    wchar_t buffer[1024] = {};
    failure.GetErrorMessage(buffer, 1024);
    return ProvixaText::ToUtf8(buffer);
}

// The words of one command: the operands, the value of --directory (default -1) and of --user.
struct BusCommand
{
    std::string name;
    std::vector<std::string> operands;
    int directoryId = CCorvessaBaseApp::kInternalDirectoryId;
    std::string user;
};

// The words are moved into the command: a line's one long value is never held twice.
BusCommand ParseCommand(std::vector<std::string> words)
{
    BusCommand command;
    for (std::size_t i = 0; i < words.size(); ++i)
    {
        std::string& word = words[i];
        if (word == "--directory")
        {
            const std::string value = i + 1 < words.size() ? words[++i] : std::string();
            const auto [end, status] = std::from_chars(value.data(), value.data() + value.size(), command.directoryId);
            if (value.empty() || status != std::errc() || end != value.data() + value.size())
                throw UsageFailure{"--directory needs a directory id"};
        }
        else if (ProvixaBusInstanceCommands::Handles(command.name))
            command.operands.push_back(std::move(word));
        else if (word == "--user")
        {
            command.user = i + 1 < words.size() ? words[++i] : std::string();
            if (command.user.empty())
                throw UsageFailure{"--user needs a user name"};
        }
        else if (word.size() > 2 && word.compare(0, 2, "--") == 0)
            throw UsageFailure{"unknown option " + word};
        else if (command.name.empty())
            command.name = std::move(word);
        else
            command.operands.push_back(std::move(word));
    }
    if (command.name.empty())
        throw UsageFailure{"no bus command given"};
    return command;
}

// One bus client of the front end: its session token and the commands it runs.
class BusClient
{
public:
    BusClient(CCorvessaBaseApp& app, std::istream& in, std::ostream& out, std::ostream& err, bool shell)
        : m_app(app), m_in(in), m_out(out), m_err(err), m_shell(shell)
    {
    }

    // Runs the command; its operands may be taken.
    void Execute(BusCommand& command)
    {
        const std::size_t count = command.operands.size();
        const auto expect = [&](std::size_t least, std::size_t most) {
            if (count < least || count > most)
                throw UsageFailure{command.name + " takes " +
                                   (least == most ? std::to_string(least) : "at most " + std::to_string(most)) +
                                   " operand" + (most == 1 ? "" : "s")};
        };
        // login names its user as its operand, logout ends the session's, and version and
        // publickey answer for no user: a --user there would be passed over.
        if (!command.user.empty() && (command.name == "login" || command.name == "logout" ||
                                      command.name == "version" || command.name == "publickey"))
            throw UsageFailure{command.name +
                               (command.name == "login" ? " takes its user as USER, not --user" : " takes no --user")};
        if (command.name == "version")
        {
            expect(0, 0);
            Variant::Map version;
            m_app.GetVersion(version);
            Print(version);
        }
        else if (command.name == "publickey")
        {
            expect(0, 0);
            Print({{"public_key", Variant(PublicKey())}});
        }
        else if (command.name == "login")
        {
            expect(1, 1);
            const COleDateTime when = Login(command.operands[0], command.directoryId);
            Print({{"token", Variant(m_token)}, {"authenticated", Variant(Utf8(when.Format(L"%Y-%m-%d %H:%M:%S")))}});
            // Each one-shot command is a process of its own, whose sessions end with it.
            if (!m_shell)
                m_err << "provixa: warning: the token lives only as long as this process, so no later command "
                         "can use it: log in inside provixa bus shell to keep a session\n";
        }
        else if (command.name == "whoami")
        {
            expect(0, 1);
            UseToken(command);
            CCorvessaBaseApp::UserInfo info;
            Check(m_app.GetLoggedInUserInformation(m_token, ProvixaBusHost::kApplicationId, info));
            Variant::Map permissions;
            for (const auto& [key, granted] : info.permissions)
                permissions[key] = Variant(granted);
            Print({{"user_id", Variant(static_cast<std::int32_t>(info.userId))},
                   {"logon_id", Variant(info.logonId)},
                   {"first_name", Variant(info.firstName)},
                   {"last_name", Variant(info.lastName)},
                   {"ptz_priority", Variant(static_cast<std::int32_t>(info.ptzPriority))},
                   {"permissions", Variant(permissions)}});
        }
        else if (command.name == "accesslevels")
        {
            expect(0, 1);
            UseToken(command);
            std::vector<CCorvessaBaseApp::AccessLevel> levels;
            Check(m_app.GetManagedAccessLevels(m_token, ProvixaBusHost::kApplicationId, levels));
            Variant::List list;
            for (const auto& level : levels)
                list.push_back(Variant(Variant::Map{{"id", Variant(static_cast<std::int32_t>(level.accessLevelId))},
                                                    {"description", Variant(level.description)}}));
            m_out << QpidTypeConverter::ToJson(Variant(list)) << "\n";
        }
        else if (ProvixaBusInstanceCommands::Handles(command.name))
        {
            ProvixaBusSession session = Session(command);
            ProvixaBusInstanceCommands::Run(session, command.name, std::move(command.operands));
        }
        else if (command.name == "logout")
        {
            expect(0, 0);
            if (m_token.empty())
                throw UsageFailure{m_shell ? "not logged in"
                                           : "not logged in: a one-shot command starts with no session (an earlier "
                                             "login's token ended with its process); log in and out inside provixa "
                                             "bus shell"};
            const std::string token = std::move(m_token);
            m_token.clear();
            Check(m_app.DeleteAuthentication(token, ProvixaBusHost::kApplicationId));
            Print({{"logged_out", Variant(true)}});
        }
        else if (command.name == "subs")
        {
            ProvixaBusSession session = Session(command);
            ProvixaBusSubscriptionCommands::Execute(session, command.operands);
        }
        else
        {
            ProvixaBusSession session = Session(command);
            if (!ProvixaBusCatalogCommands::Execute(session, command.name, command.operands))
                throw UsageFailure{"unknown bus command " + command.name};
        }
    }

    // What the last command did that stands (ProvixaHost::EffectText); empty for nothing. It is
    // forgotten here.
    std::string TakeEffect() { return std::exchange(m_effect, std::string()); }

private:
    // The session of a command group in its own file: the named user logs in first; outside the
    // shell the default user does when none is named.
    ProvixaBusSession Session(const BusCommand& command)
    {
        return ProvixaBusSession{
            m_app,
            [this, commandUser = command.user, directoryId = command.directoryId](const std::string& user) {
                SignIn(user.empty() ? commandUser : user, directoryId);
                return m_token;
            },
            m_out,
            m_err,
            [](const std::string& message) { throw UsageFailure{message}; },
            [](const std::string& message) { throw Refusal{message}; },
            [](HRESULT hr) { throw RequestFailure{hr}; },
            [this](const std::string& effect) { m_effect = effect; }};
    }

    void Print(const Variant::Map& map) { m_out << QpidTypeConverter::ToJson(map) << "\n"; }

    static void Check(HRESULT hr)
    {
        if (FAILED(hr))
            throw RequestFailure{hr};
    }

    std::string PublicKey()
    {
        std::string key;
        Check(m_app.GetAuthenticationPublicKey(key));
        return key;
    }

    // A command that names its user (USER, or --user USER) logs that user in first. Otherwise a
    // one-shot command logs the default user in; in the shell the session's login is used.
    void SignIn(const std::string& named, int directoryId)
    {
        if (!named.empty())
            Login(named, directoryId);
        else if (m_token.empty() && m_shell)
            throw UsageFailure{"log in first (login USER)"};
        else if (m_token.empty())
            Login(ProvixaBusSession::kDefaultUser, directoryId);
    }

    // whoami and accesslevels name their user as an operand or with --user, as the other
    // commands do; never both, so that no answer is for another user than the one named.
    void UseToken(const BusCommand& command)
    {
        if (!command.operands.empty() && !command.user.empty())
            throw UsageFailure{command.name + " takes its user once: USER or --user USER"};
        SignIn(command.operands.empty() ? command.user : command.operands[0], command.directoryId);
    }

    // The password of a sign-in, and in *source where it came from.
    std::string Password(std::string* source)
    {
        *source = ProvixaBusHost::kPasswordVariable;
        if (const char* password = std::getenv(ProvixaBusHost::kPasswordVariable))
            return password;
        std::string line;
        // A person at a terminal is asked, with echo off, in the shell too; there a Ctrl-C gives
        // up the sign-in as a Ctrl-D does, and the shell goes on.
        if (ProvixaTerminal::Interactive())
        {
            *source = "the terminal";
            if (!ProvixaTerminal::AskHidden("Password: ", m_in, m_err, &line, m_shell))
                throw Refusal{"no password given", CCorvessaException::kInvalidCredentialsKey, WBEM_E_ACCESS_DENIED};
            return line;
        }
        // In a shell fed from a file or pipe standard input carries the commands.
        if (m_shell || !std::getline(m_in, line))
            throw Refusal{std::string("no password given: set ") + ProvixaBusHost::kPasswordVariable +
                              (m_shell ? "" : " or give the password on standard input"),
                          CCorvessaException::kInvalidCredentialsKey, WBEM_E_ACCESS_DENIED};
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        *source = "standard input";
        return line;
    }

    COleDateTime Login(std::string user, int directoryId)
    {
        // A refusal names the account tried: a one-shot command that names none tries sa.
        const std::string account = user + (directoryId == CCorvessaBaseApp::kInternalDirectoryId
                                                ? std::string(" (an internal account)")
                                                : " of directory " + std::to_string(directoryId));
        std::string source;
        std::string password = Password(&source);
        if (m_app.AreCredentialsEncrypted())
        {
            const std::string key = PublicKey();
            using brontel::utility::PublicPrivateKeyEncryptionUtility;
            std::string cipher;
            Check(PublicPrivateKeyEncryptionUtility::Encrypt(key, user, cipher));
            user = cipher;
            Check(PublicPrivateKeyEncryptionUtility::Encrypt(key, password, cipher));
            password = cipher;
        }
        COleDateTime when;
        std::string token;
        try
        {
            Check(m_app.Authenticate(ProvixaBusHost::kApplicationId, directoryId, user, password, token, when));
        }
        catch (const CCorvessaException& failure)
        {
            if (failure.ErrorCode() != CCorvessaException::kFailedToAuthenticateKey)
                throw;
            throw CCorvessaException(failure.ErrorCode(),
                                     failure.ErrorMessage() + " The account tried: " + account +
                                         ", with the password from " + source + ".",
                                     failure.HResult());
        }
        m_token = token;
        return when;
    }

    CCorvessaBaseApp& m_app;
    std::istream& m_in;
    std::ostream& m_out;
    std::ostream& m_err;
    const bool m_shell;
    std::string m_token;
    std::string m_effect;
};

// The front end's error as a bus client receives it, its message without the source locations
// that lead a WMI-side failure's text (those are for the log), as the WMI door prints it. The
// front end's fixed texts send the reader to the log whatever the request wrote there: the log
// is named only when the request wrote an error line (`reasonLogged`).
void PrintError(std::ostream& err, const std::string& key, const std::string& message, HRESULT hr,
                bool reasonLogged = false)
{
    // The front end's general "unable to write" says nothing of a full disk or of a lock that
    // another process holds.
    const std::string cause = ProvixaText::ToUtf8(CBntDatabase::TakeLastFailureCause().GetString());
    // A message that repeats a word of the line (an unknown command) is cut: the word may be
    // megabytes long, and the message is read by a person.
    std::size_t cut = std::min(message.size(), kMaxMessageBytes);
    while (cut < message.size() && cut > 0 && (static_cast<unsigned char>(message[cut]) & 0xC0) == 0x80)
        --cut;
    const std::string text =
        ProvixaOutput::WithoutLocations(message.substr(0, cut)) +
        (cut < message.size() ? "... (" + std::to_string(message.size() - cut) + " bytes more)" : "");
    // A message that already says why (the engine's own) is not told it twice.
    const bool said = cause.empty() || text.find(cause) != std::string::npos;
    err << ProvixaOutput::FailureJson(key, text + (said ? "" : " (" + cause + ")"), hr,
                                      reasonLogged ? ProvixaOutput::LogFileSentTo(text) : std::string())
        << "\n";
}

// A command line the host cannot run, as the front end answers a request it cannot read.
int PrintUsageFailure(std::ostream& err, const std::string& message)
{
    PrintError(err, CCorvessaException::kInvalidParameterKey, message, WBEM_E_INVALID_PARAMETER);
    return kUsageError;
}

int PrintRefusal(std::ostream& err, const Refusal& refusal)
{
    PrintError(err, refusal.key, refusal.message, refusal.hr);
    return kRequestFailed;
}

// The commands that write the installation.
bool Writes(const BusCommand& command)
{
    return command.name == "add" || command.name == "modify" || command.name == "delete" ||
           (command.name == "subs" && !command.operands.empty() && command.operands[0] != "list" &&
            command.operands[0] != "get");
}

int RunCommand(BusClient& client, BusCommand& command, const std::string& readOnlyReason, std::ostream& err);

// Runs one command; the exit status. Every failure is printed here, a result that cannot be
// written with what the command did, and after it a write whose configuration message a server
// did not take warns of it, as on the WMI door.
int RunOne(BusClient& client, BusCommand& command, const std::string& readOnlyReason, std::ostream& out,
           std::ostream& err)
{
    client.TakeEffect();
    int status = RunCommand(client, command, readOnlyReason, err);
    if (ProvixaHost::ReportUnwritten(out, err, client.TakeEffect()))
        status = kRequestFailed;
    ProvixaHost::WarnOfUnreachedServers(err);
    return status;
}

int RunCommand(BusClient& client, BusCommand& command, const std::string& readOnlyReason, std::ostream& err)
{
    // A cause left by an earlier command of the shell belongs to none of this one's failures.
    CBntDatabase::TakeLastFailureCause();
    // The front end answers on this thread: an error line it wrote since is this request's.
    const std::uint64_t errorLinesBefore = brontel::utility::CWMIDebugLog::ErrorLinesWritten();
    const auto print = [&](const std::string& key, const std::string& message, HRESULT hr) {
        PrintError(err, key, message, hr, brontel::utility::CWMIDebugLog::ErrorLinesWritten() != errorLinesBefore);
    };
    try
    {
        // A write to a database this account may not write would fail deep in the front end
        // with a reason that hides this one.
        if (!readOnlyReason.empty() && Writes(command))
            throw Refusal{readOnlyReason + ": it cannot be written", CCorvessaException::kGeneralExceptionKey,
                          WBEM_E_ACCESS_DENIED};
        client.Execute(command);
        return kSuccess;
    }
    catch (const UsageFailure& failure)
    {
        return PrintUsageFailure(err, failure.message);
    }
    catch (const Refusal& failure)
    {
        return PrintRefusal(err, failure);
    }
    catch (const RequestFailure& failure)
    {
        const CCorvessaException described(failure.hr);
        print(described.ErrorCode(), described.ErrorMessage(), failure.hr);
    }
    catch (const CCorvessaException& failure)
    {
        print(failure.ErrorCode(), failure.ErrorMessage(), failure.HResult());
    }
    catch (const GenericException& failure)
    {
        print(CCorvessaException::kGeneralExceptionKey, Utf8(failure.GetMessage()), E_FAIL);
    }
    catch (const brontel::utility::CWMIException& failure)
    {
        const CCorvessaException described(failure.GetHResult());
        print(described.ErrorCode(), Utf8(failure.GetMessage()), failure.GetHResult());
    }
    catch (const CException& failure)
    {
        print(CCorvessaException::kGeneralExceptionKey, Message(failure), E_FAIL);
    }
    catch (const std::exception& failure)
    {
        print(CCorvessaException::kGeneralExceptionKey, failure.what(), E_FAIL);
    }
    return kRequestFailed;
}

int RunShell(BusClient& client, const std::string& readOnlyReason, std::istream& in, std::ostream& out,
             std::ostream& err)
{
    int status = kSuccess;
    std::string line;
    bool tooLong = false;
    for (std::size_t number = 1; ProvixaBatch::ReadLine(in, kMaxShellLineBytes, &line, &tooLong); ++number)
    {
        if (tooLong)
        {
            status = PrintRefusal(err, Refusal{"line " + std::to_string(number) + " is longer than " +
                                               std::to_string(kMaxShellLineBytes) +
                                               " bytes: a shell line carries at most one binary " + "value of " +
                                               std::to_string(CWmipInstanceWriter::kMaxBinaryBytes / (1024 * 1024)) +
                                               " MiB (" + std::to_string(kMaxBase64Bytes) + " bytes of Base64) and " +
                                               std::to_string(ProvixaBatch::kMaxLineLength) + " bytes besides"});
            continue;
        }
        // Words are read as the batch reads them: quotes keep blanks ("ID > 2").
        std::vector<std::string> words;
        std::string error;
        const bool split = ProvixaBatch::SplitLine(line, &words, &error);
        // The words hold the line's text now: a long line is not kept twice.
        std::string().swap(line);
        if (!split)
        {
            PrintUsageFailure(err, error);
            status = kRequestFailed;
            continue;
        }
        if (words.empty() || words.front().starts_with("#"))
            continue;
        if (words.front() == "exit" || words.front() == "quit")
            break;
        int one = kSuccess;
        if (words.front() == "help" || words.front() == "--help")
            out << ProvixaBusHost::Usage();
        else
        {
            try
            {
                BusCommand command = ParseCommand(std::move(words));
                one = RunOne(client, command, readOnlyReason, out, err);
            }
            catch (const UsageFailure& failure)
            {
                one = PrintUsageFailure(err, failure.message);
            }
        }
        if (one != kSuccess)
            status = kRequestFailed;
        // Once a result cannot be written, every later one would be lost too, a write's
        // confirmation among them: the shell stops there, as a batch does.
        if (ProvixaHost::ReportUnwritten(out, err, std::string()))
            return kRequestFailed;
    }
    return status;
}
}  // namespace

std::string ProvixaBusHost::Usage()
{
    return "Bus commands (provixa bus COMMAND), answers as JSON:\n"
           "  version                       the product name and version\n"
           "  publickey                     the key clients encrypt their credentials with\n"
           "  login [--directory ID] USER   log in (directory -1, the default: an internal account);\n"
           "                                outside the shell its token ends with the process\n"
           "  whoami [--directory ID] [USER|--user USER]       the user's identity and permissions\n"
           "  accesslevels [--directory ID] [USER|--user USER] the access levels the user manages\n"
           "                                (outside the shell USER defaults to sa)\n"
           "  logout                        end the session\n"
           "  shell                         read one command a line; a login's token lives for the session\n"
           "                                (help shows this text, exit or quit ends it)\n"
           "  help                          show this text\n" +
           ProvixaBusInstanceCommands::Usage() + ProvixaBusCatalogCommands::Usage() +
           ProvixaBusSubscriptionCommands::Usage() +
           "The password comes from PROVIXA_PASSWORD; else a terminal asks for it (echo off), and\n"
           "outside the shell a pipe gives it on the first line of standard input. In the shell\n"
           "words may be quoted (--filter \"ID > 2\"); --param NAME=[V,V] passes a list. The bus\n"
           "commands take their options after the command; of the host's options only --simulate\n"
           "may stand before bus.\n"
           "\n"
           "A modify names the instance by its keys and changes the values it gives; the others keep\n"
           "their stored values. A class that takes some values on every write refuses a modify\n"
           "without them, naming the first it checks (a badge given BADGEKEY and PIN alone: PERSONID).\n"
           "The bus carries no embedded object as a method parameter (AddBadge's BadgeIn is refused,\n"
           "saying it takes one): add a badge with add Bnt_Badge NAME=VALUE... instead.\n"
           "A filter or media id the front end refuses answers corvessa.general.invalidfilter\n"
           "(\"Invalid filter specified. Check server logs ...\"); the provider log names the\n"
           "property and value at fault. --order names properties of the type; with a name that is\n"
           "none the page is ordered by the keys, and a warning says so. A method is run in any\n"
           "case; one the type lacks is refused naming the type's methods. Failures, the host's own\n"
           "refusals included, are {\"error\": KEY, \"message\": TEXT, \"hresult\": \"0x8004100C\"}\n"
           "lines on standard error, one a failure, and each warning one line {\"warning\": TEXT}.\n";
}

int ProvixaBusHost::Run(const std::vector<std::string>& args, bool simulate, std::istream& in, std::ostream& out,
                        std::ostream& err, ProvixaLineWriter& notes)
{
    // help is a bus command as it is in the shell.
    if (std::find(args.begin(), args.end(), "--help") != args.end() || (!args.empty() && args.front() == "help"))
    {
        out << Usage();
        return kSuccess;
    }
    BusCommand command;
    try
    {
        command = ParseCommand(args);
    }
    catch (const UsageFailure& failure)
    {
        return PrintUsageFailure(err, failure.message + " (provixa bus --help)");
    }
    std::filesystem::path database;
    std::string error;
    if (!ProvixaInstallation::Existing(&database, &error))
        return PrintRefusal(err, Refusal{error, CCorvessaException::kInvalidDBConnectionKey, WBEM_E_FAILED});
    const bool shell = command.name == "shell";
    if (shell && (!command.operands.empty() || command.directoryId != CCorvessaBaseApp::kInternalDirectoryId ||
                  !command.user.empty()))
        return PrintUsageFailure(err, "shell takes no operands");
    // The simulated servers' calls go to the error stream: the bus answers are JSON lines.
    std::unique_ptr<ProvixaSimulation> simulation;
    if (simulate)
        simulation = std::make_unique<ProvixaSimulation>(notes);
    ProvixaBusWrapper wrapper(out);
    CCorvessaBaseApp app;
    const CModuleStateSwitch current(&app);
    app.InitInstance();
    app.SetQpidWrapper(&wrapper);
    BusClient client(app, in, out, err, shell);
    const std::string readOnlyReason = ProvixaInstallation::ReadOnlyReason(database);
    const int status =
        shell ? RunShell(client, readOnlyReason, in, out, err) : RunOne(client, command, readOnlyReason, out, err);
    app.ExitInstance();
    return status;
}
