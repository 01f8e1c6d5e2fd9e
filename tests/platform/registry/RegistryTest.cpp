#include "TemporaryHome.h"

#include "platform/registry/Registry.h"
#include "platform/registry/RegistryFile.h"

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr const wchar_t* kProductKey = L"SOFTWARE\\Brontel\\Ivarune";

class Registry : public TemporaryHome
{
protected:
    // Opens a key below HKEY_LOCAL_MACHINE; null when it failed (with the error in m_error).
    HKEY Open(const wchar_t* path, REGSAM access = KEY_READ)
    {
        HKEY key = nullptr;
        m_error = RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, access, &key);
        m_opened.push_back(key);
        return key;
    }

    HKEY Create(const wchar_t* path)
    {
        HKEY key = nullptr;
        m_error = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr);
        m_opened.push_back(key);
        return key;
    }

    LSTATUS SetText(HKEY key, const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ)
    {
        return RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }

    LSTATUS SetNumber(HKEY key, const wchar_t* name, DWORD value)
    {
        return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    }

    // The text of a string value, or the error's number in brackets.
    std::wstring QueryText(HKEY key, const wchar_t* name)
    {
        wchar_t buffer[256] = {};
        DWORD size = sizeof(buffer);
        DWORD type = REG_NONE;
        const LSTATUS error = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
        if (error != ERROR_SUCCESS)
            return L"[" + std::to_wstring(error) + L"]";
        return buffer;
    }

    void TearDown() override
    {
        for (HKEY key : m_opened)
        {
            if (key != nullptr)
                RegCloseKey(key);
        }
        TemporaryHome::TearDown();
    }

    LSTATUS m_error = ERROR_SUCCESS;
    std::vector<HKEY> m_opened;
};

}  // namespace

TEST_F(Registry, MissingFileKeyAndValueAnswerFileNotFound)
{
    HKEY key = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_READ, &key),
              static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(key, nullptr);

    WriteFile("registry.ini", "[SOFTWARE\\Brontel\\Ivarune]\nInstallPath=sz:/opt/provixa\n");
    EXPECT_EQ(Open(L"SOFTWARE\\Brontel\\Ivarune\\Corvessa"), nullptr);
    EXPECT_EQ(m_error, static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND));
    HKEY product = Open(kProductKey);
    ASSERT_NE(product, nullptr);
    DWORD value = 7;
    DWORD size = sizeof(value);
    EXPECT_EQ(RegQueryValueExW(product, L"InstallInProgress", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
              static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(value, 7u);
    // Parents of a key exist through it.
    EXPECT_NE(Open(L"SOFTWARE\\Brontel"), nullptr);
}

TEST_F(Registry, ValuesRoundTripThroughTheDocumentedFormat)
{
    HKEY key = Create(kProductKey);
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(SetNumber(key, L"DefaultKeyLength", 30), static_cast<LSTATUS>(ERROR_SUCCESS));
    ASSERT_EQ(SetText(key, L"ProductVersion", L"6.2.0"), static_cast<LSTATUS>(ERROR_SUCCESS));
    ASSERT_EQ(SetText(key, L"LogFilePath", L"%PROVIXA_HOME%\\logs", REG_EXPAND_SZ),
              static_cast<LSTATUS>(ERROR_SUCCESS));
    EXPECT_EQ(ReadFile("registry.ini"), "[SOFTWARE\\Brontel\\Ivarune]\n"
                                        "DefaultKeyLength=dword:0000001e\n"
                                        "ProductVersion=sz:6.2.0\n"
                                        "LogFilePath=expand_sz:%PROVIXA_HOME%\\logs\n");

    DWORD type = REG_NONE;
    DWORD number = 0;
    DWORD size = sizeof(number);
    EXPECT_EQ(RegQueryValueExW(key, L"DefaultKeyLength", nullptr, &type, reinterpret_cast<BYTE*>(&number), &size),
              static_cast<LSTATUS>(ERROR_SUCCESS));
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(number, 30u);
    EXPECT_EQ(size, sizeof(DWORD));
    // Expandable strings are handed out unexpanded, with their type.
    EXPECT_EQ(QueryText(key, L"LogFilePath"), L"%PROVIXA_HOME%\\logs");
    EXPECT_EQ(RegQueryValueExW(key, L"LogFilePath", nullptr, &type, nullptr, nullptr),
              static_cast<LSTATUS>(ERROR_SUCCESS));
    EXPECT_EQ(type, REG_EXPAND_SZ);
}

TEST_F(Registry, StringSizesCountBytesWithTheTerminator)
{
    HKEY key = Create(kProductKey);
    SetText(key, L"ProductVersion", L"6.2.0");
    const DWORD needed = 6 * sizeof(wchar_t);

    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(key, L"ProductVersion", nullptr, nullptr, nullptr, &size),
              static_cast<LSTATUS>(ERROR_SUCCESS));
    EXPECT_EQ(size, needed);

    wchar_t shortBuffer[5] = {L'x', L'x', L'x', L'x', L'x'};
    size = sizeof(shortBuffer);
    DWORD type = REG_NONE;
    EXPECT_EQ(RegQueryValueExW(key, L"ProductVersion", nullptr, &type, reinterpret_cast<BYTE*>(shortBuffer), &size),
              static_cast<LSTATUS>(ERROR_MORE_DATA));
    EXPECT_EQ(size, needed);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(shortBuffer[0], L'x');

    wchar_t exact[6] = {};
    size = sizeof(exact);
    EXPECT_EQ(RegQueryValueExW(key, L"ProductVersion", nullptr, nullptr, reinterpret_cast<BYTE*>(exact), &size),
              static_cast<LSTATUS>(ERROR_SUCCESS));
    EXPECT_STREQ(exact, L"6.2.0");

    EXPECT_EQ(RegQueryValueExW(key, L"ProductVersion", nullptr, nullptr, reinterpret_cast<BYTE*>(exact), nullptr),
              static_cast<LSTATUS>(ERROR_INVALID_PARAMETER));
}

TEST_F(Registry, WrongTypeIsReportedNotConverted)
{
    HKEY key = Create(kProductKey);
    SetText(key, L"DatabaseTimeout", L"30");
    DWORD number = 0xAAAAAAAA;
    DWORD size = sizeof(number);
    DWORD type = REG_NONE;
    EXPECT_EQ(RegQueryValueExW(key, L"DatabaseTimeout", nullptr, &type, reinterpret_cast<BYTE*>(&number), &size),
              static_cast<LSTATUS>(ERROR_MORE_DATA));
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(number, 0xAAAAAAAAu);
}

TEST_F(Registry, SetRejectsSizesAndTypesTheFileCannotHold)
{
    HKEY key = Create(kProductKey);
    const BYTE bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    const std::pair<DWORD, DWORD> rejected[] = {{REG_DWORD, 3}, {REG_DWORD, 8}, {REG_SZ, 3}, {REG_EXPAND_SZ, 6}};
    for (const auto& [type, size] : rejected)
    {
        EXPECT_EQ(RegSetValueExW(key, L"Bad", 0, type, bytes, size), static_cast<LSTATUS>(ERROR_INVALID_PARAMETER))
            << type << " " << size;
    }
    EXPECT_EQ(RegSetValueExW(key, L"Bad", 0, 3 /* REG_BINARY */, bytes, 8), static_cast<LSTATUS>(ERROR_NOT_SUPPORTED));
    EXPECT_EQ(RegSetValueExW(key, L"Bad", 0, REG_SZ, nullptr, 8), static_cast<LSTATUS>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(RegQueryValueExW(key, L"Bad", nullptr, nullptr, nullptr, nullptr),
              static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND));
    // A text without its terminator is stored whole; one with an early terminator ends there.
    const std::wstring unterminated = L"abc";
    EXPECT_EQ(RegSetValueExW(key, L"Text", 0, REG_SZ, reinterpret_cast<const BYTE*>(unterminated.data()),
                             3 * sizeof(wchar_t)),
              static_cast<LSTATUS>(ERROR_SUCCESS));
    EXPECT_EQ(QueryText(key, L"Text"), L"abc");
    const wchar_t early[] = {L'a', L'\0', L'b', L'\0'};
    RegSetValueExW(key, L"Text", 0, REG_SZ, reinterpret_cast<const BYTE*>(early), sizeof(early));
    EXPECT_EQ(QueryText(key, L"Text"), L"a");
}

TEST_F(Registry, KeyPathsAndValueNamesIgnoreCase)
{
    WriteFile("registry.ini", "[SOFTWARE\\Brontel\\Ivarune\\Corvessa]\n"
                              "AuthenticatedTokenTimeout=dword:00000008\n");
    HKEY key = Open(L"software\\BRONTEL\\ivarune\\corvessa", KEY_ALL_ACCESS);
    ASSERT_NE(key, nullptr);
    DWORD value = 0;
    DWORD size = sizeof(value);
    EXPECT_EQ(
        RegQueryValueExW(key, L"AUTHENTICATEDTOKENTIMEOUT", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
        static_cast<LSTATUS>(ERROR_SUCCESS));
    EXPECT_EQ(value, 8u);
    // Writing through a differently-cased name replaces the value in place.
    SetNumber(key, L"authenticatedtokentimeout", 12);
    EXPECT_EQ(ReadFile("registry.ini"), "[SOFTWARE\\Brontel\\Ivarune\\Corvessa]\n"
                                        "authenticatedtokentimeout=dword:0000000c\n");
}

TEST_F(Registry, CreateKeepsTheCaseOfExistingParentsAndReportsDisposition)
{
    WriteFile("registry.ini", "[SOFTWARE\\Brontel\\Ivarune]\n");
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"software\\brontel\\ivarune\\Fluxmere", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, &disposition),
              static_cast<LSTATUS>(ERROR_SUCCESS));
    m_opened.push_back(key);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    EXPECT_EQ(ReadFile("registry.ini"), "[SOFTWARE\\Brontel\\Ivarune]\n\n[SOFTWARE\\Brontel\\Ivarune\\Fluxmere]\n");
    HKEY again = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\BRONTEL\\IVARUNE\\FLUXMERE", 0, nullptr, 0, KEY_READ,
                              nullptr, &again, &disposition),
              static_cast<LSTATUS>(ERROR_SUCCESS));
    m_opened.push_back(again);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
}

TEST_F(Registry, BadPathsAndHandlesAreRefused)
{
    const wchar_t* const badPaths[] = {L"\\SOFTWARE", L"SOFTWARE\\", L"SOFTWARE\\\\Brontel"};
    for (const wchar_t* path : badPaths)
    {
        EXPECT_EQ(Open(path), nullptr);
        EXPECT_EQ(m_error, static_cast<LSTATUS>(ERROR_INVALID_PARAMETER)) << path;
    }
    const std::wstring tooLong(256, L'k');
    EXPECT_EQ(Create(tooLong.c_str()), nullptr);
    EXPECT_EQ(m_error, static_cast<LSTATUS>(ERROR_INVALID_PARAMETER));

    HKEY key = Create(kProductKey);
    ASSERT_EQ(RegCloseKey(key), static_cast<LSTATUS>(ERROR_SUCCESS));
    m_opened.clear();
    const HKEY bad[] = {key, nullptr, reinterpret_cast<HKEY>(0x1234)};
    for (HKEY handle : bad)
    {
        EXPECT_EQ(RegCloseKey(handle), static_cast<LSTATUS>(ERROR_INVALID_HANDLE));
        EXPECT_EQ(SetNumber(handle, L"X", 1), static_cast<LSTATUS>(ERROR_INVALID_HANDLE));
        EXPECT_EQ(RegQueryValueExW(handle, L"X", nullptr, nullptr, nullptr, nullptr),
                  static_cast<LSTATUS>(ERROR_INVALID_HANDLE));
    }
}

TEST_F(Registry, ReadOnlyHandlesCannotWrite)
{
    Create(kProductKey);
    HKEY readOnly = Open(kProductKey, KEY_READ | KEY_WOW64_32KEY);
    ASSERT_NE(readOnly, nullptr);
    EXPECT_EQ(SetNumber(readOnly, L"InstallInProgress", 1), static_cast<LSTATUS>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(RegDeleteValueW(readOnly, L"InstallInProgress"), static_cast<LSTATUS>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(SetNumber(HKEY_LOCAL_MACHINE, L"AtTheRoot", 1), static_cast<LSTATUS>(ERROR_ACCESS_DENIED));
    HKEY writeOnly = Open(kProductKey, KEY_SET_VALUE);
    EXPECT_EQ(RegQueryValueExW(writeOnly, L"X", nullptr, nullptr, nullptr, nullptr),
              static_cast<LSTATUS>(ERROR_ACCESS_DENIED));
}

TEST_F(Registry, MalformedFilesAnswerBadKeyAndAreNeverOverwritten)
{
    const std::string malformed[] = {
        "InstallInProgress=dword:00000001\n",                 // value before any section
        "[SOFTWARE\\Brontel\\Ivarune]\nInstallInProgress\n",  // line without "="
        "[SOFTWARE\\Brontel\\Ivarune\nA=sz:x\n",              // unterminated section
        "[]\n",                                               // empty key path
        "[SOFTWARE\\\\Brontel]\n",                            // empty path component
        "[SOFTWARE\\Brontel]\nbad^qname=sz:x\n",              // bad escape in a name
        "[SOFTWARE\\Brontel^]\n",                             // escape at the end of a path
    };
    for (const std::string& text : malformed)
    {
        WriteFile("registry.ini", text);
        HKEY key = reinterpret_cast<HKEY>(1);
        EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE", 0, KEY_READ, &key), static_cast<LSTATUS>(ERROR_BADKEY))
            << text;
        EXPECT_EQ(key, nullptr);
        EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
                  static_cast<LSTATUS>(ERROR_BADKEY));
        EXPECT_EQ(ReadFile("registry.ini"), text);
    }
}

TEST_F(Registry, MalformedValuesAnswerInvalidDataAndSurviveRewrites)
{
    const std::pair<const wchar_t*, std::string> values[] = {
        {L"NotHex", "dword:xyz"}, {L"TooLong", "dword:123456789"}, {L"Empty", "dword:"},
        {L"Signed", "dword:-1"},  {L"UnknownTag", "qword:1"},      {L"BadEscape", "sz:a^x"},
        {L"NoTag", "plain text"}, {L"Spaced", " dword:00000001"},
    };
    std::string text = "[SOFTWARE\\Brontel\\Ivarune]\nGood=dword:00000001\n";
    for (const auto& [name, data] : values)
        text += std::string(name, name + std::wcslen(name)) + "=" + data + "\n";
    WriteFile("registry.ini", text);

    HKEY key = Open(kProductKey, KEY_ALL_ACCESS);
    ASSERT_NE(key, nullptr);
    for (const auto& [name, data] : values)
    {
        EXPECT_EQ(RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr),
                  static_cast<LSTATUS>(ERROR_INVALID_DATA))
            << data;
    }
    DWORD good = 0;
    DWORD size = sizeof(good);
    EXPECT_EQ(RegQueryValueExW(key, L"Good", nullptr, nullptr, reinterpret_cast<BYTE*>(&good), &size),
              static_cast<LSTATUS>(ERROR_SUCCESS));
    EXPECT_EQ(good, 1u);

    ASSERT_EQ(SetNumber(key, L"Good", 2), static_cast<LSTATUS>(ERROR_SUCCESS));
    const std::string rewritten = ReadFile("registry.ini");
    for (const auto& [name, data] : values)
        EXPECT_NE(rewritten.find("=" + data + "\n"), std::string::npos) << data;
    EXPECT_NE(rewritten.find("Good=dword:00000002\n"), std::string::npos);
}

TEST_F(Registry, EscapedCharactersSurviveTheFile)
{
    HKEY key = Create(L"SOFTWARE\\Odd]Key;");
    const std::wstring text = L"line one\nline two\r^caret=[x];";
    ASSERT_EQ(SetText(key, L"[name=with;specials]", text), static_cast<LSTATUS>(ERROR_SUCCESS));
    ASSERT_EQ(SetText(key, L"", L"default"), static_cast<LSTATUS>(ERROR_SUCCESS));
    const std::optional<RegistryFile> parsed = RegistryFile::Parse(ReadFile("registry.ini"));
    ASSERT_TRUE(parsed);
    const RegistryKey* section = parsed->FindKey(L"software\\odd]key;");
    ASSERT_NE(section, nullptr);
    ASSERT_NE(section->FindValue(L"[NAME=WITH;SPECIALS]"), nullptr);
    EXPECT_EQ(section->FindValue(L"[name=with;specials]")->m_text, text);
    EXPECT_EQ(QueryText(key, L"[name=with;specials]"), text);
    EXPECT_EQ(QueryText(key, nullptr), L"default");
    // Nothing written can break a line: the file has one line per section and value.
    EXPECT_EQ(ReadFile("registry.ini"), "[SOFTWARE\\Odd^]Key^;]\n"
                                        "^[name^=with^;specials^]=sz:line one^nline two^r^^caret=[x];\n"
                                        "=sz:default\n");
}

TEST_F(Registry, EnumeratesValuesInFileOrderAndSubkeysByName)
{
    WriteFile("registry.ini", "[SOFTWARE\\Brontel\\Ivarune]\n"
                              "Zeta=dword:00000001\nalpha=sz:text\nBad=dword:zz\n"
                              "[SOFTWARE\\Brontel\\Ivarune\\vexlet]\n"
                              "[SOFTWARE\\Brontel\\Ivarune\\Corvessa\\Deep]\n"
                              "[SOFTWARE\\Brontel\\Ivarune\\Fluxmere]\n"
                              "[SOFTWARE\\Brontel\\Ivarune!]\n");
    HKEY key = Open(kProductKey);
    ASSERT_NE(key, nullptr);
    std::vector<std::wstring> names;
    std::vector<LSTATUS> results;
    for (DWORD index = 0;; ++index)
    {
        wchar_t name[64] = {};
        DWORD chars = 64;
        DWORD size = 0;
        const LSTATUS result = RegEnumValueW(key, index, name, &chars, nullptr, nullptr, nullptr, &size);
        if (result == static_cast<LSTATUS>(ERROR_NO_MORE_ITEMS))
            break;
        names.emplace_back(name);
        results.push_back(result);
    }
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Zeta", L"alpha", L"Bad"}));
    EXPECT_EQ(results, (std::vector<LSTATUS>{0, 0, static_cast<LSTATUS>(ERROR_INVALID_DATA)}));

    wchar_t shortName[3] = {};
    DWORD chars = 3;
    EXPECT_EQ(RegEnumValueW(key, 0, shortName, &chars, nullptr, nullptr, nullptr, nullptr),
              static_cast<LSTATUS>(ERROR_MORE_DATA));
    EXPECT_EQ(chars, 5u);

    names.clear();
    for (DWORD index = 0;; ++index)
    {
        wchar_t name[64] = {};
        DWORD nameChars = 64;
        const LSTATUS result = RegEnumKeyExW(key, index, name, &nameChars, nullptr, nullptr, nullptr, nullptr);
        if (result != static_cast<LSTATUS>(ERROR_SUCCESS))
        {
            EXPECT_EQ(result, static_cast<LSTATUS>(ERROR_NO_MORE_ITEMS));
            break;
        }
        EXPECT_EQ(nameChars, std::wcslen(name));
        names.emplace_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Corvessa", L"Fluxmere", L"vexlet"}));

    HKEY noEnumerate = Open(kProductKey, KEY_QUERY_VALUE);
    wchar_t name[64] = {};
    DWORD nameChars = 64;
    EXPECT_EQ(RegEnumKeyExW(noEnumerate, 0, name, &nameChars, nullptr, nullptr, nullptr, nullptr),
              static_cast<LSTATUS>(ERROR_ACCESS_DENIED));
}

TEST_F(Registry, DeleteValueRemovesOnlyThatValue)
{
    HKEY key = Create(kProductKey);
    SetNumber(key, L"A", 1);
    SetNumber(key, L"B", 2);
    EXPECT_EQ(RegDeleteValueW(key, L"a"), static_cast<LSTATUS>(ERROR_SUCCESS));
    EXPECT_EQ(RegDeleteValueW(key, L"A"), static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(ReadFile("registry.ini"), "[SOFTWARE\\Brontel\\Ivarune]\nB=dword:00000002\n");
}

TEST_F(Registry, ChangesOnDiskAreSeenAndVanishedKeysReported)
{
    WriteFile("registry.ini", "[SOFTWARE\\Brontel\\Ivarune]\nProductVersion=sz:1\n");
    HKEY key = Open(kProductKey);
    EXPECT_EQ(QueryText(key, L"ProductVersion"), L"1");
    WriteFile("registry.ini", "[SOFTWARE\\Brontel\\Ivarune]\nProductVersion=sz:2.0\n");
    EXPECT_EQ(QueryText(key, L"ProductVersion"), L"2.0");
    WriteFile("registry.ini", "[SOFTWARE\\Other]\n");
    EXPECT_EQ(QueryText(key, L"ProductVersion"), L"[" + std::to_wstring(ERROR_KEY_DELETED) + L"]");
}

TEST_F(Registry, ConcurrentReadersNeverSeeATornWrite)
{
    HKEY writerKey = Create(kProductKey);
    SetText(writerKey, L"Text", std::wstring(40, L'a'));
    SetNumber(writerKey, L"Count", 0);
    std::atomic<bool> done{false};
    std::atomic<int> failures{0};
    std::vector<std::thread> readers;
    for (int index = 0; index < 3; ++index)
    {
        readers.emplace_back([&] {
            HKEY key = nullptr;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_READ, &key) != 0)
            {
                ++failures;
                return;
            }
            while (!done)
            {
                wchar_t text[64] = {};
                DWORD size = sizeof(text);
                if (RegQueryValueExW(key, L"Text", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size) != 0)
                    ++failures;
                const std::wstring value(text);
                if (value.size() != 40 || value.find_first_not_of(value[0]) != std::wstring::npos)
                    ++failures;
            }
            RegCloseKey(key);
        });
    }
    // Another reader checks the file itself: the rename never exposes a partial file.
    readers.emplace_back([&] {
        while (!done)
        {
            const std::string bytes = ReadFile("registry.ini");
            if (!RegistryFile::Parse(bytes) || bytes.find("Count=") == std::string::npos)
                ++failures;
        }
    });
    for (int step = 1; step <= 100; ++step)
    {
        ASSERT_EQ(SetText(writerKey, L"Text", std::wstring(40, static_cast<wchar_t>(L'a' + step % 26))),
                  static_cast<LSTATUS>(ERROR_SUCCESS));
        ASSERT_EQ(SetNumber(writerKey, L"Count", static_cast<DWORD>(step)), static_cast<LSTATUS>(ERROR_SUCCESS));
    }
    done = true;
    for (auto& reader : readers)
        reader.join();
    EXPECT_EQ(failures.load(), 0);
    DWORD count = 0;
    DWORD size = sizeof(count);
    RegQueryValueExW(writerKey, L"Count", nullptr, nullptr, reinterpret_cast<BYTE*>(&count), &size);
    EXPECT_EQ(count, 100u);
}

TEST_F(Registry, ExpandsEnvironmentReferences)
{
    ::setenv("PROVIXA_TEST_ROOT", "/srv/provixa", 1);
    ::unsetenv("PROVIXA_TEST_UNSET");
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"%PROVIXA_TEST_ROOT%\\logs", L"/srv/provixa\\logs"},
        {L"%PROVIXA_TEST_UNSET%\\logs", L"%PROVIXA_TEST_UNSET%\\logs"},
        {L"a%PROVIXA_TEST_UNSET%PROVIXA_TEST_ROOT%", L"a%PROVIXA_TEST_UNSET%PROVIXA_TEST_ROOT%"},
        {L"100%", L"100%"},
        {L"%%", L"%%"},
        {L"%PROVIXA_TEST_ROOT%%PROVIXA_TEST_ROOT%", L"/srv/provixa/srv/provixa"},
        {L"", L""},
    };
    for (const auto& [source, expected] : cases)
    {
        wchar_t buffer[128] = {};
        const DWORD needed = ExpandEnvironmentStringsW(source, buffer, 128);
        EXPECT_STREQ(buffer, expected) << source;
        EXPECT_EQ(needed, std::wcslen(expected) + 1);
    }
    wchar_t tiny[4] = {L'x', L'x', L'x', L'x'};
    EXPECT_EQ(ExpandEnvironmentStringsW(L"%PROVIXA_TEST_ROOT%", tiny, 4), 13u);
    EXPECT_EQ(tiny[0], L'x');
    EXPECT_EQ(ExpandEnvironmentStringsW(nullptr, tiny, 4), 0u);

    // An expansion past the Windows limit is refused rather than grown without bound.
    ::setenv("PROVIXA_TEST_BIG", std::string(1000, 'b').c_str(), 1);
    std::wstring many;
    for (int index = 0; index < 100; ++index)
        many += L"%PROVIXA_TEST_BIG%";
    EXPECT_EQ(ExpandEnvironmentStringsW(many.c_str(), nullptr, 0), 0u);
    ::unsetenv("PROVIXA_TEST_BIG");
    ::unsetenv("PROVIXA_TEST_ROOT");
}
