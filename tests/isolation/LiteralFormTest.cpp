// The literal forms every road reads alike, on the query road, the watch road (the filter both
// watch roads build, WqlEventFilterFactory, run on each record the query road serves, handed in
// as the changed instance) and the bus filter: the forms of a boolean
// (support::kBooleanWatchCases), of a number against a 64-bit id, a 32-bit key and a property
// its mapper maps itself (kNumberWatchCases) and of a number met exactly by an integer past the
// double's precision, of a text and of a number compared with a text (kTextWatchCases), of a
// date-time with a zone offset (kDateWatchCases) and with a fraction of a second, the one
// stored included, and ISA on a reference. Each selects the same records through either door,
// by SQL alone and (a text or date-time) with a term the SQL leaves to the in-memory evaluator;
// a literal a property's type cannot hold is refused on each road, naming it: with the query
// road's code and sentence, or, on the bus, with the filter's own answer and its log line.
#include "bus/CCorvessaException.h"
#include "framework/WMIHelper.h"
#include "framework/WqlEventFilterFactory.h"
#include "tests/e2e/DoorTest.h"
#include "tests/isolation/BusDoor.h"
#include "tests/support/EventQueryCase.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/PropertyText.h"
#include "tests/support/BstrText.h"
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
constexpr const wchar_t* kBusAdministrator = support::callers::kBusAdministrator;
constexpr char kBusAdministratorLogin[] = "busadmin";

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

// The roads a table runs on: the query road and the watch road through the WMI door, the bus
// filter; a row whose literal one door writes in a form of its own runs on that door alone.
enum Roads
{
    kWmiRoads = 1,
    kBusRoad = 2,
    kEveryRoad = kWmiRoads | kBusRoad,
};

class LiteralForm : public DoorTest
{
protected:
    static void SetUpTestSuite()
    {
        support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                               support::TestCallers::Sql({kBusAdministrator}));
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
    // through the roads named, as the caller: each selects the records the case's labels name,
    // and a watch on the class with the condition passes them of the scope's records; a refused
    // case is refused on the query road and the watch with its sentence naming the property, and
    // on the bus with `busRefusal`: the same code and sentence, or the filter's own answer
    // (its key "corvessa.general.invalidfilter") with its log line naming the value.
    void ExpectTable(std::span<const support::EventWatchCase> cases, const std::wstring& className,
                     const std::wstring& property, const std::wstring& key, const Labels& labels,
                     const std::wstring& scope, const std::wstring& evaluated, HRESULT busRefusal,
                     int roads = kEveryRoad)
    {
        CallAs(kBusAdministrator);
        BusDoor bus;
        const std::string token = bus.Login(kBusAdministratorLogin);
        const auto wmi = support::WatchTable(property, {}, cases);
        const auto onBus = support::WatchTable(property, {}, cases, Door::kBus);
        const auto watched = support::WatchTable(L"TargetInstance." + property, {}, cases);
        const auto where = [&](const std::wstring& condition, bool withEvaluated) {
            return scope + L"(" + condition + L")" + (withEvaluated ? L" AND " + evaluated : L"");
        };
        // The scope's records as the query road serves them, each handed to the watches.
        const Reply scoped =
            Query(Form::Sync, L"SELECT * FROM " + className +
                                  (scope.empty() ? L"" : L" WHERE " + scope.substr(0, scope.size() - 5)));
        ASSERT_EQ(scoped.result, WBEM_S_NO_ERROR) << Description(scoped.statusObject.Get());
        for (std::size_t i = 0; i < wmi.size(); ++i)
        {
            const support::EventWatchCase& form = wmi[i].first;
            if ((roads & kWmiRoads) != 0)
                ExpectWatch(form, className, property, key, labels, scoped.objects, watched[i].second);
            for (const bool withEvaluated : {false, true})
            {
                if (withEvaluated && evaluated.empty())
                    continue;
                SCOPED_TRACE(std::string(form.rule) + (withEvaluated ? " (evaluated)" : ""));
                if ((roads & kWmiRoads) != 0)
                {
                    const Reply reply = Query(Form::Sync, L"SELECT * FROM " + className + L" WHERE " +
                                                              where(wmi[i].second, withEvaluated));
                    if (form.refused)
                    {
                        EXPECT_EQ(reply.result, WBEM_E_INVALID_QUERY) << Hex(reply.result);
                        const std::string why = form.expected + Utf8(property);
                        EXPECT_NE(Description(reply.statusObject.Get()).find(why), std::string::npos)
                            << Description(reply.statusObject.Get());
                    }
                    else
                    {
                        EXPECT_EQ(reply.result, WBEM_S_NO_ERROR)
                            << Hex(reply.result) << " " << Description(reply.statusObject.Get());
                        std::vector<std::string> keys;
                        for (const ComPtr<IWbemClassObject>& object : reply.objects)
                            keys.push_back(support::PropertyText(object.Get(), key.c_str()));
                        EXPECT_EQ(Selected(labels, keys), form.expected) << "query";
                    }
                }
                if ((roads & kBusRoad) != 0)
                    ExpectBus(bus, token, form, className, property, key, labels,
                              Utf8(where(onBus[i].second, withEvaluated)), busRefusal);
            }
        }
    }

private:
    // The bus filter's answer to the case.
    static void ExpectBus(BusDoor& bus, const std::string& token, const support::EventWatchCase& form,
                          const std::wstring& className, const std::wstring& property, const std::wstring& key,
                          const Labels& labels, const std::string& busWhere, HRESULT busRefusal)
    {
        // The bus filter logs why it refused a value of its own.
        const bool logs = form.refused && busRefusal != WBEM_E_INVALID_QUERY;
        const std::wstring logLine = logs ? BusLogLine(form, property) : std::wstring();
        const int logged = logs ? LogLines(logLine) : 0;
        const auto [busAnswer, busText] = bus.Read(token, className, busWhere, "");
        if (form.refused)
        {
            EXPECT_EQ(busAnswer, busRefusal) << Hex(busAnswer) << " " << busText;
            if (logs)
            {
                EXPECT_EQ(CCorvessaException(busAnswer).ErrorCode(), CCorvessaException::kInvalidFilterKey);
                EXPECT_EQ(LogLines(logLine), logged + 1) << Utf8(logLine);
            }
            else
                EXPECT_NE(busText.find(std::string(form.expected) + Utf8(property)), std::string::npos) << busText;
            return;
        }
        EXPECT_EQ(busAnswer, S_OK) << Hex(busAnswer) << " " << busText;
        std::vector<std::string> busKeys;
        for (const std::string& row :
             bus.Rows(token, className, busWhere, {Utf8(key)}).value_or(std::vector<std::string>()))
            busKeys.push_back(row.substr(row.find('=') + 1));
        EXPECT_EQ(Selected(labels, busKeys), form.expected) << "bus";
    }

    // A watch on changes of the class's records with the condition (on TargetInstance), made as
    // both watch roads make theirs: it passes the records the case selects of those served, each
    // handed in as a change's instance, or it is refused with the case's sentence.
    void ExpectWatch(const support::EventWatchCase& form, const std::wstring& className, const std::wstring& property,
                     const std::wstring& key, const Labels& labels, const std::vector<ComPtr<IWbemClassObject>>& served,
                     const std::wstring& condition)
    {
        SCOPED_TRACE(std::string(form.rule) + " (watch)");
        IWbemClassObject* raw = nullptr;
        ASSERT_EQ(Services()->GetObject(support::BstrText(L"__InstanceModificationEvent"), 0, nullptr, &raw, nullptr),
                  WBEM_S_NO_ERROR);
        ComPtr<IWbemClassObject> eventClass;
        eventClass.Attach(raw);
        WbemEventFilterFactory::Filter filter;
        std::wstring error;
        const HRESULT made = WqlEventFilterFactory().CreateFilter(
            L"SELECT * FROM __InstanceModificationEvent WHERE TargetInstance ISA '" + className + L"' AND (" +
                condition + L")",
            eventClass.Get(), &filter, &error);
        if (form.refused)
        {
            EXPECT_EQ(made, WBEM_E_INVALID_QUERY) << Hex(made);
            EXPECT_NE(Utf8(error).find(std::string(form.expected) + "TargetInstance." + Utf8(property)),
                      std::string::npos)
                << Utf8(error);
            return;
        }
        ASSERT_EQ(made, WBEM_S_NO_ERROR) << Utf8(error);
        std::vector<std::string> keys;
        for (const ComPtr<IWbemClassObject>& instance : served)
        {
            const ComPtr<IWbemClassObject> change = NewInstance(L"__InstanceModificationEvent");
            ASSERT_NE(change, nullptr);
            ASSERT_EQ(WMIHelper::PutObject(change.Get(), L"TargetInstance", instance.Get()), WBEM_S_NO_ERROR);
            if (filter(change.Get()))
                keys.push_back(support::PropertyText(instance.Get(), key.c_str()));
        }
        EXPECT_EQ(Selected(labels, keys), form.expected) << "watch";
    }

    // The bus filter's log line for a refused value (the value the case's sentence names after
    // "The value ", without its quotes), which names it and the property; an empty value names
    // the property alone.
    static std::wstring BusLogLine(const support::EventWatchCase& form, const std::wstring& property)
    {
        const std::string sentence = form.expected;
        const std::string lead = "The value ";
        std::string value = sentence.substr(lead.size(), sentence.find(" compared with ") - lead.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        if (value.empty())
            return L"Invalid property [" + property + L"] in filter.";
        return L"Invalid value [" + std::wstring(value.begin(), value.end()) + L"] for property [" + property +
               L"] in filter.";
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
                L"BADGEKEY >= 9101 AND ", L"", corvessa::kInvalidFilter);
    // A number that is no boolean is refused as a quoted text is, the bus's answer included.
    constexpr support::EventWatchCase kNoBoolean[] = {
        {"a number that is no boolean", L"%s = 2", "The value 2 compared with ", true},
        {"a negative number that is no boolean", L"%s <> -1", "The value -1 compared with ", true},
    };
    ExpectTable(kNoBoolean, L"Bnt_Badge", L"APBEXEMPT", L"BADGEKEY", {{"9101", "1"}, {"9102", "0"}},
                L"BADGEKEY >= 9101 AND ", L"", corvessa::kInvalidFilter);
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
                corvessa::kInvalidFilter);
    // A date-time no door reads, and one in the form of the other door.
    constexpr support::EventWatchCase kNoDateTime[] = {
        {"no date-time", L"%s < 'yesterday'", "The value \"yesterday\" compared with ", true},
        {"a date without its time", L"%s >= '20240102'", "The value \"20240102\" compared with ", true},
    };
    ExpectTable(kNoDateTime, L"Bnt_Cardholder", L"LASTCHANGED", L"ID", {{"9101", "09"}}, L"ID >= 9101 AND ",
                kEvaluatedTerm, corvessa::kInvalidFilter);
    constexpr support::EventWatchCase kWmiFormOnTheBus[] = {
        {"a date-time in WMI's form on the bus", L"%s = '20240102090000.000000+000'",
         "The value \"20240102090000.000000+000\" compared with ", true},
    };
    ExpectTable(kWmiFormOnTheBus, L"Bnt_Cardholder", L"LASTCHANGED", L"ID", {{"9101", "09"}}, L"ID >= 9101 AND ",
                kEvaluatedTerm, corvessa::kInvalidFilter, kBusRoad);
}

// An integer met by a number is compared with the decimal the number writes, never with the
// double nearest to it (which for these ids is another id): the test's badges holding 2^53,
// 2^53 + 1 and 2^63 - 1, read with those numbers in their point and exponent forms, quoted or
// not, with a number between two of them and with numbers past the 64-bit range.
TEST_F(LiteralForm, ANumberMetByAnIntegerIsReadExactlyOnEveryRoad)
{
    const Records badges("INSERT INTO BADGE (BADGEKEY, ID, TYPE, EMPID) VALUES (9201, 9007199254740992, 1, 1), "
                         "(9202, 9007199254740993, 1, 1), (9203, 9223372036854775807, 1, 1);",
                         "DELETE FROM BADGE WHERE BADGEKEY IN (9201, 9202, 9203);");
    constexpr support::EventWatchCase kExactNumbers[] = {
        {"2^53 + 1 with a point and an exponent", L"%s = 9.007199254740993e15", "2^53+1"},
        {"2^53 + 1 with an exponent of 0", L"%s = 9007199254740993e0", "2^53+1"},
        {"2^53 + 1 with a negative exponent", L"%s = 90071992547409930e-1", "2^53+1"},
        {"2^53 + 1 with a point", L"%s = 9007199254740993.0", "2^53+1"},
        {"2^53 + 1 in a text with an exponent", L"%s = '9.007199254740993E+15'", "2^53+1"},
        {"2^53 with a point and an exponent", L"%s = 9.007199254740992e15", "2^53"},
        {"unequal to 2^53 with an exponent", L"%s <> 9.007199254740992e15", "2^53+1 2^63-1"},
        {"2^63 - 1 with a point and an exponent", L"%s = 9.223372036854775807e18", "2^63-1"},
        {"2^63 - 1 in a text with a point", L"%s = '9223372036854775807.000'", "2^63-1"},
        {"at least 2^63 - 1 with an exponent", L"%s >= 92233720368547758070e-1", "2^63-1"},
        {"a number between 2^53 and 2^53 + 1", L"%s = 9007199254740992.5", ""},
        {"below a number between 2^53 and 2^53 + 1", L"%s < 9007199254740992.5", "2^53"},
        {"at most a number between 2^53 and 2^53 + 1", L"%s <= 90071992547409925e-1", "2^53"},
        {"above a number between 2^53 and 2^53 + 1", L"%s > 9007199254740992.5", "2^53+1 2^63-1"},
        {"at least a number between 2^53 and 2^53 + 1 in a text", L"%s >= '9007199254740992.5'", "2^53+1 2^63-1"},
        {"unequal to a number between 2^53 and 2^53 + 1", L"%s <> 9007199254740992.5", "2^53 2^53+1 2^63-1"},
        {"a number just above 2^63 - 1", L"%s > 9223372036854775806.99", "2^63-1"},
        {"one past the largest 64-bit number", L"%s = 9223372036854775808", ""},
        {"below one past the largest 64-bit number", L"%s < 9223372036854775808", "2^53 2^53+1 2^63-1"},
        {"at least one past the largest 64-bit number with an exponent", L"%s >= 9.223372036854775808e18", ""},
        {"above one below the smallest 64-bit number", L"%s > -9223372036854775809", "2^53 2^53+1 2^63-1"},
    };
    ExpectTable(kExactNumbers, L"Bnt_Badge", L"ID", L"BADGEKEY",
                {{"9201", "2^53"}, {"9202", "2^53+1"}, {"9203", "2^63-1"}}, L"BADGEKEY >= 9201 AND ", L"",
                corvessa::kInvalidFilter);
}

// A uint32 is compared as the unsigned number it is stored as, on every road, though it travels
// in the signed 32-bit form: the test's cardholders holding 2^32 - 1, 2^31 and 7 in a
// user-defined field of that type, by SQL alone and with a term the evaluator decides.
TEST_F(LiteralForm, AUint32IsComparedAsTheUnsignedNumberItIsOnEveryRoad)
{
    const Records field("ALTER TABLE UDFEMP ADD COLUMN U32LEVEL INTEGER; "
                        "INSERT INTO DDFLD (DDFLDID, FLDNAME, CIMTYPE) VALUES (9401, 'U32LEVEL', 19); "
                        "INSERT INTO UDFOBJS (UDFOBJSID, TBLID, DDFLDID, DBOBJTYPE, LFIELD, LABEL) "
                        "VALUES (9401, 2, 9401, 1, 9401, 'Level');",
                        "DELETE FROM UDFOBJS WHERE UDFOBJSID = 9401; DELETE FROM DDFLD WHERE DDFLDID = 9401; "
                        "ALTER TABLE UDFEMP DROP COLUMN U32LEVEL;");
    const Records cardholders(std::string(kCardholders) +
                                  "INSERT INTO UDFEMP (ID, U32LEVEL) VALUES (9101, 4294967295), (9102, 2147483648), "
                                  "(9103, 7);",
                              "DELETE FROM UDFEMP WHERE ID IN (9101, 9102, 9103); "
                              "DELETE FROM EMP WHERE ID IN (9101, 9102, 9103);");
    constexpr support::EventWatchCase kUnsigned[] = {
        {"the largest uint32", L"%s = 4294967295", "2^32-1"},
        {"its signed form", L"%s = -1", ""},
        {"2^31", L"%s = 2147483648", "2^31"},
        {"its signed form", L"%s = -2147483648", ""},
        {"above the largest sint32", L"%s > 2147483647", "2^32-1 2^31"},
        {"below 0", L"%s < 0", ""},
        {"below 2^31", L"%s < 2147483648", "7"},
    };
    ExpectTable(kUnsigned, L"Bnt_Cardholder", L"U32LEVEL", L"ID", {{"9101", "2^32-1"}, {"9102", "2^31"}, {"9103", "7"}},
                L"ID >= 9101 AND ", kEvaluatedTerm, corvessa::kInvalidFilter);
}

// A date-time's fraction of a second is compared as written, and a stored one as it is stored
// (another process writes "12:34:56.789", or "12:34:56.7890" for the same instant): WMI serves
// it to the microsecond and that value selects its rows again; the bus, whose form has no
// fraction, serves whole seconds and still compares the stored instant exactly.
TEST_F(LiteralForm, ADateTimeIsComparedToItsFractionOnEveryRoad)
{
    const Records cardholders(
        "INSERT INTO EMP (ID, LASTNAME, LASTCHANGED, VISITOR) VALUES (9301, 'Whole', '2024-01-02 09:00:00', 0), "
        "(9302, 'Fraction', '2024-01-02 12:34:56.789', 0), (9303, 'Padded', '2024-01-02 12:34:56.7890', 0);",
        "DELETE FROM EMP WHERE ID IN (9301, 9302, 9303);");
    const Labels labels = {{"9301", "09:00"}, {"9302", "56.789"}, {"9303", "56.7890"}};
    {
        SCOPED_TRACE("as WMI serves it");
        CallAs(kBusAdministrator);
        const Reply served = Query(Form::Sync, L"SELECT * FROM Bnt_Cardholder WHERE ID >= 9301");
        ASSERT_EQ(served.result, WBEM_S_NO_ERROR);
        EXPECT_EQ(Values(served.objects, {L"ID", L"LASTCHANGED"}), Sorted({{"9301", "20240102090000.000000+000"},
                                                                           {"9302", "20240102123456.789000+000"},
                                                                           {"9303", "20240102123456.789000+000"}}));
    }
    constexpr support::EventWatchCase kFractions[] = {
        {"before a fraction above a whole second", L"%s < '20240102090000.500000+000'", "09:00"},
        {"equal to a whole second", L"%s = '20240102090000.000000+000'", "09:00"},
        {"equal to the last microsecond of a whole second", L"%s = '20240102090000.999999+000'", ""},
        {"at most the last microsecond before a whole second", L"%s <= '20240102085959.999999+000'", ""},
        {"equal to a stored fraction as WMI serves it", L"%s = '20240102123456.789000+000'", "56.789 56.7890"},
        {"equal to a stored fraction east of UTC", L"%s = '20240102133456.789000+060'", "56.789 56.7890"},
        {"unequal to a stored fraction", L"%s <> '20240102123456.789000+000'", "09:00"},
        {"a stored fraction under NOT", L"NOT %s = '20240102123456.789000+000'", "09:00"},
        {"equal to the whole second of a stored fraction", L"%s = '20240102123456.000000+000'", ""},
        {"after the microsecond before a stored fraction", L"%s > '20240102123456.788999+000'", "56.789 56.7890"},
        {"after a stored fraction", L"%s > '20240102123456.789000+000'", ""},
        {"at least a stored fraction", L"%s >= '20240102123456.789000+000'", "56.789 56.7890"},
        {"before a stored fraction", L"%s < '20240102123456.789000+000'", "09:00"},
        {"at most a stored fraction", L"%s <= '20240102123456.789000+000'", "09:00 56.789 56.7890"},
    };
    ExpectTable(kFractions, L"Bnt_Cardholder", L"LASTCHANGED", L"ID", labels, L"ID >= 9301 AND ", kEvaluatedTerm,
                corvessa::kInvalidFilter, kWmiRoads);
    {
        SCOPED_TRACE("as the bus serves it");
        BusDoor bus;
        const std::string token = bus.Login(kBusAdministratorLogin);
        EXPECT_EQ(bus.Rows(token, L"Bnt_Cardholder", "ID >= 9301", {"ID", "LASTCHANGED"}),
                  std::vector<std::string>({"ID=9301,LASTCHANGED=2024-01-02T09:00:00+00:00",
                                            "ID=9302,LASTCHANGED=2024-01-02T12:34:56+00:00",
                                            "ID=9303,LASTCHANGED=2024-01-02T12:34:56+00:00"}));
    }
    constexpr support::EventWatchCase kWholeSeconds[] = {
        {"equal to the whole second the bus serves for a stored fraction", L"%s = '2024-01-02T12:34:56+00:00'", ""},
        {"after the whole second of a stored fraction", L"%s > '2024-01-02T12:34:56+00:00'", "56.789 56.7890"},
        {"at least the whole second of a stored fraction", L"%s >= '2024-01-02T13:34:56+01:00'", "56.789 56.7890"},
        {"at most the whole second of a stored fraction", L"%s <= '2024-01-02T12:34:56+00:00'", "09:00"},
        {"unequal to the whole second of a stored fraction", L"%s <> '2024-01-02T12:34:56+00:00'",
         "09:00 56.789 56.7890"},
        {"before the next whole second", L"%s < '2024-01-02T12:34:57+00:00'", "09:00 56.789 56.7890"},
        {"equal to a whole second stored so", L"%s = '2024-01-02T09:00:00+00:00'", "09:00"},
    };
    ExpectTable(kWholeSeconds, L"Bnt_Cardholder", L"LASTCHANGED", L"ID", labels, L"ID >= 9301 AND ", kEvaluatedTerm,
                corvessa::kInvalidFilter, kBusRoad);
}

// A quoted text that reads as a date-time is a text when its property is one: the test's
// cardholders named with a DMTF text an hour east of UTC and with the UTC text of that instant.
// ISA on a reference asks the class of the record it names: the test's badges of person 1.
TEST_F(LiteralForm, ADateTimeTextComparedWithATextAndISAOnAReferenceReadAsTheirPropertiesSay)
{
    {
        const Records cardholders("INSERT INTO EMP (ID, LASTNAME, VISITOR) VALUES "
                                  "(9401, '20240102100000.000000+060', 0), (9402, '2024-01-02 09:00:00', 0);",
                                  "DELETE FROM EMP WHERE ID IN (9401, 9402);");
        constexpr support::EventWatchCase kDateTimeTexts[] = {
            {"a date-time text compared as a text", L"%s = '20240102100000.000000+060'", "DMTF"},
            {"unequal to a date-time text compared as a text", L"%s <> \"20240102100000.000000+060\"", "UTC"},
        };
        ExpectTable(kDateTimeTexts, L"Bnt_Cardholder", L"LASTNAME", L"ID", {{"9401", "DMTF"}, {"9402", "UTC"}},
                    L"ID >= 9401 AND ", kEvaluatedTerm, WBEM_E_INVALID_QUERY);
    }
    const Records badges("INSERT INTO BADGE (BADGEKEY, ID, TYPE, EMPID) VALUES (9501, 950101, 1, 1);",
                         "DELETE FROM BADGE WHERE BADGEKEY = 9501;");
    CallAs(kBusAdministrator);
    const Reply owned = Query(Form::Sync, L"SELECT * FROM Bnt_CardholderBadge");
    ASSERT_EQ(owned.result, WBEM_S_NO_ERROR) << Description(owned.statusObject.Get());
    std::string ownPath;
    for (const ComPtr<IWbemClassObject>& link : owned.objects)
    {
        const std::string badge = support::PropertyText(link.Get(), L"Badge");
        if (badge.find("9501") != std::string::npos)
            ownPath = badge;
    }
    ASSERT_FALSE(ownPath.empty());
    constexpr support::EventWatchCase kReferences[] = {
        {"ISA the class a reference names", L"%s ISA 'Bnt_Badge'", "9501"},
        {"ISA another class", L"%s ISA 'Bnt_Cardholder'", ""},
        {"not ISA the class a reference names", L"NOT %s ISA 'Bnt_Badge'", ""},
    };
    ExpectTable(kReferences, L"Bnt_CardholderBadge", L"Badge", L"Badge", {{ownPath, "9501"}}, L"", L"",
                WBEM_E_INVALID_QUERY, kWmiRoads);
}
