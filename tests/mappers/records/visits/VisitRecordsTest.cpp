#include "tests/mappers/records/visits/VisitRecordsTest.h"

#include "platform/com/Bstr.h"
#include "platform/com/Variant.h"

namespace records_test {
void VisitRecordsTest::SetUp()
{
    PersonRecordsTest::SetUp();
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
