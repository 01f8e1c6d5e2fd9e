#include "tests/platform/wmi/WbemTestSupport.h"

using namespace wmitest;

namespace {
ComPtr<IWbemClassObject> Parameters()
{
    return MakeClass(L"__PARAMETERS");
}

void PutParameter(IWbemClassObject* signature, const wchar_t* name, CIMTYPE type, const _variant_t& id)
{
    PutProperty(signature, name, type);
    if (id.vt != VT_EMPTY)
    {
        ComPtr<IWbemQualifierSet> qualifiers;
        signature->GetPropertyQualifierSet(name, &qualifiers);
        PutQualifier(qualifiers.Get(), L"ID", id, 0);
    }
}

bool HasQualifier(IWbemClassObject* object, const wchar_t* property, const wchar_t* qualifier)
{
    ComPtr<IWbemQualifierSet> qualifiers;
    if (object->GetPropertyQualifierSet(property, &qualifiers) != WBEM_S_NO_ERROR)
        return false;
    return qualifiers->Get(qualifier, 0, nullptr, nullptr) == WBEM_S_NO_ERROR;
}
}  // namespace

TEST(WbemMethod, SignaturesComeBackAsIndependentCopiesMarkedInAndOut)
{
    auto reader = MakeClass(L"Bnt_Reader");
    auto in = Parameters();
    PutParameter(in.Get(), L"Mode", CIM_SINT32, _variant_t(LONG(0)));
    auto out = Parameters();
    PutParameter(out.Get(), L"Status", CIM_UINT32, _variant_t(LONG(1)));
    PutParameter(out.Get(), L"ReturnValue", CIM_UINT32, _variant_t());
    ASSERT_EQ(reader->PutMethod(L"SetMode", 0, in.Get(), out.Get()), WBEM_S_NO_ERROR);

    ComPtr<IWbemClassObject> gotIn;
    ComPtr<IWbemClassObject> gotOut;
    ASSERT_EQ(reader->GetMethod(L"setmode", 0, &gotIn, &gotOut), WBEM_S_NO_ERROR);
    EXPECT_TRUE(HasQualifier(gotIn.Get(), L"Mode", L"in"));
    EXPECT_TRUE(HasQualifier(gotOut.Get(), L"Status", L"out"));
    EXPECT_FALSE(HasQualifier(in.Get(), L"Mode", L"in"));
    EXPECT_EQ(Text(gotOut.Get(), L"__CLASS"), L"__PARAMETERS");

    // The mapper's way to its out-parameters: an instance of the out signature.
    auto result = Spawn(gotOut.Get());
    _variant_t status(LONG(4));
    ASSERT_EQ(result->Put(L"Status", 0, &status, 0), WBEM_S_NO_ERROR);
    gotOut->Delete(L"Status");
    ComPtr<IWbemClassObject> again;
    ASSERT_EQ(reader->GetMethod(L"SetMode", 0, nullptr, &again), WBEM_S_NO_ERROR);
    EXPECT_EQ(again->Get(L"Status", 0, nullptr, nullptr, nullptr), WBEM_S_NO_ERROR);
}

TEST(WbemMethod, ParameterIdsMustRunWithoutGaps)
{
    struct Row
    {
        _variant_t inId;
        _variant_t outId;
        _variant_t returnId;
        HRESULT expected;
    };
    const Row rows[] = {
        {_variant_t(LONG(0)), _variant_t(LONG(1)), _variant_t(), WBEM_S_NO_ERROR},
        {_variant_t(LONG(0)), _variant_t(LONG(2)), _variant_t(), WBEM_E_NONCONSECUTIVE_PARAMETER_IDS},
        {_variant_t(), _variant_t(LONG(0)), _variant_t(), WBEM_E_MISSING_PARAMETER_ID},
        {_variant_t(LONG(-1)), _variant_t(LONG(0)), _variant_t(), WBEM_E_INVALID_PARAMETER_ID},
        {_variant_t(L"0"), _variant_t(LONG(1)), _variant_t(), WBEM_E_INVALID_PARAMETER_ID},
        {_variant_t(LONG(0)), _variant_t(LONG(0)), _variant_t(), WBEM_E_INVALID_PARAMETER_ID},
        {_variant_t(LONG(0)), _variant_t(LONG(1)), _variant_t(LONG(2)), WBEM_E_PARAMETER_ID_ON_RETVAL},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i)
    {
        auto cls = MakeClass(L"Bnt_Panel");
        auto in = Parameters();
        PutParameter(in.Get(), L"A", CIM_SINT32, rows[i].inId);
        auto out = Parameters();
        PutParameter(out.Get(), L"B", CIM_SINT32, rows[i].outId);
        PutParameter(out.Get(), L"ReturnValue", CIM_UINT32, rows[i].returnId);
        EXPECT_EQ(cls->PutMethod(L"Run", 0, in.Get(), out.Get()), rows[i].expected) << "row " << i;
    }
}

TEST(WbemMethod, AParameterInBothDirectionsKeepsOneId)
{
    auto cls = MakeClass(L"Bnt_Panel");
    auto in = Parameters();
    PutParameter(in.Get(), L"Value", CIM_SINT32, _variant_t(LONG(0)));
    auto out = Parameters();
    PutParameter(out.Get(), L"Value", CIM_SINT32, _variant_t(LONG(0)));
    EXPECT_EQ(cls->PutMethod(L"Swap", 0, in.Get(), out.Get()), WBEM_S_NO_ERROR);
    auto badOut = Parameters();
    PutParameter(badOut.Get(), L"value", CIM_SINT32, _variant_t(LONG(1)));
    EXPECT_EQ(cls->PutMethod(L"Swap2", 0, in.Get(), badOut.Get()), WBEM_E_INVALID_PARAMETER_ID);
}

TEST(WbemMethod, InheritedMethodsBelongToTheirOrigin)
{
    auto base = MakeClass(L"Bnt_Device");
    ASSERT_EQ(base->PutMethod(L"Reset", 0, nullptr, nullptr), WBEM_S_NO_ERROR);
    ComPtr<IWbemQualifierSet> methodQualifiers;
    ASSERT_EQ(base->GetMethodQualifierSet(L"Reset", &methodQualifiers), WBEM_S_NO_ERROR);
    PutQualifier(methodQualifiers.Get(), L"implemented", _variant_t(true),
                 WBEM_FLAVOR_FLAG_PROPAGATE_TO_DERIVED_CLASS | WBEM_FLAVOR_FLAG_PROPAGATE_TO_INSTANCE);
    auto derived = MakeClass(L"Bnt_Reader", base.Get());
    ASSERT_EQ(derived->PutMethod(L"Pulse", 0, nullptr, nullptr), WBEM_S_NO_ERROR);

    EXPECT_EQ(derived->DeleteMethod(L"Reset"), WBEM_E_PROPAGATED_METHOD);
    EXPECT_EQ(derived->PutMethod(L"RESET", 0, nullptr, nullptr), WBEM_E_PROPAGATED_METHOD);
    BSTR origin = nullptr;
    ASSERT_EQ(derived->GetMethodOrigin(L"reset", &origin), WBEM_S_NO_ERROR);
    EXPECT_STREQ(origin, L"Bnt_Device");
    SysFreeString(origin);

    ComPtr<IWbemQualifierSet> inherited;
    ASSERT_EQ(Spawn(derived.Get())->GetMethodQualifierSet(L"Reset", &inherited), WBEM_S_NO_ERROR);
    EXPECT_EQ(inherited->Get(L"implemented", 0, nullptr, nullptr), WBEM_S_NO_ERROR);

    std::vector<std::wstring> local;
    ASSERT_EQ(derived->BeginMethodEnumeration(WBEM_FLAG_LOCAL_ONLY), WBEM_S_NO_ERROR);
    BSTR name = nullptr;
    while (derived->NextMethod(0, &name, nullptr, nullptr) == WBEM_S_NO_ERROR)
    {
        local.emplace_back(name);
        SysFreeString(name);
    }
    derived->EndMethodEnumeration();
    EXPECT_EQ(local, (std::vector<std::wstring>{L"Pulse"}));
    EXPECT_EQ(derived->DeleteMethod(L"pulse"), WBEM_S_NO_ERROR);
    EXPECT_EQ(derived->DeleteMethod(L"Pulse"), WBEM_E_NOT_FOUND);
}

TEST(WbemMethod, WrongPlacesAndForeignSignaturesAreRefused)
{
    auto cls = MakeClass(L"Bnt_Panel");
    auto instance = Spawn(cls.Get());
    EXPECT_EQ(instance->PutMethod(L"Run", 0, nullptr, nullptr), WBEM_E_ILLEGAL_OPERATION);
    EXPECT_EQ(cls->PutMethod(L"Bad Name", 0, nullptr, nullptr), WBEM_E_INVALID_PARAMETER);
    auto signatureInstance = Spawn(Parameters().Get());
    EXPECT_EQ(cls->PutMethod(L"Run", 0, signatureInstance.Get(), nullptr), WBEM_E_INVALID_PARAMETER);

    IWbemClassObject* in = reinterpret_cast<IWbemClassObject*>(0x1);
    EXPECT_EQ(cls->GetMethod(L"Missing", 0, &in, nullptr), WBEM_E_NOT_FOUND);
    EXPECT_EQ(in, nullptr);
    BSTR name = nullptr;
    EXPECT_EQ(cls->NextMethod(0, &name, nullptr, nullptr), WBEM_E_UNEXPECTED);
}
