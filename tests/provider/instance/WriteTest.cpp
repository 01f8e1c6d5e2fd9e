// PutInstanceAsync, DeleteInstanceAsync and ExecMethodAsync.
#include "platform/wmi/WbemClassObject.h"
#include "platform/wmi/WbemContext.h"
#include "tests/provider/instance/InstanceProviderTestSupport.h"

namespace instancetest {
namespace {

class Write : public ProviderTest
{
protected:
    ComPtr<IWbemClassObject> ReaderInstance()
    {
        ComPtr<IWbemClassObject> instance;
        m_readerClass = BuildReaderClass();
        EXPECT_EQ(m_readerClass->SpawnInstance(0, &instance), WBEM_S_NO_ERROR);
        return instance;
    }

    HRESULT Delete(const wchar_t* path)
    {
        m_sink = MakeComObject<RecordingSink>();
        Text text(path);
        return m_provider.DeleteInstanceAsync(text, 0, nullptr, m_sink.Get());
    }

    HRESULT Method(const wchar_t* path, const wchar_t* method)
    {
        m_sink = MakeComObject<RecordingSink>();
        Text text(path);
        Text name(method);
        return m_provider.ExecMethodAsync(text, name, 0, nullptr, nullptr, m_sink.Get());
    }

    ComPtr<IWbemClassObject> m_readerClass;
};

TEST_F(Write, PutReportsTheWrittenPathAndPassesTheFlags)
{
    auto instance = ReaderInstance();
    EXPECT_EQ(m_provider.PutInstanceAsync(instance.Get(), WBEM_FLAG_CREATE_ONLY, nullptr, m_sink.Get()),
              WBEM_S_NO_ERROR);
    const StatusCall status = ExpectOneFinalStatus(*m_sink, WBEM_S_NO_ERROR);
    EXPECT_TRUE(status.hasText);
    EXPECT_EQ(status.text, L"Bnt_TestReader.PanelID=1,ReaderID=7");
    EXPECT_EQ(Control().putCalls, 1);
    EXPECT_EQ(Control().lastPutFlags, WBEM_FLAG_CREATE_ONLY);
}

TEST_F(Write, FailedPutReportsNoPathAndKeepsNotSupported)
{
    Control().putResult = WBEM_E_NOT_SUPPORTED;
    auto instance = ReaderInstance();
    EXPECT_EQ(m_provider.PutInstanceAsync(instance.Get(), 0, nullptr, m_sink.Get()), WBEM_E_NOT_SUPPORTED);
    const StatusCall status = ExpectOneFinalStatus(*m_sink, WBEM_E_NOT_SUPPORTED);
    EXPECT_FALSE(status.hasText);

    Control().putThrows = WBEM_E_INVALID_PARAMETER;
    m_sink = MakeComObject<RecordingSink>();
    EXPECT_EQ(m_provider.PutInstanceAsync(instance.Get(), 0, nullptr, m_sink.Get()), WBEM_E_INVALID_PARAMETER);
    const StatusCall thrown = ExpectOneFinalStatus(*m_sink, WBEM_E_INVALID_PARAMETER);
    EXPECT_FALSE(thrown.hasText);
    EXPECT_NE(m_sink->LastDescription().find(L"The put was refused by the test."), std::wstring::npos);
}

TEST_F(Write, PutExtensionsInTheContextAreRefusedByExactName)
{
    const struct
    {
        const wchar_t* name;
        bool refused;
    } cases[] = {
        {L"__PUT_EXTENSIONS", true},    {L"__PUT_EXT_STRICT_NULLS", true}, {L"__PUT_EXT_PROPERTIES", true},
        {L"__PUT_EXT_ATOMIC", true},    {L"__put_extensions", false},      {L"__PUT_EXT", false},
        {L"PUT_EXT_PROPERTIES", false},
    };
    auto instance = ReaderInstance();
    for (const auto& c : cases)
    {
        auto context = WbemContext::Create();
        _variant_t other(1L);
        context->SetValue(L"Unrelated", 0, &other);
        _variant_t value(L"PanelID,ReaderID,Description");
        context->SetValue(c.name, 0, &value);
        m_sink = MakeComObject<RecordingSink>();
        const int callsBefore = Control().putCalls;
        const HRESULT result = m_provider.PutInstanceAsync(instance.Get(), 0, context.Get(), m_sink.Get());
        if (c.refused)
        {
            EXPECT_EQ(result, WBEM_E_PROVIDER_NOT_CAPABLE) << c.name;
            ExpectOneFinalStatus(*m_sink, WBEM_E_PROVIDER_NOT_CAPABLE);
            const std::wstring description = m_sink->LastDescription();
            EXPECT_NE(description.find(L"The provider does not support partial instance operations."),
                      std::wstring::npos);
            EXPECT_EQ(Control().putCalls, callsBefore) << c.name;
        }
        else
        {
            EXPECT_EQ(result, WBEM_S_NO_ERROR) << c.name;
            EXPECT_EQ(Control().putCalls, callsBefore + 1) << c.name;
        }
    }
}

TEST_F(Write, PutOfAnInstanceWithoutClassFailsBeforeAnyMapper)
{
    ComPtr<IWbemClassObject> unnamed = WbemClassObject::CreateEmptyClass();
    EXPECT_EQ(m_provider.PutInstanceAsync(unnamed.Get(), 0, nullptr, m_sink.Get()), WBEM_E_FAILED);
    ExpectOneFinalStatus(*m_sink, WBEM_E_FAILED);
    EXPECT_EQ(Control().putCalls, 0);
    EXPECT_TRUE(Lives().LentAtReaderDeaths().empty());
}

TEST_F(Write, DeleteResultsByCause)
{
    EXPECT_EQ(Delete(L"Bnt_TestReader.PanelID=1,ReaderID=0"), WBEM_S_NO_ERROR);
    ExpectOneFinalStatus(*m_sink, WBEM_S_NO_ERROR);
    EXPECT_EQ(Control().lastDeletedClass, kReaderClass);

    // A class path names no instance.
    EXPECT_EQ(Delete(kReaderClass), WBEM_E_INVALID_OBJECT_PATH);
    ExpectOneFinalStatus(*m_sink, WBEM_E_INVALID_OBJECT_PATH);
    EXPECT_EQ(Delete(L"Bnt_TestReader.PanelID="), WBEM_E_INVALID_OBJECT_PATH);
    EXPECT_EQ(Delete(L"Bnt_NoSuchClass.ID=1"), WBEM_E_INVALID_CLASS);
    ExpectOneFinalStatus(*m_sink, WBEM_E_INVALID_CLASS);
    EXPECT_EQ(Control().deleteCalls, 1);
}

TEST_F(Write, NotSupportedDeleteAndMethodAreReportedAsInvalidOperation)
{
    Control().deleteThrows = WBEM_E_NOT_SUPPORTED;
    EXPECT_EQ(Delete(L"Bnt_TestReader.PanelID=1,ReaderID=0"), WBEM_E_INVALID_OPERATION);
    ExpectOneFinalStatus(*m_sink, WBEM_E_INVALID_OPERATION);
    // The status object still describes the failure as it was thrown.
    EXPECT_NE(m_sink->LastDescription().find(L"The delete was refused by the test."), std::wstring::npos);

    Control().deleteThrows = S_OK;
    Control().deleteResult = WBEM_E_NOT_SUPPORTED;
    EXPECT_EQ(Delete(L"Bnt_TestReader.PanelID=1,ReaderID=0"), WBEM_E_INVALID_OPERATION);

    Control().methodResult = WBEM_E_NOT_SUPPORTED;
    EXPECT_EQ(Method(L"Bnt_TestReader.PanelID=1,ReaderID=0", L"Pulse"), WBEM_E_INVALID_OPERATION);
    ExpectOneFinalStatus(*m_sink, WBEM_E_INVALID_OPERATION);

    // Other failures keep their code.
    Control().methodResult = S_OK;
    Control().methodThrows = WBEM_E_ACCESS_DENIED;
    EXPECT_EQ(Method(L"Bnt_TestReader.PanelID=1,ReaderID=0", L"Pulse"), WBEM_E_ACCESS_DENIED);
    ExpectOneFinalStatus(*m_sink, WBEM_E_ACCESS_DENIED);
}

TEST_F(Write, MethodResultsByCause)
{
    EXPECT_EQ(Method(L"Bnt_TestReader.PanelID=1,ReaderID=0", L"Pulse"), WBEM_S_NO_ERROR);
    ExpectOneFinalStatus(*m_sink, WBEM_S_NO_ERROR);
    // A static method through a class path is accepted.
    EXPECT_EQ(Method(kReaderClass, L"Pulse"), WBEM_S_NO_ERROR);
    EXPECT_EQ(Control().methodCalls, 2);

    // Unknown methods (names are exact) fail before the mapper runs anything.
    EXPECT_EQ(Method(L"Bnt_TestReader.PanelID=1,ReaderID=0", L"pulse"), WBEM_E_METHOD_NOT_IMPLEMENTED);
    ExpectOneFinalStatus(*m_sink, WBEM_E_METHOD_NOT_IMPLEMENTED);
    EXPECT_EQ(Method(kReaderClass, L"Explode"), WBEM_E_METHOD_NOT_IMPLEMENTED);
    EXPECT_EQ(Control().methodCalls, 2);

    EXPECT_EQ(Method(L"Bnt_TestReader.PanelID=\"1", L"Pulse"), WBEM_E_INVALID_OBJECT_PATH);
    EXPECT_EQ(Method(L"Bnt_NoSuchClass.ID=1", L"Pulse"), WBEM_E_INVALID_CLASS);
}

TEST_F(Write, CallerWithoutProviderRightIsRefusedBeforeAnyWrite)
{
    CallAs(kNoProviderRightSid);
    auto instance = ReaderInstance();
    EXPECT_EQ(m_provider.PutInstanceAsync(instance.Get(), 0, nullptr, m_sink.Get()), WBEM_E_ACCESS_DENIED);
    ExpectOneFinalStatus(*m_sink, WBEM_E_ACCESS_DENIED);
    EXPECT_EQ(Delete(L"Bnt_TestReader.PanelID=1,ReaderID=0"), WBEM_E_ACCESS_DENIED);
    ExpectOneFinalStatus(*m_sink, WBEM_E_ACCESS_DENIED);
    EXPECT_EQ(Method(L"Bnt_TestReader.PanelID=1,ReaderID=0", L"Pulse"), WBEM_E_ACCESS_DENIED);
    ExpectOneFinalStatus(*m_sink, WBEM_E_ACCESS_DENIED);
    EXPECT_EQ(Control().putCalls + Control().deleteCalls + Control().methodCalls, 0);
}

}  // namespace
}  // namespace instancetest
