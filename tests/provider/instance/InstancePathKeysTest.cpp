// Keyed object paths: a path names one instance only when its keys are exactly the key
// properties of its class; any other key set is an invalid path on every entry point that
// takes an instance path, before a mapper is built or the database is touched.
#include "framework/CWmipObjectPath.h"
#include "provider/CWmipRequestEnvelope.h"
#include "tests/provider/instance/InstanceProviderTestSupport.h"

namespace instancetest {
namespace {

// Paths of the two-key reader class that do not name exactly PanelID and ReaderID.
constexpr const wchar_t* kWrongKeyPaths[] = {
    L"Bnt_TestReader.PanelID=1",
    L"Bnt_TestReader.ReaderID=0",
    L"Bnt_TestReader.Description=\"Lobby entry\"",
    L"Bnt_TestReader.PanelID=1,ReaderID=0,Description=\"Lobby entry\"",
    L"Bnt_TestReader.PanelID=1,Colour=0",
    L"Bnt_TestReader.PanelID=1,PanelID=1",
    L"Bnt_TestReader.PanelID=1,panelid=1",
};

// Parses through an envelope that reports to nobody.
bool Parses(const wchar_t* text)
{
    const CString argument(text != nullptr ? text : L"");
    CWmipRequestEnvelope envelope(L"ParsePath", argument, nullptr, nullptr, nullptr, nullptr);
    const bool parsed = envelope.ParsePath(text);
    EXPECT_EQ(parsed, envelope.Path() != nullptr) << text;
    return parsed;
}

TEST(InstancePathKeys, ParsePathAcceptsOnlyTheExactKeySetOfAKeyedClass)
{
    const struct
    {
        const wchar_t* path;
        bool parses;
    } cases[] = {
        // Every key once, in any order, names compared without regard to case.
        {L"Bnt_TestReader.PanelID=1,ReaderID=0", true},
        {L"Bnt_TestReader.ReaderID=0,PanelID=1", true},
        {L"Bnt_TestReader.panelid=1,READERID=0", true},
        {L"bnt_testreader.PanelID=1,ReaderID=0", true},
        {L"\\\\.\\root\\bnt:Bnt_TestReader.PanelID=1,ReaderID=0", true},
        // Paths without keys are left to the entry point.
        {L"Bnt_TestReader", true},
        {L"Bnt_TestReader=@", true},
        // Classes that cannot be judged.
        {L"Bnt_TestReaderLog.PanelID=1", true},
        {L"Bnt_TestReaderLog.Description=\"Lobby entry\"", true},
        {L"Bnt_NoSuchClass.ID=1", true},
        // Key sets that are not the class's.
        {kWrongKeyPaths[0], false},
        {kWrongKeyPaths[1], false},
        {kWrongKeyPaths[2], false},
        {kWrongKeyPaths[3], false},
        {kWrongKeyPaths[4], false},
        {kWrongKeyPaths[5], false},
        {kWrongKeyPaths[6], false},
        // Text that does not parse at all.
        {L"Bnt_TestReader.PanelID=\"1", false},
        {nullptr, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Parses(c.path), c.parses) << (c.path != nullptr ? c.path : L"(null)");
}

TEST(InstancePathKeys, KeySetIsJudgedByNameNotByCount)
{
    // A path built by the system is judged like one read from text.
    CWmipObjectPath path(kReaderClass);
    ASSERT_TRUE(path.AddKey(L"PanelID", 1));
    ASSERT_TRUE(path.AddKey(L"Description", L"Lobby entry"));
    EXPECT_FALSE(Parses(path.GetPath()));
    CWmipObjectPath full(kReaderClass);
    ASSERT_TRUE(full.AddKey(L"READERID", 0));
    ASSERT_TRUE(full.AddKey(L"panelid", 1));
    EXPECT_TRUE(Parses(full.GetPath()));
}

class InstancePath : public ProviderTest
{
protected:
    HRESULT Get(const wchar_t* path)
    {
        m_sink = MakeComObject<RecordingSink>();
        Text text(path);
        return m_provider.GetObjectAsync(text, 0, nullptr, m_sink.Get());
    }

    HRESULT Delete(const wchar_t* path)
    {
        m_sink = MakeComObject<RecordingSink>();
        Text text(path);
        return m_provider.DeleteInstanceAsync(text, 0, nullptr, m_sink.Get());
    }

    HRESULT Method(const wchar_t* path)
    {
        m_sink = MakeComObject<RecordingSink>();
        Text text(path);
        Text name(L"Pulse");
        return m_provider.ExecMethodAsync(text, name, 0, nullptr, nullptr, m_sink.Get());
    }
};

TEST_F(InstancePath, FullKeyPathFindsItsInstanceWhateverTheCaseOrOrderOfTheNames)
{
    for (const wchar_t* path : {L"Bnt_TestReader.PanelID=2,ReaderID=1", L"Bnt_TestReader.ReaderID=1,PanelID=2",
                                L"Bnt_TestReader.PANELID=2,readerid=1"})
    {
        EXPECT_EQ(Get(path), WBEM_S_NO_ERROR) << path;
        ExpectOneFinalStatus(*m_sink, WBEM_S_NO_ERROR);
        const auto objects = m_sink->Objects();
        ASSERT_EQ(objects.size(), 1u) << path;
        EXPECT_EQ(NumberOf(objects[0].Get(), L"PanelID"), 2) << path;
        EXPECT_EQ(NumberOf(objects[0].Get(), L"ReaderID"), 1) << path;

        EXPECT_EQ(Delete(path), WBEM_S_NO_ERROR) << path;
        EXPECT_EQ(Method(path), WBEM_S_NO_ERROR) << path;
    }
    EXPECT_EQ(Control().deleteCalls, 3);
    EXPECT_EQ(Control().methodCalls, 3);
}

TEST_F(InstancePath, WrongKeySetIsAnInvalidPathOnEveryEntryPointBeforeAnyMapper)
{
    for (const wchar_t* path : kWrongKeyPaths)
    {
        // A read may name part of the keys: it answers the first instance that matches them.
        if (path == kWrongKeyPaths[0] || path == kWrongKeyPaths[1])
        {
            EXPECT_EQ(Get(path), WBEM_S_NO_ERROR) << path;
            ExpectOneFinalStatus(*m_sink, WBEM_S_NO_ERROR);
            EXPECT_EQ(m_sink->Objects().size(), 1u) << path;
        }
        else
        {
            EXPECT_EQ(Get(path), WBEM_E_INVALID_OBJECT_PATH) << path;
            const StatusCall status = ExpectOneFinalStatus(*m_sink, WBEM_E_INVALID_OBJECT_PATH);
            EXPECT_NE(status.statusObject, nullptr) << path;
            EXPECT_TRUE(m_sink->Objects().empty()) << path;
        }

        EXPECT_EQ(Delete(path), WBEM_E_INVALID_OBJECT_PATH) << path;
        ExpectOneFinalStatus(*m_sink, WBEM_E_INVALID_OBJECT_PATH);

        EXPECT_EQ(Method(path), WBEM_E_INVALID_OBJECT_PATH) << path;
        ExpectOneFinalStatus(*m_sink, WBEM_E_INVALID_OBJECT_PATH);
        EXPECT_TRUE(m_sink->Objects().empty()) << path;
    }
    EXPECT_EQ(Control().deleteCalls, 0);
    EXPECT_EQ(Control().methodCalls, 0);
}

TEST(InstancePathKeys, AReadMayNameSomeKeysButNeverAPropertyThatIsNoKey)
{
    const struct
    {
        const wchar_t* path;
        bool parses;
    } cases[] = {
        {L"Bnt_TestReader.PanelID=1,ReaderID=0", true},
        {kWrongKeyPaths[0], true},
        {kWrongKeyPaths[1], true},
        {L"Bnt_TestReader.readerid=0", true},
        {kWrongKeyPaths[2], false},
        {kWrongKeyPaths[3], false},
        {kWrongKeyPaths[4], false},
        {kWrongKeyPaths[5], false},
        {kWrongKeyPaths[6], false},
    };
    for (const auto& c : cases)
    {
        CWmipRequestEnvelope envelope(L"ParsePath", CString(c.path), nullptr, nullptr, nullptr, nullptr);
        EXPECT_EQ(envelope.ParsePath(c.path, CWmipRequestEnvelope::KeyRule::kSomeKeys), c.parses) << c.path;
    }
}

TEST_F(InstancePath, WrongKeySetOfARefusedCallerIsRefused)
{
    // As for a path that cannot be parsed, the caller is checked before the path is answered.
    CallAs(kNoProviderRightSid);
    EXPECT_EQ(Get(L"Bnt_TestReader.PanelID=1"), WBEM_E_ACCESS_DENIED);
    ExpectOneFinalStatus(*m_sink, WBEM_E_ACCESS_DENIED);
    EXPECT_EQ(Delete(L"Bnt_TestReader.PanelID=1"), WBEM_E_ACCESS_DENIED);
    EXPECT_EQ(Method(L"Bnt_TestReader.PanelID=1"), WBEM_E_ACCESS_DENIED);
}

TEST_F(InstancePath, ClassWithoutKeyPropertiesTakesAnyKeyedPathAsBefore)
{
    EXPECT_EQ(Get(L"Bnt_TestReaderLog.Description=\"Dock exit\""), WBEM_S_NO_ERROR);
    const auto objects = m_sink->Objects();
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(NumberOf(objects[0].Get(), L"PanelID"), 2);
    EXPECT_EQ(NumberOf(objects[0].Get(), L"ReaderID"), 1);

    EXPECT_EQ(Get(L"Bnt_TestReaderLog.PanelID=9"), WBEM_E_NOT_FOUND);
    EXPECT_EQ(Delete(L"Bnt_TestReaderLog.PanelID=1"), WBEM_S_NO_ERROR);
    EXPECT_EQ(Control().lastDeletedClass, kKeylessReaderClass);
    EXPECT_EQ(Method(L"Bnt_TestReaderLog.ReaderID=0"), WBEM_S_NO_ERROR);
    // Still no instance without keys.
    EXPECT_EQ(Delete(kKeylessReaderClass), WBEM_E_INVALID_OBJECT_PATH);
}

TEST_F(InstancePath, SingletonPathKeepsItsRoads)
{
    // Without keys it names the class: its definition, a static method, and nothing to delete.
    EXPECT_EQ(Get(L"Bnt_TestReader=@"), WBEM_S_NO_ERROR);
    ASSERT_EQ(m_sink->Objects().size(), 1u);
    EXPECT_EQ(StringOf(m_sink->Objects()[0].Get(), L"__CLASS"), kReaderClass);
    EXPECT_EQ(Method(L"Bnt_TestReader=@"), WBEM_S_NO_ERROR);
    EXPECT_EQ(Control().methodCalls, 1);
    EXPECT_EQ(Delete(L"Bnt_TestReader=@"), WBEM_E_INVALID_OBJECT_PATH);
    EXPECT_EQ(Control().deleteCalls, 0);
}

}  // namespace
}  // namespace instancetest
