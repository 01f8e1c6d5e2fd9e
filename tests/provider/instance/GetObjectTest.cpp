// GetObjectAsync: instance paths through the mapper's enumeration, class paths through the
// class definition, and the caller checks of both roads.
#include "platform/wmi/IWbemQualifierSet.h"
#include "platform/wmi/WbemContext.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/DBConnectionManager.h"
#include "provider/CWmipApp.h"
#include "tests/provider/instance/InstanceProviderTestSupport.h"

namespace instancetest {
namespace {

constexpr const wchar_t* kNoUseMessage =
    L"The client does not have sufficient user permissions to perform the requested operation. The user does not "
    L"have permission to use Fluxmere.";
constexpr const wchar_t* kNotLinkedMessage =
    L"The client does not have access to use Fluxmere. The user account has not been linked.";

bool EndsWith(const std::wstring& text, const std::wstring& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool HasProperty(IWbemClassObject* object, const wchar_t* property)
{
    _variant_t value;
    return SUCCEEDED(object->Get(property, 0, &value, nullptr, nullptr));
}

class GetObject : public ProviderTest
{
protected:
    HRESULT Get(const wchar_t* path, IWbemContext* context = nullptr)
    {
        Text text(path);
        return m_provider.GetObjectAsync(text, 0, context, m_sink.Get());
    }
};

TEST_F(GetObject, KeyedPathIndicatesTheOneMatchingInstance)
{
    EXPECT_EQ(Get(L"Bnt_TestReader.PanelID=2,ReaderID=1"), WBEM_S_NO_ERROR);
    const StatusCall status = ExpectOneFinalStatus(*m_sink, WBEM_S_NO_ERROR);
    EXPECT_EQ(status.statusObject, nullptr);
    EXPECT_FALSE(status.hasText);
    const auto objects = m_sink->Objects();
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(NumberOf(objects[0].Get(), L"PanelID"), 2);
    EXPECT_EQ(NumberOf(objects[0].Get(), L"ReaderID"), 1);
    EXPECT_EQ(StringOf(objects[0].Get(), L"Description"), L"Dock exit");
}

TEST_F(GetObject, KeysMatchingSeveralRowsIndicateOnlyOne)
{
    // Only a class without key properties lets a keyed path match more than one row.
    EXPECT_EQ(Get(L"Bnt_TestReaderLog.PanelID=1"), WBEM_S_NO_ERROR);
    EXPECT_EQ(m_sink->Objects().size(), 1u);
}

TEST_F(GetObject, InstancePathResultsByCause)
{
    const struct
    {
        const wchar_t* path;
        HRESULT result;
        bool hasStatusObject;
    } cases[] = {
        {L"Bnt_TestReader.PanelID=9,ReaderID=9", WBEM_E_NOT_FOUND, false},
        {L"Bnt_NoSuchClass.ID=1", WBEM_E_INVALID_CLASS, false},
        {L"Bnt_TestReader.PanelID=\"1", WBEM_E_INVALID_OBJECT_PATH, true},
        {L"Bnt_TestReader.=1", WBEM_E_INVALID_OBJECT_PATH, true},
        {L"", WBEM_E_INVALID_OBJECT_PATH, true},
    };
    for (const auto& c : cases)
    {
        auto sink = MakeComObject<RecordingSink>();
        Text text(c.path);
        EXPECT_EQ(m_provider.GetObjectAsync(text, 0, nullptr, sink.Get()), c.result);
        const StatusCall status = ExpectOneFinalStatus(*sink, c.result);
        EXPECT_EQ(status.statusObject != nullptr, c.hasStatusObject);
        EXPECT_TRUE(sink->Objects().empty());
    }
}

TEST_F(GetObject, InstancePathOfCallerWithoutProviderRightIsAccessDenied)
{
    CallAs(kNoProviderRightSid);
    EXPECT_EQ(Get(L"Bnt_TestReader.PanelID=1,ReaderID=0"), WBEM_E_ACCESS_DENIED);
    ExpectOneFinalStatus(*m_sink, WBEM_E_ACCESS_DENIED);
    EXPECT_TRUE(EndsWith(m_sink->LastDescription(), kNoUseMessage)) << m_sink->LastDescription().c_str();
    EXPECT_TRUE(m_sink->Objects().empty());
}

TEST_F(GetObject, InstancePathOfUnlinkedCallerCarriesTheLinkMessage)
{
    CallAs(kStrangerSid);
    const HRESULT result = Get(L"Bnt_TestReader.PanelID=1,ReaderID=0");
    EXPECT_TRUE(FAILED(result));
    ExpectOneFinalStatus(*m_sink, result);
    EXPECT_TRUE(EndsWith(m_sink->LastDescription(), kNotLinkedMessage)) << m_sink->LastDescription().c_str();
}

TEST_F(GetObject, InstancePathOfCallerWithoutViewRightIsAccessDeniedWithoutStatusObject)
{
    CallAs(kNoViewRightSid);
    EXPECT_EQ(Get(L"Bnt_TestReader.PanelID=1,ReaderID=0"), WBEM_E_ACCESS_DENIED);
    const StatusCall status = ExpectOneFinalStatus(*m_sink, WBEM_E_ACCESS_DENIED);
    EXPECT_EQ(status.statusObject, nullptr);
}

TEST_F(GetObject, ClassPathIndicatesTheFullDefinition)
{
    EXPECT_EQ(Get(kReaderClass), WBEM_S_NO_ERROR);
    ExpectOneFinalStatus(*m_sink, WBEM_S_NO_ERROR);
    const auto objects = m_sink->Objects();
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_TRUE(HasProperty(objects[0].Get(), L"Description"));
    EXPECT_TRUE(HasQualifier(objects[0].Get(), L"Description", L"ValueMap"));
}

TEST_F(GetObject, ClassPathOfCallerWithoutProviderRightGetsTheShell)
{
    CallAs(kNoProviderRightSid);
    EXPECT_EQ(Get(kReaderClass), WBEM_S_NO_ERROR);
    ExpectOneFinalStatus(*m_sink, WBEM_S_NO_ERROR);
    const auto objects = m_sink->Objects();
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_FALSE(HasProperty(objects[0].Get(), L"Description"));
}

TEST_F(GetObject, ClassPathOfCallerWithoutViewRightIsSAccessDeniedWithNothingSent)
{
    CallAs(kNoViewRightSid);
    EXPECT_EQ(Get(kReaderClass), WBEM_S_ACCESS_DENIED);
    const StatusCall status = ExpectOneFinalStatus(*m_sink, WBEM_S_ACCESS_DENIED);
    EXPECT_EQ(status.statusObject, nullptr);
    EXPECT_TRUE(m_sink->Objects().empty());
}

TEST_F(GetObject, ShellOnlyIsHonouredOnlyForTheValueOne)
{
    const struct
    {
        VARIANT_BOOL value;
        bool shell;
    } cases[] = {{1, true}, {-1, false}, {0, false}};
    for (const auto& c : cases)
    {
        auto context = WbemContext::Create();
        _variant_t value;
        value.vt = VT_BOOL;
        value.boolVal = c.value;
        context->SetValue(L"ShellOnly", 0, &value);
        auto sink = MakeComObject<RecordingSink>();
        Text path(kReaderClass);
        EXPECT_EQ(m_provider.GetObjectAsync(path, 0, context.Get(), sink.Get()), WBEM_S_NO_ERROR);
        ASSERT_EQ(sink->Objects().size(), 1u);
        EXPECT_EQ(HasProperty(sink->Objects()[0].Get(), L"Description"), !c.shell) << c.value;

        // On an instance path the value changes nothing.
        auto instanceSink = MakeComObject<RecordingSink>();
        Text instancePath(L"Bnt_TestReader.PanelID=1,ReaderID=0");
        EXPECT_EQ(m_provider.GetObjectAsync(instancePath, 0, context.Get(), instanceSink.Get()), WBEM_S_NO_ERROR);
        ASSERT_EQ(instanceSink->Objects().size(), 1u);
        EXPECT_EQ(StringOf(instanceSink->Objects()[0].Get(), L"Description"), L"Lobby entry");
    }
}

TEST_F(GetObject, ClassPathNotFoundIsThrownWithItsStatusObject)
{
    EXPECT_EQ(Get(L"Bnt_NoSuchClass"), WBEM_E_NOT_FOUND);
    EXPECT_NE(ExpectOneFinalStatus(*m_sink, WBEM_E_NOT_FOUND).statusObject, nullptr);
    EXPECT_TRUE(m_sink->Objects().empty());

    Control().storesClassDefinition = TRUE;
    auto sink = MakeComObject<RecordingSink>();
    Text path(kReaderClass);
    EXPECT_EQ(m_provider.GetObjectAsync(path, 0, nullptr, sink.Get()), WBEM_E_NOT_FOUND);
    EXPECT_NE(ExpectOneFinalStatus(*sink, WBEM_E_NOT_FOUND).statusObject, nullptr);
    EXPECT_TRUE(sink->Objects().empty());
    EXPECT_EQ(Lives().Alive(), 0);

    // The early answer for "Bnt_Error" still carries none.
    auto errorSink = MakeComObject<RecordingSink>();
    Text error(L"Bnt_Error");
    EXPECT_EQ(m_provider.GetObjectAsync(error, 0, nullptr, errorSink.Get()), WBEM_E_NOT_FOUND);
    EXPECT_EQ(ExpectOneFinalStatus(*errorSink, WBEM_E_NOT_FOUND).statusObject, nullptr);
}

TEST_F(GetObject, BackDoorValueIsIgnoredWhileTheTrustCounterIsDown)
{
    // A caller without the provider right would be trusted by a valid value; with the counter
    // down even the last value drawn counts for nothing.
    CWmipApp::SetBackdoorEnabled(1);
    const LONG lastValue = CWmipApp::GetBackdoorValue();
    CWmipApp::SetBackdoorEnabled(0);
    CallAs(kNoProviderRightSid);
    auto context = WbemContext::Create();
    _variant_t value(static_cast<LONG>(lastValue));
    context->SetValue(L"BackDoor", 0, &value);
    EXPECT_EQ(Get(L"Bnt_TestReader.PanelID=1,ReaderID=0", context.Get()), WBEM_E_ACCESS_DENIED);

    // Raised, the current value makes the nested call trusted.
    CWmipApp::SetBackdoorEnabled(1);
    _variant_t current(static_cast<LONG>(CWmipApp::GetBackdoorValue()));
    context->SetValue(L"BackDoor", 0, &current);
    auto sink = MakeComObject<RecordingSink>();
    Text path(L"Bnt_TestReader.PanelID=1,ReaderID=0");
    const HRESULT trusted = m_provider.GetObjectAsync(path, 0, context.Get(), sink.Get());
    CWmipApp::SetBackdoorEnabled(0);
    EXPECT_EQ(trusted, WBEM_S_NO_ERROR);
    EXPECT_EQ(sink->Objects().size(), 1u);
}

TEST_F(GetObject, UnlinkedLocalSystemGetsTheClassWithoutValueListsFromACopy)
{
    // The definition the mapper hands out stands for one the class cache shares with every
    // caller: the qualifiers go from the copy that is sent, never from the shared one.
    Control().sharedClass = BuildReaderClass();
    CallAs(kLocalSystemSid);
    EXPECT_EQ(Get(kReaderClass), WBEM_S_NO_ERROR);
    ExpectOneFinalStatus(*m_sink, WBEM_S_NO_ERROR);
    const auto objects = m_sink->Objects();
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_NE(objects[0].Get(), Control().sharedClass.Get());
    EXPECT_TRUE(HasProperty(objects[0].Get(), L"Description"));
    EXPECT_FALSE(HasQualifier(objects[0].Get(), L"Description", L"ValueMap"));
    EXPECT_FALSE(HasQualifier(objects[0].Get(), L"Description", L"Values"));
    EXPECT_TRUE(HasQualifier(Control().sharedClass.Get(), L"Description", L"ValueMap"));
    EXPECT_TRUE(HasQualifier(Control().sharedClass.Get(), L"Description", L"Values"));
}

TEST_F(GetObject, UnlinkedLocalSystemIsRefusedOnAnInstancePath)
{
    CallAs(kLocalSystemSid);
    const HRESULT result = Get(L"Bnt_TestReader.PanelID=1,ReaderID=0");
    EXPECT_TRUE(FAILED(result));
    ExpectOneFinalStatus(*m_sink, result);
    EXPECT_TRUE(EndsWith(m_sink->LastDescription(), L"The client does not have access to use Fluxmere."));
    EXPECT_TRUE(m_sink->Objects().empty());
}

TEST_F(GetObject, LinkedPermittedSystemAccountKeepsTheValueLists)
{
    // Linked to the operator, whose groups grant the use of the provider, a system account passes
    // the check by itself: it is not marked as a system account, so nothing is removed. Network
    // Service stands for it, so that the provider's cached login of the linked account never
    // answers the tests of an unlinked Local System.
    LinkAccount(kNetworkServiceSid, 1);
    CallAs(kNetworkServiceSid);
    EXPECT_EQ(Get(kReaderClass), WBEM_S_NO_ERROR);
    ExpectOneFinalStatus(*m_sink, WBEM_S_NO_ERROR);
    const auto objects = m_sink->Objects();
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_TRUE(HasQualifier(objects[0].Get(), L"Description", L"ValueMap"));
    EXPECT_TRUE(HasQualifier(objects[0].Get(), L"Description", L"Values"));
}

}  // namespace
}  // namespace instancetest
