// The method and parameter registrars reach the registry's class description.
#include <gtest/gtest.h>

#include "framework/CWmipMapperRegistry.h"
#include "platform/com/Variant.h"
#include "platform/com/WbemConstants.h"
#include "schema/CWmipMethodParameterRegistrar.h"
#include "schema/CWmipMethodRegistrar.h"

namespace {

LONG CountProperties(IWbemClassObject* signature)
{
    LONG count = 0;
    if (signature == nullptr || FAILED(signature->BeginEnumeration(0)))
    {
        return -1;
    }
    BSTR name = nullptr;
    while (signature->Next(0, &name, nullptr, nullptr, nullptr) == WBEM_S_NO_ERROR)
    {
        SysFreeString(name);
        name = nullptr;
        ++count;
    }
    signature->EndEnumeration();
    return count;
}

}  // namespace

TEST(MethodRegistrars, DeclareAMethodAndItsParametersOnARegisteredClass)
{
    CWmipMapperRegistry::Instance()->RegisterClass(L"Test_MethodRegistrars", L"");
    CWmipMethodRegistrar(L"Test_MethodRegistrars", L"Arm");
    CWmipMethodParameterRegistrar(L"Test_MethodRegistrars", L"Arm", true, L"ArmState", CIM_SINT32);
    // A parameter of a method not declared yet still yields the method.
    CWmipMethodParameterRegistrar(L"test_methodregistrars", L"GetHardwareStatus", false, L"Status", CIM_UINT32);

    CWMITypeInfo* typeInfo = CWmipMapperRegistry::Instance()->GetTypeInfo(L"TEST_METHODREGISTRARS", true);
    ASSERT_NE(typeInfo, nullptr);
    const CWMITypeInfo::ClassObjectPtr classObject = typeInfo->GetTypeInformation();
    ASSERT_NE(classObject, nullptr);

    IWbemClassObject* in = nullptr;
    IWbemClassObject* out = nullptr;
    ASSERT_EQ(classObject->GetMethod(L"Arm", 0, &in, &out), WBEM_S_NO_ERROR);
    ASSERT_NE(in, nullptr);
    VARIANT value;
    VariantInit(&value);
    CIMTYPE type = CIM_EMPTY;
    EXPECT_EQ(in->Get(L"ArmState", 0, &value, &type, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(type, CIM_SINT32);
    VariantClear(&value);
    in->Release();
    if (out != nullptr)
    {
        EXPECT_EQ(CountProperties(out), 0);
        out->Release();
    }

    in = nullptr;
    out = nullptr;
    ASSERT_EQ(classObject->GetMethod(L"GetHardwareStatus", 0, &in, &out), WBEM_S_NO_ERROR);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->Get(L"Status", 0, &value, &type, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(type, CIM_UINT32);
    VariantClear(&value);
    out->Release();
    if (in != nullptr)
    {
        in->Release();
    }
}

TEST(MethodRegistrars, IgnoreAClassThatIsNotRegistered)
{
    CWmipMethodRegistrar(L"Test_NotRegistered", L"Arm");
    CWmipMethodParameterRegistrar(L"Test_NotRegistered", L"Arm", true, L"ArmState", CIM_SINT32);
    EXPECT_EQ(CWmipMapperRegistry::Instance()->GetTypeInfo(L"Test_NotRegistered", true), nullptr);
}
