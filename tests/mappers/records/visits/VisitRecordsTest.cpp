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
    const std::wstring className = path.substr(0, path.find('.'));
    BSTR classText = SysAllocString(className.c_str());
    ComPtr<IWbemClassObject> definition;
    Services()->GetObject(classText, 0, nullptr, &definition, nullptr);
    SysFreeString(classText);
    ComPtr<IWbemClassObject> inParams;
    if (definition != nullptr)
    {
        ComPtr<IWbemClassObject> signature;
        definition->GetMethod(method.c_str(), 0, &signature, nullptr);
        if (signature != nullptr)
            signature->SpawnInstance(0, &inParams);
    }
    for (const auto& [name, value] : parameters)
    {
        _variant_t copy(value);
        EXPECT_NE(inParams, nullptr) << "no in-parameters for " << Utf8(method);
        if (inParams != nullptr)
        {
            EXPECT_EQ(inParams->Put(name, 0, &copy, 0), WBEM_S_NO_ERROR) << Utf8(name);
        }
    }
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
