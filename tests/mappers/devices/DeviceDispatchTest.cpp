// Device mappers called directly, as the bus front end calls them: the method name matched
// without regard to case, unknown names, paths that name no device, and the read-only rule.
#include "tests/support/DemoMapperTest.h"

#include "hardware/AapProcedure.h"
#include "mappers/devices/CWmipPanelMapper.h"
#include "mappers/devices/CWmipReaderDeviceMapper.h"
#include "mappers/devices/CWmipReaderInput1Mapper.h"
#include "simulation/SimulatedInstallation.h"

using namespace demomapper;

namespace {

class DeviceDispatch : public DemoMapperTest
{
protected:
    void SetUp() override
    {
        DemoMapperTest::SetUp();
        LoginOperator();
    }

    HRESULT Execute(const wchar_t* className, const wchar_t* path, const wchar_t* method, CString* message = nullptr)
    {
        const std::unique_ptr<CWmipClassMapper> mapper = FactoryMapper(className);
        const std::unique_ptr<CWmipObjectPath> parsed = CWmipObjectPath::CreateFromPath(path);
        if (mapper == nullptr || parsed == nullptr)
        {
            ADD_FAILURE() << "no mapper or path";
            return E_FAIL;
        }
        return Outcome([&] { return mapper->ExecuteMethod(parsed.get(), method, 0, nullptr, nullptr, nullptr); },
                       message);
    }

    support::SimulatedInstallation m_servers{{L"localhost"}};
};

TEST_F(DeviceDispatch, CalledDirectlyTheMethodNameIsMatchedWithoutRegardToCase)
{
    EXPECT_EQ(Execute(L"Bnt_ReaderInput1", L"Bnt_ReaderInput1.PanelID=1,ReaderID=0", L"mASK"), S_OK);
    EXPECT_EQ(Execute(L"Bnt_Panel", L"Bnt_Panel.ID=2", L"SETCLOCK"), S_OK);
    const auto calls = m_servers.Driver().Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].procedure, static_cast<LONG>(AapProcedure::SetReaderInputMask));
    EXPECT_EQ(calls[1].procedure, static_cast<LONG>(AapProcedure::SetPanelClock));
}

TEST_F(DeviceDispatch, UnknownNamesAnswerInvalidMethodAndPathsWithoutADeviceNotFound)
{
    EXPECT_EQ(Execute(L"Bnt_ReaderInput1", L"Bnt_ReaderInput1.PanelID=1,ReaderID=0", L"Pulse"), WBEM_E_INVALID_METHOD);
    EXPECT_EQ(Execute(L"Bnt_Panel", L"Bnt_Panel.ID=1", L"Mask"), WBEM_E_INVALID_METHOD);
    CString message;
    EXPECT_EQ(Execute(L"Bnt_Panel", L"Bnt_Panel.ID=42", L"NoSuchMethod", &message), WBEM_E_NOT_FOUND);
    EXPECT_EQ(message, L"The requested instance could not be retrieved or does not exist.");
    EXPECT_TRUE(m_servers.Driver().Calls().empty());
}

TEST_F(DeviceDispatch, TablesAndCountsAreFixed)
{
    EXPECT_EQ(CWmipPanelMapper::kMethods.size(), 8u);
    EXPECT_STREQ(CWmipPanelMapper::kMethods[3].name, L"UpdateHardwareStatus");
    EXPECT_EQ(CWmipReaderDeviceMapper::kInputMethods.size(), 3u);
    EXPECT_EQ(CWmipReaderDeviceMapper::kOutputMethods.size(), 4u);
    EXPECT_STREQ(CWmipReaderDeviceMapper::kOutputMethods[2].name, L"Pulse");
    const std::unique_ptr<CWmipClassMapper> input = FactoryMapper(L"Bnt_ReaderInput1");
    ASSERT_NE(input, nullptr);
    EXPECT_EQ(input->GetViewPermission(), 0x10000003u);
    EXPECT_EQ(input->GetAddPermission(), 0u);
    EXPECT_EQ(input->GetModifyPermission(), 0u);
    EXPECT_EQ(input->GetDeletePermission(), 0u);
    const std::unique_ptr<CWmipClassMapper> panel = ChainMapper(L"Bnt_Panel");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->GetViewPermission(), 0x10000000u);
}

}  // namespace
