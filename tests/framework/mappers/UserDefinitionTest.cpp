// The class definition as a bus caller is served it: shaped by the class's mapper for the caller
// of the entry, on a copy; a build or shaping that fails refuses the request rather than serve
// the lists built for nobody in particular.
#include "tests/framework/mappers/MapperTestFixture.h"

#include "framework/CWMITypeInfo.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemQualifierSet.h"

using brontel::utility::CWMIException;
using namespace mappertest;

namespace {

// Keeps in the list of "Kind" only the value that is the caller's user id; the "Broken" variants
// fail the way a mapper can: a shaping that throws, a dynamic build that fails.
template <bool ThrowOnShaping, bool FailBuild>
class ShapingMapper : public CWmipDynamicClassMapper
{
public:
    ShapingMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
        : CWmipDynamicClassMapper(user, context, services, Name())
    {
    }
    static const wchar_t* Name()
    {
        return ThrowOnShaping ? L"Tst_ShapeThrows" : FailBuild ? L"Tst_BuildFails" : L"Tst_Shaped";
    }
    HRESULT CreateClass(IWbemClassObject** classObject, BOOL system) override
    {
        return FailBuild ? WBEM_E_FAILED : CWmipDynamicClassMapper::CreateClass(classObject, system);
    }
    HRESULT ProcessClassPermissions(IWbemClassObject* classObject) override
    {
        const CAcsUser* caller = RequireUser();
        if (ThrowOnShaping)
            throw CWMIException(L"UserDefinitionTest.cpp", __LINE__, WBEM_E_ACCESS_DENIED);
        ComPtr<IWbemQualifierSet> qualifiers;
        classObject->GetPropertyQualifierSet(L"Kind", &qualifiers);
        const CString own = std::to_wstring(caller->GetUserID()).c_str();
        return WMIHelper::PutQualStringArray(qualifiers.Get(), L"ValueMap", CStringList{own}, 3) == S_OK
                   ? WMIHelper::PutQualStringArray(qualifiers.Get(), L"Values", CStringList{L"Own"}, 3)
                   : WBEM_E_FAILED;
    }
};

template <bool ThrowOnShaping, bool FailBuild>
void RegisterShaped()
{
    using Mapper = ShapingMapper<ThrowOnShaping, FailBuild>;
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    registry->RegisterClass(Mapper::Name(), L"", FailBuild, &support::NewTestMapper<Mapper>);
    support::DeclareNotSegmented(Mapper::Name());
    registry->RegisterProperty(Mapper::Name(), L"Kind", CIM_SINT32, L"EMP", L"VISITOR", 0, 0);
    registry->RegisterPropertyValues(Mapper::Name(), L"Kind", L"POSSIBLE_VALUES",
                                     {{L"10", L"Alice"}, {L"11", L"Bob"}, {L"12", L"Carol"}});
}

class UserDefinition : public MapperTest
{
protected:
    void SetUp() override
    {
        MapperTest::SetUp();
        static const bool registered = [] {
            RegisterShaped<false, false>();
            RegisterShaped<true, false>();
            RegisterShaped<false, true>();
            return true;
        }();
        (void)registered;
        LoginCaller();
    }
};

}  // namespace

TEST_F(UserDefinition, TheCallersCopyIsShapedForItAndTheSharedOneKeepsItsLists)
{
    CWMITypeInfo* type = CWmipMapperRegistry::Instance()->GetTypeInfo(L"Tst_Shaped", true);
    ASSERT_NE(type, nullptr);
    const std::shared_ptr<CCorvessaClassObject> served = type->GetUserDefinition(m_caller.get());
    EXPECT_EQ(CWMITypeInfo::GetPossibleValues(*served, L"Kind"), (std::map<CString, CString>{{L"10", L"Own"}}));
    const std::map<CString, CString> everyone = {{L"10", L"Alice"}, {L"11", L"Bob"}, {L"12", L"Carol"}};
    EXPECT_EQ(CWMITypeInfo::GetPossibleValues(*type->GetTypeInformation(), L"Kind"), everyone);
    EXPECT_EQ(CWMITypeInfo::GetPossibleValues(*type->GetUserDefinition(nullptr), L"Kind"), everyone);
}

TEST_F(UserDefinition, AFailedBuildOrShapingRefusesTheRequest)
{
    for (const wchar_t* className : {L"Tst_ShapeThrows", L"Tst_BuildFails"})
    {
        CWMITypeInfo* type = CWmipMapperRegistry::Instance()->GetTypeInfo(className, true);
        ASSERT_NE(type, nullptr);
        try
        {
            type->GetUserDefinition(m_caller.get());
            ADD_FAILURE() << CStringToUtf8(className) << ": served";
        }
        catch (const CWMIException& e)
        {
            EXPECT_EQ(e.GetHResult(), WBEM_E_FAILED) << CStringToUtf8(className);
        }
    }
}
