#include "Libraries/OstrumCore/Source/Platform/Platform.h"

#include "Libraries/OstrumCore/Source/Net/InetSocketAddress.h"
#include "Libraries/OstrumCore/Source/Net/NetUtils.h"
#include "Libraries/OstrumCore/Source/IO/PathSeparators.h"
#include "Libraries/OstrumCore/Source/Utils/LogLevel.h"
#include "Libraries/OstrumCore/Source/Utils/Logger.h"
#include "Libraries/OstrumCore/Source/Utils/StringUtils.h"

#include <unistd.h>

#include <charconv>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

// The version the build embeds (see Libraries/OstrumCore/CMakeLists.txt); none by default.
#ifndef PROVIXA_BUILD_VERSION
#define PROVIXA_BUILD_VERSION ""
#endif

namespace ostrum {

namespace {

// "major.minor.build.revision" of one to four numbers of 0..65535 (the missing ones 0); empty
// when the text is empty or not such a version.
std::string fourPartVersion(std::string_view text)
{
    if (text.empty())
    {
        return {};
    }
    std::string version;
    int parts = 0;
    for (std::size_t start = 0;;)
    {
        const std::size_t dot = text.find('.', start);
        const std::string_view piece = text.substr(start, dot == std::string_view::npos ? dot : dot - start);
        unsigned number = 0;
        const auto [end, error] = std::from_chars(piece.data(), piece.data() + piece.size(), number);
        if (piece.empty() || error != std::errc() || end != piece.data() + piece.size() || number > 0xFFFF ||
            ++parts > 4)
        {
            return {};
        }
        version += (parts > 1 ? "." : "") + std::to_string(number);
        if (dot == std::string_view::npos)
        {
            break;
        }
        start = dot + 1;
    }
    for (; parts < 4; ++parts)
    {
        version += ".0";
    }
    return version;
}

using utils::StringUtils;
using utils::logging::Logger;
using utils::logging::LogLevel;

constexpr const char* kBlanks = " \t\n\r\f";
constexpr int32_t kDefaultProxyPort = 80;

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// An XDG base directory: the variable when it holds an absolute path, else home + fallback.
std::string baseDirectory(const char* variable, const std::string& home, const char* fallback)
{
    const std::string value = environment(variable);
    if (!value.empty() && value.front() == '/')
    {
        return value;
    }
    return home.empty() ? std::string() : home + "/" + fallback;
}

// A user directory from user-dirs.dirs (XDG_DESKTOP_DIR="$HOME/Desktop"), else home + fallback.
std::string userDirectory(const char* key, const std::string& home, const char* fallback)
{
    if (home.empty())
    {
        return {};
    }
    std::ifstream dirs(baseDirectory("XDG_CONFIG_HOME", home, ".config") + "/user-dirs.dirs");
    const std::string prefix = std::string(key) + "=";
    std::string line;
    while (std::getline(dirs, line))
    {
        const std::string entry = StringUtils::trim(line, kBlanks);
        if (entry.rfind(prefix, 0) != 0)
        {
            continue;
        }
        std::string value = entry.substr(prefix.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        {
            value = value.substr(1, value.size() - 2);
        }
        if (value.rfind("$HOME", 0) == 0)
        {
            value = home + value.substr(5);
        }
        if (!value.empty() && value.front() == '/')
        {
            return value;
        }
    }
    return home + "/" + fallback;
}

void logPlatformError(const char* message)
{
    OSTRUM_LOG(Logger::getLogger("Platform"), LogLevel::ERROR, message);
}

}  // namespace

std::string Platform::formatError(uint32_t code)
{
    char buffer[256] = {};
    const char* text = ::strerror_r(static_cast<int>(code), buffer, sizeof buffer);
    return StringUtils::format("errCode=0x%08X : ", code) + (text != nullptr ? text : "");
}

std::string Platform::formatLastError()
{
    return formatError(static_cast<uint32_t>(errno));
}

std::string Platform::getPathSeparator()
{
    return std::string(1, kPathSeparator);
}

std::string Platform::getPathListSeparator()
{
    return std::string(1, kPathListSeparator);
}

std::string Platform::getVersionString()
{
    static const std::string version = fourPartVersion(PROVIXA_BUILD_VERSION);
    return version;
}

std::string Platform::getModulePath()
{
    std::error_code error;
    const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

std::string Platform::getCurrentDirectory()
{
    std::error_code error;
    const std::filesystem::path path = std::filesystem::current_path(error);
    return error ? std::string() : path.string();
}

std::string Platform::getFolder(int kind)
{
    const std::string home = environment("HOME");
    switch (kind)
    {
    case DesktopDirectory:
    case Desktop:
        return userDirectory("XDG_DESKTOP_DIR", home, "Desktop");
    case Documents:
        return userDirectory("XDG_DOCUMENTS_DIR", home, "Documents");
    case Fonts: {
        const std::string data = baseDirectory("XDG_DATA_HOME", home, ".local/share");
        return data.empty() ? data : data + "/fonts";
    }
    case ApplicationData:
        return baseDirectory("XDG_CONFIG_HOME", home, ".config");
    case Music:
        return userDirectory("XDG_MUSIC_DIR", home, "Music");
    case Videos:
        return userDirectory("XDG_VIDEOS_DIR", home, "Videos");
    case Pictures:
        return userDirectory("XDG_PICTURES_DIR", home, "Pictures");
    case Temporary: {
        std::error_code error;
        const std::filesystem::path temporary = std::filesystem::temp_directory_path(error);
        return error ? std::string() : temporary.string();
    }
    case LocalApplicationData:
        return baseDirectory("XDG_DATA_HOME", home, ".local/share");
    case InternetCache:
        return baseDirectory("XDG_CACHE_HOME", home, ".cache");
    default:
        return {};
    }
}

bool Platform::getProxySettings(bool* enabled, net::InetSocketAddress* proxy)
{
    std::string server = environment("http_proxy");
    if (server.empty())
    {
        server = environment("HTTP_PROXY");
    }
    server = StringUtils::trim(server, kBlanks);
    if (server.empty())
    {
        logPlatformError("Could not read ProxyServer from registry to determine proxy settings.");
        return false;
    }
    if (enabled != nullptr)
    {
        *enabled = true;
    }
    std::string scheme;
    std::string host;
    std::string path;
    int32_t port = kDefaultProxyPort;
    if (!net::NetUtils::splitUrlWithPort(server, scheme, host, port, path) || port < 0 || port > 65535)
    {
        logPlatformError("Could not read ProxyServer from registry to determine proxy settings.");
        return false;
    }
    if (proxy != nullptr)
    {
        *proxy = net::InetSocketAddress(host, static_cast<uint16_t>(port), true);
    }
    return true;
}

}  // namespace ostrum
