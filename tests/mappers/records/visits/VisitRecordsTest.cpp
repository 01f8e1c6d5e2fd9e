#include "tests/mappers/records/visits/VisitRecordsTest.h"

#include "platform/com/Bstr.h"
#include "platform/com/Variant.h"

namespace records_test {
namespace {
constexpr const char* kVisitDeskSql = R"(
INSERT OR IGNORE INTO USER_PERM (USER_PERMID, NAME, SEGMENTID, TYPE, DEVICES_ARE_EXCLUDED) VALUES
    (195, 'Visit desk: system', -1, 1, 0), (196, 'Visit desk: cards', -1, 2, 0);
INSERT OR IGNORE INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID) VALUES
    (195, 0x100000D0), (195, 0x100000B4),
    (196, 0x20000003), (196, 0x20000057), (196, 0x20000023), (196, 0x20000027), (196, 0x20000028),
    (196, 0x20000029);
INSERT OR IGNORE INTO USERS (USERID, LOGONID, FIRSTNAME, LASTNAME, SEGMENTID, MZID, LOGONPWD, ISENABLED,
    SYSTEM_USER_PERMID, MONITOR_USER_PERMID, CARD_USER_PERMID, REPORT_USER_PERMID, USER_PERM_UDFID, IS_AUTO_CREATED_USER,
    BNT_DBID) VALUES
    (195, 'visitdesk', 'Vito', 'Desk', 1, 0, (SELECT LOGONPWD FROM USERS WHERE USERID = 1), 1, 195, 0, 196, 0, 0, 0, 1);
INSERT OR IGNORE INTO USER_ACCOUNT (USER_ACCOUNTID, USERID, BNT_DIRECTORYID, ACCOUNTID) VALUES
    (195, 195, 1, 'S-1-5-21-1004336348-1177238915-682003330-4195');
)";
}  // namespace

void VisitRecordsTest::SetUp()
{
    PersonRecordsTest::SetUp();
    ExecSql(kVisitDeskSql);
    CallAs(e2e::Callers::kAdministrator);
}

long VisitRecordsTest::NewVisit(long hostId, long visitorId)
{
    ComPtr<IWbemClassObject> visit = NewInstance(L"Bnt_Visit");
    if (visit == nullptr)
        return 0;
    _variant_t host(static_cast<LONG>(hostId));
    _variant_t visitor(static_cast<LONG>(visitorId));
    visit->Put(L"CARDHOLDERID", 0, &host, 0);
    visit->Put(L"VISITORID", 0, &visitor, 0);
    const e2e::Reply written = Put(e2e::Form::Sync, visit.Get(), WBEM_FLAG_CREATE_ONLY);
    EXPECT_EQ(written.result, WBEM_S_NO_ERROR) << Description(written.statusObject.Get());
    return KeyOf(written);
}

e2e::Reply VisitRecordsTest::ExecWith(const std::wstring& path, const std::wstring& method,
                                      const std::vector<std::pair<const wchar_t*, _variant_t>>& parameters)
{
    const ComPtr<IWbemClassObject> inParams = MethodParameters(path.substr(0, path.find('.')), method, parameters);
    BSTR pathText = SysAllocString(path.c_str());
    BSTR methodText = SysAllocString(method.c_str());
    ComPtr<IWbemClassObject> out;
    e2e::Reply reply;
    reply.result = Services()->ExecMethod(pathText, methodText, 0, nullptr, inParams.Get(), &out, nullptr);
    SysFreeString(pathText);
    SysFreeString(methodText);
    if (out != nullptr)
        reply.objects.push_back(out);
    return reply;
}

long VisitRecordsTest::Count(const std::string& table, const std::string& where)
{
    const std::string text = Scalar("SELECT COUNT(*) FROM " + table + " WHERE " + where);
    return text.empty() ? 0 : std::stol(text);
}
}  // namespace records_test
