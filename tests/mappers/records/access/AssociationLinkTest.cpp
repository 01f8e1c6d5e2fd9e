// The associations of access groups, badges and reader areas, and the reader requests, end to end
// through the door: each association lists one instance per linking row, and both ends of every
// instance are paths the door resolves (a restricted caller sees only the rows whose ends it sees);
// reader requests follow the level managers' view rule.
#include "tests/mappers/records/access/AccessRecordsTest.h"

#include <string>

using namespace e2e;
using access_test::AccessCallers;

namespace {
// The demo operator: manages levels 1 and 3 with full rights and level 2 view-only.
constexpr const wchar_t* kDemoOperator = support::callers::kOperator;

struct AssociationCase
{
    const wchar_t* className;
    const wchar_t* first;
    const wchar_t* second;
    const char* firstClass;
    const char* secondClass;
    // The linking rows, counted in SQL.
    const char* rows;
};

const AssociationCase kAssociations[] = {
    {L"Bnt_AccessLevelGroupAssignment", L"AccessGroup", L"AccessLevel", "Bnt_AccessGroup", "Bnt_AccessLevel",
     "SELECT COUNT(*) FROM ACCGPLINK"},
    {L"Bnt_CardholderBadge", L"Person", L"Badge", "Bnt_Cardholder", "Bnt_Badge",
     "SELECT COUNT(*) FROM BADGE JOIN EMP ON EMP.ID = BADGE.EMPID WHERE EMP.VISITOR = 0"},
    {L"Bnt_VisitorBadge", L"Person", L"Badge", "Bnt_Visitor", "Bnt_Badge",
     "SELECT COUNT(*) FROM BADGE JOIN EMP ON EMP.ID = BADGE.EMPID WHERE EMP.VISITOR = 1"},
    {L"Bnt_ReaderEntersArea", L"Reader", L"Area", "Bnt_Reader", "Bnt_Area",
     "SELECT COUNT(*) FROM READER JOIN AREAAPB ON AREAAPB.AREAAPBID = READER.AREAENTER"},
    {L"Bnt_ReaderExitsArea", L"Reader", L"Area", "Bnt_Reader", "Bnt_Area",
     "SELECT COUNT(*) FROM READER JOIN AREAAPB ON AREAAPB.AREAAPBID = READER.AREALEAVE"},
};

class AssociationLinks : public access_test::AccessRecordsTest
{
protected:
    // The end is a path of the class that the door resolves to one instance.
    void ExpectResolves(IWbemClassObject* instance, const wchar_t* property, const char* className)
    {
        const std::string path = support::PropertyText(instance, property);
        EXPECT_EQ(path.rfind(std::string(className) + ".", 0), 0u) << path;
        const Reply end = Get(Form::Sync, std::wstring(path.begin(), path.end()));
        EXPECT_EQ(end.result, WBEM_S_NO_ERROR) << path << " " << Hex(end.result);
    }
};
}  // namespace

TEST_F(AssociationLinks, EveryLinkingRowIsAnInstanceWhoseEndsResolve)
{
    CallAs(Callers::kAdministrator);
    for (const AssociationCase& c : kAssociations)
    {
        SCOPED_TRACE(Utf8(c.className));
        const long rows = std::stol(Scalar(c.rows));
        ASSERT_GT(rows, 0) << "no demo rows";
        for (const Form form : kBothForms)
        {
            const Reply reply = Enum(form, c.className);
            ASSERT_EQ(reply.result, WBEM_S_NO_ERROR) << Hex(reply.result) << " " << Description(reply.statusObject);
            ASSERT_EQ(static_cast<long>(reply.objects.size()), rows) << NameOf(form);
        }
        const Reply reply = Enum(Form::Sync, c.className);
        for (const ComPtr<IWbemClassObject>& instance : reply.objects)
        {
            ExpectResolves(instance.Get(), c.first, c.firstClass);
            ExpectResolves(instance.Get(), c.second, c.secondClass);
        }
    }
}

// A caller of segment 1 sees a row only when it sees both ends: the demo's access group of
// segment 1 gathers a level of segment 2 as well, whose row it does not see.
TEST_F(AssociationLinks, ARestrictedCallerSeesOnlyTheRowsWhoseEndsItSees)
{
    CallAs(AccessCallers::kHeadquartersChief);
    for (const AssociationCase& c : kAssociations)
    {
        SCOPED_TRACE(Utf8(c.className));
        const Reply reply = Enum(Form::Sync, c.className);
        ASSERT_EQ(reply.result, WBEM_S_NO_ERROR) << Hex(reply.result);
        EXPECT_LE(static_cast<long>(reply.objects.size()), std::stol(Scalar(c.rows)));
        for (const ComPtr<IWbemClassObject>& instance : reply.objects)
        {
            ExpectResolves(instance.Get(), c.first, c.firstClass);
            ExpectResolves(instance.Get(), c.second, c.secondClass);
        }
    }
    const Reply gathered = Enum(Form::Sync, L"Bnt_AccessLevelGroupAssignment");
    ASSERT_EQ(gathered.objects.size(), 1u);
    EXPECT_EQ(support::PropertyText(gathered.objects.front().Get(), L"AccessLevel"), "Bnt_AccessLevel.ID=\"1\"");
}

TEST_F(AssociationLinks, ReaderRequestsFollowTheLevelManagersViewRule)
{
    struct Case
    {
        const wchar_t* caller;
        HRESULT result;
        Table ids;
    };
    // Request 5 is for a reader of level 1, request 6 for a reader of level 2 only.
    const Case cases[] = {
        {Callers::kAdministrator, WBEM_S_NO_ERROR, {{"5", "0"}, {"6", "0"}}},
        {kDemoOperator, WBEM_S_NO_ERROR, {{"5", "0"}}},
        {AccessCallers::kLevelViewer, WBEM_S_ACCESS_DENIED, {}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(Utf8(c.caller));
        CallAs(c.caller);
        const Reply reply = Enum(Form::Sync, L"Bnt_ReaderRequest");
        EXPECT_EQ(reply.result, c.result) << Hex(reply.result) << " " << Description(reply.statusObject);
        EXPECT_EQ(Values(reply.objects, {L"ID", L"Type"}), c.ids);
    }
    CallAs(AccessCallers::kLevelViewer);
    EXPECT_EQ(Get(Form::Sync, L"Bnt_ReaderRequest.ID=5").result, WBEM_E_ACCESS_DENIED);
}

TEST_F(AssociationLinks, APutIsAReaderRequestWhateverTypeItNames)
{
    const ComPtr<IWbemClassObject> request =
        NewInstance(L"Bnt_ReaderRequest", {{L"PersonID", _variant_t(static_cast<LONG>(3))},
                                           {L"PanelID", _variant_t(static_cast<LONG>(1))},
                                           {L"ReaderID", _variant_t(static_cast<LONG>(1))},
                                           {L"Type", _variant_t(static_cast<LONG>(1))},
                                           {L"SubmittedNote", _variant_t(L"exit at night")}});
    const Reply written = Put(Form::Sync, request.Get(), WBEM_FLAG_CREATE_ONLY);
    ASSERT_EQ(written.result, WBEM_S_NO_ERROR) << Description(written.statusObject.Get());
    EXPECT_EQ(DoorInstallation::Rows("SELECT TYPE, PANELID, READERID, SUBMITTED_USERID FROM ACCESS_REQUEST "
                                     "WHERE SUBMITTED_NOTE = 'exit at night'"),
              (Table{{"0", "1", "1", "31"}}));
}
