// Each request of the WMI door compares its caller's rights with the stored rights stamp once: the
// permission check and the mapper's own look-up of the caller share that comparison.
#include "tests/e2e/DoorTest.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/StatementRecorder.h"
#include "tests/support/TestCallers.h"

#include <string>

using namespace e2e;

namespace {
// Every permission, segment 1 only, with person segmentation on.
constexpr const wchar_t* kCaller = support::callers::kHeadquartersChief;

class RequestRightsStamp : public DoorTest
{
protected:
    static void SetUpTestSuite()
    {
        support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                               "UPDATE CONFIG_VALUE SET NUMBERVALUE = 1 WHERE CONFIGID = 1003;\n" +
                                                   support::TestCallers::Sql({kCaller}));
    }
};
}  // namespace

TEST_F(RequestRightsStamp, EachRequestOfACachedCallerReadsTheStampOnce)
{
    CallAs(kCaller);
    // The caller's login, which reads the stamp with the rights.
    ASSERT_EQ(Get(Form::Sync, L"Bnt_EventType.ID=1").result, WBEM_S_NO_ERROR);
    const struct
    {
        const char* request;
        std::function<Reply()> run;
        std::size_t objects;
    } requests[] = {
        {"get of a badge", [this] { return Get(Form::Async, L"Bnt_Badge.BADGEKEY=1"); }, 1},
        {"get of an event type", [this] { return Get(Form::Sync, L"Bnt_EventType.ID=1"); }, 1},
        {"query of the badges", [this] { return Query(Form::Async, L"SELECT * FROM Bnt_Badge WHERE BADGEKEY = 1"); },
         1},
    };
    for (const auto& r : requests)
    {
        SCOPED_TRACE(r.request);
        support::StatementRecorder recorder;
        const Reply reply = r.run();
        EXPECT_EQ(reply.result, WBEM_S_NO_ERROR) << Hex(reply.result);
        EXPECT_EQ(reply.objects.size(), r.objects);
        std::size_t reads = 0;
        for (const support::StatementRecorder::Statement& statement : recorder.Statements())
            reads += statement.sql == "SELECT STAMP FROM RIGHTS_STAMP WHERE STAMPID = 1" ? 1 : 0;
        EXPECT_EQ(reads, 1u);
    }
}
