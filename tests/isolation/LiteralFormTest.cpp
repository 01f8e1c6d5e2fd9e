// The literal forms every road reads alike, on the query road and the bus filter (the watch roads
// read the same tables: EventValueSweep for record changes, RoutingTest for hardware events):
// the forms of a boolean (support::kBooleanWatchCases), of a number against a 64-bit id, a 32-bit
// key and a property its mapper maps itself (kNumberWatchCases), of a text and of a number
// compared with a text (kTextWatchCases) and of a date-time with a zone offset
// (kDateWatchCases). Each selects the same records through either door, by SQL alone and (a text
// or date-time) with a term the SQL leaves to the in-memory evaluator; a literal a property's type
// cannot hold is refused on both, naming it: with the query road's code and sentence, or, for a
// number, with the bus filter's own answer and its log line.
#include "bus/CCorvessaException.h"
#include "tests/e2e/DoorTest.h"
#include "tests/isolation/BusDoor.h"
#include "tests/support/EventQueryCase.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/PropertyText.h"
#include "tests/support/TestCallers.h"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <utility>
#include <vector>

using namespace e2e;
using isolation::BusDoor;

namespace {
// Every permission, every segment; its bus login.
constexpr const wchar_t* kCaller = support::callers::kBusAdministrator;
constexpr char kCallerLogin[] = "busadmin";

// The records a table runs on: each one's key, as the doors serve it, and the label the table's
// answers name it by, in the table's order.
using Labels = std::vector<std::pair<std::string, std::string>>;

// The test's cardholders: their last names are the text table's values, their last changes the
// date table's (stored in UTC, as the suite's machine keeps time).
constexpr char kCardholders[] =
    "INSERT INTO EMP (ID, LASTNAME, LASTCHANGED, VISITOR) VALUES (9101, 'O''Brien', '2024-01-02 09:00:00', 0), "
    "(9102, 'TRUE', '2024-01-02 10:00:00', 0), (9103, '1', '2024-01-02 11:00:00', 0);";
// A term the SQL leaves out (LIKE with a set) that holds for each of them: with it, the
// in-memory evaluator decides the rows.
constexpr wchar_t kEvaluatedTerm[] = L"LASTNAME LIKE '[!-~]%'";

class LiteralForm : public DoorTest
{
protected:
    static void SetUpTestSuite()
    {
        support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), support::TestCallers::Sql({kCaller}));
    }

    // The labels of the records a door served (by their keys), in the order `labels` names them.
    static std::string Selected(const Labels& labels, const std::vector<std::string>& keys)
    {
        std::string text;
        for (const auto& [key, label] : labels)
            if (std::find(keys.begin(), keys.end(), key) != keys.end())
                text += (text.empty() ? "" : " ") + label;
        return text;
    }

    // Reads the class with each case's condition (after `scope`, which keeps the reads to the
    // test's records, and before `evaluated`, a term that leaves the case to the evaluator)
    // through the query road and the bus filter, as the caller: each selects the records the
    // case's labels name; a refused case is refused on the query road with its sentence naming the
    // property, and on the bus with `busRefusal`: the same code and sentence, or the filter's
    // own answer with its log line naming the value.
    void ExpectTable(std::span<const support::EventWatchCase> cases, const std::wstring& className,
                     const std::wstring& property, const std::wstring& key, const Labels& labels,
                     const std::wstring& scope, const std::wstring& evaluated, HRESULT busRefusal)
    {
        CallAs(kCaller);
        BusDoor bus;
        const std::string token = bus.Login(kCallerLogin);
        const auto wmi = support::WatchTable(property, {}, cases);
        const auto onBus = support::WatchTable(property, {}, cases, Door::kBus);
        const auto where = [&](const std::wstring& condition, bool withEvaluated) {
            return scope + L"(" + condition + L")" + (withEvaluated ? L" AND " + evaluated : L"");
        };
        for (std::size_t i = 0; i < wmi.size(); ++i)
        {
            const support::EventWatchCase& form = wmi[i].first;
            for (const bool withEvaluated : {false, true})
            {
                if (withEvaluated && evaluated.empty())
                    continue;
                SCOPED_TRACE(std::string(form.rule) + (withEvaluated ? " (evaluated)" : ""));
                const Reply reply =
                    Query(Form::Sync, L"SELECT * FROM " + className + L" WHERE " + where(wmi[i].second, withEvaluated));
                const std::string busWhere = Utf8(where(onBus[i].second, withEvaluated));
                // The bus filter logs why it refused a value of its own.
                const bool logs = form.refused && busRefusal != WBEM_E_INVALID_QUERY;
                const std::wstring logLine = logs ? BusLogLine(form, property) : std::wstring();
                const int logged = logs ? LogLines(logLine) : 0;
                const auto [busAnswer, busText] = bus.Read(token, className, busWhere, "");
                if (form.refused)
                {
                    const std::string why = form.expected + Utf8(property);
                    EXPECT_EQ(reply.result, WBEM_E_INVALID_QUERY) << Hex(reply.result);
                    EXPECT_NE(Description(reply.statusObject.Get()).find(why), std::string::npos)
                        << Description(reply.statusObject.Get());
                    EXPECT_EQ(busAnswer, busRefusal) << Hex(busAnswer) << " " << busText;
                    if (logs)
                        EXPECT_EQ(LogLines(logLine), logged + 1) << Utf8(logLine);
                    else
                        EXPECT_NE(busText.find(why), std::string::npos) << busText;
                    continue;
                }
                EXPECT_EQ(reply.result, WBEM_S_NO_ERROR)
                    << Hex(reply.result) << " " << Description(reply.statusObject.Get());
                std::vector<std::string> keys;
                for (const ComPtr<IWbemClassObject>& object : reply.objects)
                    keys.push_back(support::PropertyText(object.Get(), key.c_str()));
                EXPECT_EQ(Selected(labels, keys), form.expected) << "query";
                EXPECT_EQ(busAnswer, S_OK) << Hex(busAnswer) << " " << busText;
                std::vector<std::string> busKeys;
                for (const std::string& row :
                     bus.Rows(token, className, busWhere, {Utf8(key)}).value_or(std::vector<std::string>()))
                    busKeys.push_back(row.substr(row.find('=') + 1));
                EXPECT_EQ(Selected(labels, busKeys), form.expected) << "bus";
            }
        }
    }

private:
    // The bus filter's log line for a refused value (the value between the quotes of the case's
    // sentence), which names it and the property.
    static std::wstring BusLogLine(const support::EventWatchCase& form, const std::wstring& property)
    {
        const std::string sentence = form.expected;
        const std::size_t open = sentence.find('"');
        const std::size_t close = sentence.find('"', open + 1);
        const std::wstring value(sentence.begin() + static_cast<std::ptrdiff_t>(open + 1),
                                 sentence.begin() + static_cast<std::ptrdiff_t>(close));
        return value.empty() ? L"Invalid property [" + property + L"] in filter."
                             : L"Invalid value [" + value + L"] for property [" + property + L"] in filter.";
    }
};

// Runs SQL now and its undo when the scope ends, so the shared installation stays as it was.
struct Records
{
    Records(const std::string& change, std::string undo) : undo(std::move(undo))
    {
        support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), change);
    }
    ~Records() { support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), undo); }
    Records(const Records&) = delete;
    Records& operator=(const Records&) = delete;
    std::string undo;
};
}  // namespace

TEST_F(LiteralForm, EveryLiteralFormOfABooleanSelectsAsTheWatchesSelectThroughEitherDoor)
{
    // An exempt badge and one that is not, apart from the demo's badges by their keys.
    const Records badges("INSERT INTO BADGE (BADGEKEY, ID, TYPE, EMPID, APBEXEMPT) VALUES "
                         "(9101, 910101, 1, 1, 1), (9102, 910102, 1, 1, 0);",
                         "DELETE FROM BADGE WHERE BADGEKEY IN (9101, 9102);");
    ExpectTable(support::kBooleanWatchCases, L"Bnt_Badge", L"APBEXEMPT", L"BADGEKEY", {{"9101", "1"}, {"9102", "0"}},
                L"BADGEKEY >= 9101 AND ", L"", WBEM_E_INVALID_QUERY);
}

// A 64-bit id, a 32-bit key and a person's id the badge mapper maps itself (its literal read by
// its type all the same), each read with every form of a number: the test's badges whose ids and
// persons are the table's values (the demo's badge 1, which holds 100001 too, left out by their
// keys; the demo's person 7 with two of the test's), and the demo's badge 7 with two of the test's
// keyed by the table's values.
TEST_F(LiteralForm, EveryLiteralFormOfANumberSelectsAsTheWatchesSelectThroughEitherDoor)
{
    const Records persons("INSERT INTO EMP (ID, LASTNAME, SEGMENTID, VISITOR) VALUES (100001, 'Hundred', 1, 0), "
                          "(99999, 'Ninety', 1, 0);",
                          "DELETE FROM EMP WHERE ID IN (100001, 99999);");
    const Records badges("INSERT INTO BADGE (BADGEKEY, ID, TYPE, EMPID) VALUES (9001, 100001, 1, 100001), "
                         "(9002, 99999, 1, 99999), (9003, 7, 1, 7), (100001, 910103, 1, 1), (99999, 910104, 1, 1);",
                         "DELETE FROM BADGE WHERE BADGEKEY IN (9001, 9002, 9003, 100001, 99999);");
    const Labels byKey = {{"9001", "100001"}, {"9002", "99999"}, {"9003", "7"}};
    {
        SCOPED_TRACE("a 64-bit id");
        ExpectTable(support::kNumberWatchCases, L"Bnt_Badge", L"ID", L"BADGEKEY", byKey, L"BADGEKEY >= 9001 AND ", L"",
                    corvessa::kInvalidFilter);
    }
    {
        SCOPED_TRACE("a person's id the mapper maps itself");
        ExpectTable(support::kNumberWatchCases, L"Bnt_Badge", L"PERSONID", L"BADGEKEY", byKey, L"BADGEKEY >= 9001 AND ",
                    L"", corvessa::kInvalidFilter);
    }
    SCOPED_TRACE("a 32-bit key");
    ExpectTable(support::kNumberWatchCases, L"Bnt_Badge", L"BADGEKEY", L"BADGEKEY",
                {{"100001", "100001"}, {"99999", "99999"}, {"7", "7"}}, L"", L"", corvessa::kInvalidFilter);
}

// The test's cardholders, read by their last names and by their last changes.
TEST_F(LiteralForm, EveryLiteralFormOfATextOrADateTimeSelectsAsTheWatchesSelectThroughEitherDoor)
{
    const Records cardholders(kCardholders, "DELETE FROM EMP WHERE ID IN (9101, 9102, 9103);");
    {
        SCOPED_TRACE("texts");
        ExpectTable(support::kTextWatchCases, L"Bnt_Cardholder", L"LASTNAME", L"ID",
                    {{"9101", "O'Brien"}, {"9102", "TRUE"}, {"9103", "1"}}, L"ID >= 9101 AND ", kEvaluatedTerm,
                    WBEM_E_INVALID_QUERY);
    }
    SCOPED_TRACE("date-times");
    ExpectTable(support::kDateWatchCases, L"Bnt_Cardholder", L"LASTCHANGED", L"ID",
                {{"9101", "09"}, {"9102", "10"}, {"9103", "11"}}, L"ID >= 9101 AND ", kEvaluatedTerm,
                WBEM_E_INVALID_QUERY);
}
