#include "common/CBntRegistry.h"

#include "common/RegAccess.h"
#include "tests/common/TestEnvironment.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr char kInstallation[] = "[SOFTWARE\\Brontel\\Ivarune]\n"
                                 "InstalledProductName=sz:Ivarune Access\n"
                                 "ProductVersion=sz:6.2.0\n"
                                 "InstallInProgress=dword:00000001\n"
                                 "LogFilePath=expand_sz:%PROVIXA_TEST_ROOT%\\logs\n"
                                 "Short=sz:\n"
                                 "[SOFTWARE\\Brontel\\Ivarune\\Corvessa]\n"
                                 "AuthenticatedTokenTimeout=dword:0000000c\n"
                                 "[SOFTWARE\\Brontel\\Ivarune\\Fluxmere]\n"
                                 "DatabaseTimeout=dword:0000001e\n";

TEST(BntRegistry, ReadsPresentValuesOfTheDefaultKey)
{
    support::TemporaryHome home;
    home.WriteFile("registry.ini", kInstallation);
    ScopedEnvironmentVariable root("PROVIXA_TEST_ROOT", "/srv/ivarune");
    for (const wchar_t* subKey : {static_cast<const wchar_t*>(nullptr), L""})
    {
        CBntRegistry registry(true, subKey);
        ASSERT_TRUE(registry.IsOpen());
        CString text;
        EXPECT_TRUE(registry.GetStringValue(L"ProductVersion", text));
        EXPECT_EQ(CString(L"6.2.0"), text);
        EXPECT_TRUE(registry.GetStringValue(L"LogFilePath", text, false));
        EXPECT_EQ(CString(L"/srv/ivarune\\logs"), text);
        DWORD number = 0;
        EXPECT_TRUE(registry.GetDWORDValue(L"InstallInProgress", &number));
        EXPECT_EQ(1u, number);
    }
}

TEST(BntRegistry, MissingKeysAndValuesLeaveOutputsAlone)
{
    support::TemporaryHome home;
    home.WriteFile("registry.ini", kInstallation);
    CBntRegistry registry(true, CBntRegistry::kDefaultKey);
    CString text(L"unchanged");
    DWORD number = 77;
    EXPECT_FALSE(registry.GetStringValue(L"NoSuchValue", text));
    EXPECT_FALSE(registry.GetDWORDValue(L"NoSuchValue", &number));
    // A value of the other type is not read as this one.
    EXPECT_FALSE(registry.GetStringValue(L"InstallInProgress", text));
    EXPECT_FALSE(registry.GetDWORDValue(L"ProductVersion", &number));
    EXPECT_EQ(CString(L"unchanged"), text);
    EXPECT_EQ(77u, number);

    CBntRegistry missing(true, L"SOFTWARE\\Brontel\\Ivarune\\Nowhere");
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_FALSE(missing.GetDWORDValue(L"DatabaseTimeout", number));
    EXPECT_FALSE(missing.GetStringValue(L"ProductVersion", text));
    EXPECT_EQ(77u, number);
}

TEST(BntRegistry, NoRegistryFileAtAll)
{
    support::TemporaryHome home;
    CBntRegistry registry(true, nullptr);
    EXPECT_FALSE(registry.IsOpen());
    EXPECT_TRUE(GetInstalledProductName().IsEmpty());
}

TEST(BntRegistry, OpenReplacesTheKeyAndFailureLeavesItClosed)
{
    support::TemporaryHome home;
    home.WriteFile("registry.ini", kInstallation);
    CBntRegistry registry(true);
    EXPECT_FALSE(registry.IsOpen());
    DWORD number = 0;
    ASSERT_TRUE(registry.Open(L"SOFTWARE\\Brontel\\Ivarune\\Fluxmere"));
    EXPECT_TRUE(registry.GetDWORDValue(L"DatabaseTimeout", number));
    EXPECT_EQ(30u, number);
    ASSERT_TRUE(registry.Open(L"SOFTWARE\\Brontel\\Ivarune\\Corvessa", HKEY_LOCAL_MACHINE));
    EXPECT_FALSE(registry.GetDWORDValue(L"DatabaseTimeout", number));
    EXPECT_TRUE(registry.GetDWORDValue(L"AuthenticatedTokenTimeout", number));
    EXPECT_EQ(12u, number);
    EXPECT_FALSE(registry.Open(L"SOFTWARE\\Nothing\\Here"));
    EXPECT_FALSE(registry.IsOpen());
    EXPECT_FALSE(registry.GetDWORDValue(L"AuthenticatedTokenTimeout", number));
}

TEST(BntRegistry, WritesNeedAWritableKey)
{
    support::TemporaryHome home;
    home.WriteFile("registry.ini", kInstallation);
    CBntRegistry reader(true, nullptr);
    EXPECT_FALSE(reader.SetDWORDValue(L"DefaultKeyLength", 40));
    EXPECT_FALSE(reader.SetStringValue(L"ProductVersion", L"7.0"));

    CBntRegistry writer(false, L"SOFTWARE\\Brontel\\Ivarune\\NewKey");
    ASSERT_TRUE(writer.IsOpen());
    EXPECT_TRUE(writer.SetDWORDValue(L"Number", 0xFFFFFFFFu));
    EXPECT_TRUE(writer.SetStringValue(L"Text", L"line one\nline two"));
    EXPECT_TRUE(writer.SetStringValue(L"Expand", L"%PROVIXA_TEST_ROOT%", true));

    ScopedEnvironmentVariable root("PROVIXA_TEST_ROOT", "/opt");
    CBntRegistry check(true, L"SOFTWARE\\Brontel\\Ivarune\\NewKey");
    DWORD number = 0;
    CString text;
    EXPECT_TRUE(check.GetDWORDValue(L"Number", &number));
    EXPECT_EQ(0xFFFFFFFFu, number);
    EXPECT_TRUE(check.GetStringValue(L"Text", text));
    EXPECT_EQ(CString(L"line one\nline two"), text);
    EXPECT_TRUE(check.GetStringValue(L"Expand", text));
    EXPECT_EQ(CString(L"/opt"), text);
}

TEST(BntRegistry, EnumeratesValuesAndSubKeys)
{
    support::TemporaryHome home;
    home.WriteFile("registry.ini", kInstallation);
    CBntRegistry registry(true, nullptr);
    std::set<std::string> values;
    CString name;
    for (DWORD i = 0; registry.EnumValueName(i, name); ++i)
        values.insert(CStringToUtf8(name));
    EXPECT_EQ(
        (std::set<std::string>{"InstalledProductName", "ProductVersion", "InstallInProgress", "LogFilePath", "Short"}),
        values);
    std::set<std::string> keys;
    for (DWORD i = 0; registry.EnumSubKeyName(i, name); ++i)
        keys.insert(CStringToUtf8(name));
    EXPECT_EQ((std::set<std::string>{"Corvessa", "Fluxmere"}), keys);
    CBntRegistry closed(true);
    name = L"kept";
    EXPECT_FALSE(closed.EnumValueName(0, name));
    EXPECT_EQ(CString(L"kept"), name);
}

TEST(BntRegistry, OverlongTextIsRefused)
{
    support::TemporaryHome home;
    home.WriteFile("registry.ini",
                   std::string("[SOFTWARE\\Brontel\\Ivarune]\nHuge=sz:") + std::string(100000, 'x') + "\n");
    CBntRegistry registry(true, nullptr);
    CString text(L"kept");
    EXPECT_FALSE(registry.GetStringValue(L"Huge", text));
    EXPECT_EQ(CString(L"kept"), text);
}

TEST(RegAccess, InstalledProductNameOrEmpty)
{
    support::TemporaryHome home;
    home.WriteFile("registry.ini", kInstallation);
    EXPECT_EQ(CString(L"Ivarune Access"), GetInstalledProductName());
    home.WriteFile("registry.ini", "[SOFTWARE\\Brontel\\Ivarune]\nProductVersion=sz:1\n");
    EXPECT_TRUE(GetInstalledProductName().IsEmpty());
    home.WriteFile("registry.ini", "this is not a registry file\n");
    EXPECT_TRUE(GetInstalledProductName().IsEmpty());
}

TEST(RegAccess, PassPhraseIsCreatedOnceAndKept)
{
    support::TemporaryHome home;
    CString first;
    ASSERT_TRUE(GetInstallationPassPhrase(L"TestPhrase", first));
    EXPECT_EQ(64, first.GetLength());
    CString second;
    ASSERT_TRUE(GetInstallationPassPhrase(L"TestPhrase", second));
    EXPECT_EQ(first, second);
    CString other;
    ASSERT_TRUE(GetInstallationPassPhrase(L"OtherPhrase", other));
    EXPECT_NE(first, other);
    EXPECT_NE(std::string::npos, home.ReadFile("registry.ini").find("[SOFTWARE\\Brontel\\Ivarune\\Crypto]"));
}

TEST(RegAccess, EmptyStoredPassPhraseIsRefusedNotReplaced)
{
    support::TemporaryHome home;
    home.WriteFile("registry.ini", "[SOFTWARE\\Brontel\\Ivarune\\Crypto]\nTestPhrase=sz:\n");
    CString phrase(L"kept");
    EXPECT_FALSE(GetInstallationPassPhrase(L"TestPhrase", phrase));
    EXPECT_EQ(CString(L"kept"), phrase);
    EXPECT_NE(std::string::npos, home.ReadFile("registry.ini").find("TestPhrase=sz:\n"));
}

TEST(RegAccess, ConcurrentFirstUseAgreesOnOnePhrase)
{
    support::TemporaryHome home;
    std::vector<CString> phrases(8);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < phrases.size(); ++i)
        threads.emplace_back([&, i] { GetInstallationPassPhrase(L"Shared", phrases[i]); });
    for (std::thread& thread : threads)
        thread.join();
    for (const CString& phrase : phrases)
    {
        EXPECT_EQ(64, phrase.GetLength());
        EXPECT_EQ(phrases[0], phrase);
    }
}

}  // namespace
