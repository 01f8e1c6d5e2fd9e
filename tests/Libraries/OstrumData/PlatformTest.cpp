// Platform information, folders, proxy settings, the language tag and the two monitors.
#include "Libraries/OstrumCore/Source/IO/MemoryOutputStream.h"
#include "Libraries/OstrumCore/Source/Net/InetSocketAddress.h"
#include "Libraries/OstrumCore/Source/Platform/CpuInfo.h"
#include "Libraries/OstrumCore/Source/Platform/DiskMonitor.h"
#include "Libraries/OstrumCore/Source/Platform/LanguageEncoding.h"
#include "Libraries/OstrumCore/Source/Platform/MemoryInfo.h"
#include "Libraries/OstrumCore/Source/Platform/OsInfo.h"
#include "Libraries/OstrumCore/Source/Platform/PerformanceMonitor.h"
#include "Libraries/OstrumCore/Source/Platform/Platform.h"
#include "Libraries/OstrumCore/Source/Utils/Time.h"
#include "StreamTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

using ostrum::Platform;

namespace {

template <typename Info>
std::string Xml(const Info& info, bool element)
{
    ostrum::io::MemoryOutputStream out;
    EXPECT_EQ(info.writeXml(&out, element), 0);
    return ostrum_test::TextOf(out);
}

// Sets an environment variable for one test and puts the old value back.
class ScopedEnvironment
{
public:
    ScopedEnvironment(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
        {
            m_old = old;
        }
        if (value != nullptr)
        {
            ::setenv(name, value, 1);
        }
        else
        {
            ::unsetenv(name);
        }
    }
    ~ScopedEnvironment()
    {
        if (m_old)
        {
            ::setenv(m_name, m_old->c_str(), 1);
        }
        else
        {
            ::unsetenv(m_name);
        }
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(PlatformInfo, UndetectedRecordsSayNotReady)
{
    EXPECT_EQ(Xml(ostrum::MemoryInfo(false), true), "<MemoryInfo ready=\"false\" />");
    EXPECT_EQ(Xml(ostrum::MemoryInfo(false), false), " ready=\"false\"");
    EXPECT_EQ(Xml(ostrum::CpuInfo(false), true), "<CpuInfo ready=\"false\" />");
    EXPECT_EQ(Xml(ostrum::OsInfo(false), true), "<OsInfo ready=\"false\" />");
}

TEST(PlatformInfo, DetectedRecordsDescribeThisMachine)
{
    const ostrum::MemoryInfo memory(true);
    ASSERT_TRUE(memory.ready);
    EXPECT_GT(memory.physicalTotal, 0u);
    EXPECT_LE(memory.physicalAvailable, memory.physicalTotal);
    EXPECT_EQ(Xml(memory, true).rfind("<MemoryInfo physicalTotal=\"", 0), 0u);

    const ostrum::OsInfo os(true);
    ASSERT_TRUE(os.ready);
    EXPECT_EQ(os.name.rfind("Linux ", 0), 0u);
    EXPECT_NE(Xml(os, true).find(" name=\"Linux "), std::string::npos);

    const ostrum::CpuInfo cpu(true);
    EXPECT_TRUE(cpu.ready);
    const std::string xml = Xml(cpu, true);
    if (cpu.cpuidAvailable)
    {
        EXPECT_EQ(cpu.vendor.size(), 12u);
        EXPECT_NE(xml.find(" vendor=\"" + cpu.vendor + "\""), std::string::npos);
        EXPECT_NE(xml.find(" hyperthreading=\""), std::string::npos);
    }
    EXPECT_EQ(xml.substr(xml.size() - 3), " />");
}

TEST(Platform, ErrorTextsSeparatorsAndPaths)
{
    EXPECT_EQ(Platform::formatError(2).rfind("errCode=0x00000002 : ", 0), 0u);
    EXPECT_GT(Platform::formatError(2).size(), std::string("errCode=0x00000002 : ").size());
    EXPECT_EQ(Platform::getPathSeparator(), "/");
    EXPECT_EQ(Platform::getPathListSeparator(), ":");
    EXPECT_NE(Platform::getModulePath().find("test_ostrum_data"), std::string::npos);
    EXPECT_EQ(Platform::getCurrentDirectory(), std::filesystem::current_path().string());
    // The default build embeds no version: the text is empty, as for a program without one.
    EXPECT_EQ(Platform::getVersionString(), "");
}

TEST(Platform, FoldersFollowTheXdgSettings)
{
    ScopedEnvironment home("HOME", "/home/tester");
    ScopedEnvironment config("XDG_CONFIG_HOME", "/etc/not-there");
    ScopedEnvironment cache("XDG_CACHE_HOME", nullptr);
    ScopedEnvironment data("XDG_DATA_HOME", "relative/ignored");
    ScopedEnvironment temporary("TMPDIR", "/var/tmp");
    EXPECT_EQ(Platform::getFolder(Platform::Temporary), "/var/tmp");
    EXPECT_EQ(Platform::getFolder(Platform::InternetCache), "/home/tester/.cache");
    EXPECT_EQ(Platform::getFolder(Platform::ApplicationData), "/etc/not-there");
    EXPECT_EQ(Platform::getFolder(Platform::LocalApplicationData), "/home/tester/.local/share");
    EXPECT_EQ(Platform::getFolder(Platform::Fonts), "/home/tester/.local/share/fonts");
    EXPECT_EQ(Platform::getFolder(Platform::Desktop), "/home/tester/Desktop");
    EXPECT_EQ(Platform::getFolder(Platform::Pictures), "/home/tester/Pictures");
    EXPECT_EQ(Platform::getFolder(11), "");
    EXPECT_EQ(Platform::getFolder(-1), "");
}

TEST(Platform, UserDirectoriesFileIsRead)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "ostrum-xdg-test";
    std::filesystem::create_directories(dir);
    {
        std::ofstream dirs(dir / "user-dirs.dirs");
        dirs << "# comment\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\nXDG_MUSIC_DIR=\"/srv/music\"\n";
    }
    ScopedEnvironment home("HOME", "/home/tester");
    ScopedEnvironment config("XDG_CONFIG_HOME", dir.c_str());
    EXPECT_EQ(Platform::getFolder(Platform::DesktopDirectory), "/home/tester/Schreibtisch");
    EXPECT_EQ(Platform::getFolder(Platform::Music), "/srv/music");
    EXPECT_EQ(Platform::getFolder(Platform::Videos), "/home/tester/Videos");
    std::filesystem::remove_all(dir);
}

TEST(Platform, ProxySettings)
{
    ScopedEnvironment upper("HTTP_PROXY", nullptr);
    bool enabled = false;
    ostrum::net::InetSocketAddress proxy;
    {
        ScopedEnvironment lower("http_proxy", "  proxyhost:8080 ");
        ASSERT_TRUE(Platform::getProxySettings(&enabled, &proxy));
        EXPECT_TRUE(enabled);
        EXPECT_EQ(proxy.getHostName(), "proxyhost");
        EXPECT_EQ(proxy.getPort(), 8080);
        EXPECT_TRUE(proxy.isUnresolved());
    }
    {
        ScopedEnvironment lower("http_proxy", "http://proxyhost/");
        ASSERT_TRUE(Platform::getProxySettings(&enabled, &proxy));
        EXPECT_EQ(proxy.getHostName(), "proxyhost");
        EXPECT_EQ(proxy.getPort(), 80);
    }
    {
        ScopedEnvironment lower("http_proxy", "proxyhost:99999");
        EXPECT_FALSE(Platform::getProxySettings(&enabled, &proxy));
    }
    ScopedEnvironment lower("http_proxy", nullptr);
    EXPECT_FALSE(Platform::getProxySettings(&enabled, &proxy));
}

TEST(LanguageEncoding, TagsFromLocaleNames)
{
    EXPECT_EQ(ostrum::LanguageEncoding::tagOfLocale("de_DE.UTF-8"), "de-DE");
    EXPECT_EQ(ostrum::LanguageEncoding::tagOfLocale("sr_RS@latin"), "sr-RS");
    EXPECT_EQ(ostrum::LanguageEncoding::tagOfLocale("C.UTF-8"), "");
    EXPECT_EQ(ostrum::LanguageEncoding::tagOfLocale("POSIX"), "");
    EXPECT_EQ(ostrum::LanguageEncoding::tagOfLocale("verylonglanguage_XX"), "");
    {
        ScopedEnvironment all("LC_ALL", "fr_CA.UTF-8");
        EXPECT_EQ(ostrum::LanguageEncoding().getLanguage(), "fr-CA");
    }
    ScopedEnvironment all("LC_ALL", "C");
    ostrum::LanguageEncoding language;
    EXPECT_EQ(language.getLanguage(), "en-US");
    EXPECT_TRUE(language.setLanguage("it-IT"));
    EXPECT_EQ(language.getLanguage(), "it-IT");
}

TEST(Monitors, PerformanceAndDiskFiguresAreRead)
{
    ostrum::PerformanceMonitor performance;
    performance.update(ostrum::utils::Time(true), 0);
    EXPECT_EQ(performance.getProcessLoad(), 0.0f);
    performance.update(ostrum::utils::Time(true), 1000);
    EXPECT_GE(performance.getSystemLoad(), 0.0f);
    EXPECT_LE(performance.getSystemLoad(), 1.0f);
    uint64_t total = 0;
    uint64_t available = 0;
    uint64_t process = 0;
    EXPECT_TRUE(performance.getMemory(&total, &available, &process));
    EXPECT_GT(total, 0u);
    EXPECT_GT(process, 0u);
    EXPECT_TRUE(performance.getMemory(nullptr, nullptr, nullptr));

    ostrum::DiskMonitor disk;
    ASSERT_TRUE(disk.init());
    uint64_t size = 0;
    uint64_t free = 0;
    uint64_t mine = 0;
    EXPECT_TRUE(disk.getSpace(&size, &free, &mine));
    EXPECT_GT(size, 0u);
    EXPECT_LE(free, size);
    EXPECT_LE(mine, free);
}

}  // namespace
