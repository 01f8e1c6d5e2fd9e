// The literal forms of a boolean the watch roads read (support::kBooleanWatchCases: the keywords,
// 1 and 0, each of them quoted in either quote and any case) on the query road and the bus
// filter: each selects the badges a comparison of booleans selects, on both doors alike; a quoted
// text that is no boolean is refused with the query road's code and sentence, naming it and the
// property, through either door.
#include "tests/e2e/DoorTest.h"
#include "tests/isolation/BusDoor.h"
#include "tests/support/EventQueryCase.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/PropertyText.h"
#include "tests/support/TestCallers.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

using namespace e2e;
using isolation::BusDoor;

namespace {
// Every permission, every segment; its bus login.
constexpr const wchar_t* kCaller = support::callers::kBusAdministrator;
constexpr char kCallerLogin[] = "busadmin";

class LiteralForm : public DoorTest
{
protected:
    static void SetUpTestSuite()
    {
        support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), support::TestCallers::Sql({kCaller}));
    }
};
}  // namespace

TEST_F(LiteralForm, EveryLiteralFormOfABooleanSelectsAsTheWatchesSelectThroughEitherDoor)
{
    // An exempt badge and one that is not, apart from the demo's badges by their keys.
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                           "INSERT INTO BADGE (BADGEKEY, ID, TYPE, EMPID, APBEXEMPT) VALUES "
                                           "(9101, 910101, 1, 1, 1), (9102, 910102, 1, 1, 0);");
    const struct Restore
    {
        ~Restore()
        {
            support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                                   "DELETE FROM BADGE WHERE BADGEKEY IN (9101, 9102);");
        }
    } restore;
    // The exemptions of the two badges a door served, in the order the table names them (1, 0).
    const auto selected = [](const std::vector<std::string>& keys) {
        std::string text;
        for (const auto& [key, exempt] : {std::pair{"9101", "1"}, std::pair{"9102", "0"}})
            if (std::find(keys.begin(), keys.end(), key) != keys.end())
                text += (text.empty() ? "" : " ") + std::string(exempt);
        return text;
    };
    CallAs(kCaller);
    BusDoor bus;
    const std::string token = bus.Login(kCallerLogin);
    for (const auto& [form, condition] : support::WatchTable(L"APBEXEMPT", {}, support::kBooleanWatchCases))
    {
        SCOPED_TRACE(form.rule);
        const std::wstring where = L"BADGEKEY >= 9101 AND (" + condition + L")";
        const Reply reply = Query(Form::Sync, L"SELECT * FROM Bnt_Badge WHERE " + where);
        const auto [busAnswer, busText] = bus.Read(token, L"Bnt_Badge", Utf8(where), "");
        if (form.refused)
        {
            const std::string why = form.expected + std::string("APBEXEMPT is not a boolean: write TRUE or FALSE.");
            EXPECT_EQ(reply.result, WBEM_E_INVALID_QUERY) << Hex(reply.result);
            EXPECT_NE(Description(reply.statusObject.Get()).find(why), std::string::npos)
                << Description(reply.statusObject.Get());
            EXPECT_EQ(busAnswer, WBEM_E_INVALID_QUERY) << Hex(busAnswer) << " " << busText;
            EXPECT_NE(busText.find(why), std::string::npos) << busText;
            continue;
        }
        EXPECT_EQ(reply.result, WBEM_S_NO_ERROR) << Hex(reply.result) << " " << Description(reply.statusObject.Get());
        std::vector<std::string> keys;
        for (const ComPtr<IWbemClassObject>& badge : reply.objects)
            keys.push_back(support::PropertyText(badge.Get(), L"BADGEKEY"));
        EXPECT_EQ(selected(keys), form.expected) << "query";
        EXPECT_EQ(busAnswer, S_OK) << Hex(busAnswer) << " " << busText;
        std::vector<std::string> busKeys;
        for (const std::string& row :
             bus.Rows(token, L"Bnt_Badge", Utf8(where), {"BADGEKEY"}).value_or(std::vector<std::string>()))
            busKeys.push_back(row.substr(row.find('=') + 1));
        EXPECT_EQ(selected(busKeys), form.expected) << "bus";
    }
}
