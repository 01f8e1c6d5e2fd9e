// Method signatures put into definitions of either implementation (the WMI-service stand-in's
// objects and the bus front end's), and the stored definitions of the two manager classes.
#include <gtest/gtest.h>

#include "framework/objects/CCorvessaClassObject.h"
#include "framework/CWmipManagerClassDefinitions.h"
#include "framework/CWmipMethodSignatures.h"
#include "platform/com/CimTypes.h"
#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemClassObject.h"
#include "platform/wmi/WbemRepository.h"

#include <map>
#include <memory>
#include <string>

namespace {

// The parameters of a signature by name with their "ID" (-1 without one); empty for none.
std::map<std::wstring, LONG> Parameters(IWbemClassObject* signature)
{
    std::map<std::wstring, LONG> parameters;
    if (signature == nullptr || FAILED(signature->BeginEnumeration(WBEM_FLAG_NONSYSTEM_ONLY)))
        return parameters;
    BSTR name = nullptr;
    while (signature->Next(0, &name, nullptr, nullptr, nullptr) == WBEM_S_NO_ERROR)
    {
        LONG id = -1;
        ComPtr<IWbemQualifierSet> qualifiers;
        _variant_t value;
        if (SUCCEEDED(signature->GetPropertyQualifierSet(name, &qualifiers)) &&
            SUCCEEDED(qualifiers->Get(L"ID", 0, &value, nullptr)) && value.vt == VT_I4)
            id = value.lVal;
        parameters[name] = id;
        SysFreeString(name);
        name = nullptr;
    }
    signature->EndEnumeration();
    return parameters;
}

std::map<CString, CCorvessaMethodDescriptor> Methods()
{
    CCorvessaMethodDescriptor both(L"Both");
    both.AddParameter(true, L"A", CIM_SINT32);
    both.AddParameter(true, L"B", CIM_STRING);
    both.AddParameter(false, L"B", CIM_STRING);
    both.AddParameter(false, L"ReturnValue", CIM_SINT32);
    return {{L"Both", both}, {L"None", CCorvessaMethodDescriptor(L"None")}};
}

void ExpectNumbered(IWbemClassObject* definition)
{
    ComPtr<IWbemClassObject> in;
    ComPtr<IWbemClassObject> out;
    ASSERT_EQ(definition->GetMethod(L"Both", 0, &in, &out), WBEM_S_NO_ERROR);
    EXPECT_EQ(Parameters(in.Get()), (std::map<std::wstring, LONG>{{L"A", 0}, {L"B", 1}}));
    EXPECT_EQ(Parameters(out.Get()), (std::map<std::wstring, LONG>{{L"B", 1}, {L"ReturnValue", -1}}));
    EXPECT_EQ(definition->GetMethod(L"None", 0, nullptr, nullptr), WBEM_S_NO_ERROR);
    ComPtr<IWbemQualifierSet> qualifiers;
    _variant_t implemented;
    ASSERT_EQ(definition->GetMethodQualifierSet(L"Both", &qualifiers), WBEM_S_NO_ERROR);
    ASSERT_EQ(qualifiers->Get(L"implemented", 0, &implemented, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(implemented.vt, VT_BOOL);
}

TEST(MethodDefinitions, SignaturesAreMadeInTheDefinitionsOwnImplementation)
{
    ComPtr<IWbemClassObject> standIn;
    ASSERT_EQ(CreateWbemClass(L"Test_Methods", nullptr, &standIn), WBEM_S_NO_ERROR);
    // The stand-in takes only signatures of its own kind and checks their numbering.
    ASSERT_EQ(CWmipMethodSignatures::AddTo(Methods(), standIn.Get()), S_OK);
    ExpectNumbered(standIn.Get());

    CCorvessaClassObject bus(L"Test_Methods");
    ASSERT_EQ(CWmipMethodSignatures::AddTo(Methods(), &bus), S_OK);
    ExpectNumbered(&bus);

    EXPECT_EQ(CWmipMethodSignatures::AddTo(Methods(), nullptr), WBEM_E_INVALID_PARAMETER);
}

TEST(MethodDefinitions, AMethodTheDefinitionHoldsIsLeftAsItIs)
{
    ComPtr<IWbemClassObject> definition;
    ASSERT_EQ(CreateWbemClass(L"Test_Kept", nullptr, &definition), WBEM_S_NO_ERROR);
    ASSERT_EQ(definition->PutMethod(L"Both", 0, nullptr, nullptr), WBEM_S_NO_ERROR);
    ASSERT_EQ(CWmipMethodSignatures::AddTo(Methods(), definition.Get()), S_OK);
    ComPtr<IWbemClassObject> in;
    ASSERT_EQ(definition->GetMethod(L"Both", 0, &in, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(in, nullptr);
}

TEST(ManagerClasses, BothAreStoredWithTheirTwoMethodsAndAStringReturnValue)
{
    EXPECT_TRUE(CWmipManagerClassDefinitions::IsManagerClass(L"bnt_vexletmanager"));
    EXPECT_FALSE(CWmipManagerClassDefinitions::IsManagerClass(L"Bnt_Visit"));
    EXPECT_EQ(CWmipManagerClassDefinitions::BuildForBus(L"Bnt_Visit"), nullptr);

    WbemRepository repository(L"TESTHOST", L"root\\Test");
    ASSERT_EQ(CWmipManagerClassDefinitions::AddTo(repository), WBEM_S_NO_ERROR);
    for (const wchar_t* name :
         {CWmipManagerClassDefinitions::kVexletManager, CWmipManagerClassDefinitions::kFluxmereManager})
    {
        SCOPED_TRACE(CString(name));
        ComPtr<WbemClassObject> stored;
        ASSERT_EQ(repository.GetClass(name, &stored), WBEM_S_NO_ERROR);
        const std::unique_ptr<CCorvessaClassObject> bus = CWmipManagerClassDefinitions::BuildForBus(name);
        ASSERT_NE(bus, nullptr);
        for (IWbemClassObject* definition :
             {static_cast<IWbemClassObject*>(stored.Get()), static_cast<IWbemClassObject*>(bus.get())})
        {
            ComPtr<IWbemClassObject> out;
            ASSERT_EQ(definition->GetMethod(L"GetCurrentUser", 0, nullptr, &out), WBEM_S_NO_ERROR);
            CIMTYPE type = 0;
            ASSERT_NE(out, nullptr);
            EXPECT_EQ(out->Get(L"ReturnValue", 0, nullptr, &type, nullptr), WBEM_S_NO_ERROR);
            EXPECT_EQ(type, CIM_STRING);
            EXPECT_EQ(definition->GetMethod(L"RefreshCache", 0, nullptr, nullptr), WBEM_S_NO_ERROR);
            ComPtr<IWbemQualifierSet> qualifiers;
            _variant_t provider;
            ASSERT_EQ(definition->GetQualifierSet(&qualifiers), WBEM_S_NO_ERROR);
            ASSERT_EQ(qualifiers->Get(L"Provider", 0, &provider, nullptr), WBEM_S_NO_ERROR);
            EXPECT_EQ(CString(provider.bstrVal), L"BntProvider");
        }
    }
}

}  // namespace
