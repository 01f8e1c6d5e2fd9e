#include "Libraries/OstrumCore/Source/IO/FileUtils.h"

#include "Libraries/OstrumCore/Source/IO/FileInputStream.h"
#include "Libraries/OstrumCore/Source/IO/IOException.h"
#include "Libraries/OstrumCore/Source/IO/PathScanner.h"
#include "Libraries/OstrumCore/Source/IO/PathSeparators.h"
#include "Libraries/OstrumCore/Source/Utils/LogLevel.h"
#include "Libraries/OstrumCore/Source/Utils/Logger.h"
#include "Libraries/OstrumCore/Source/Utils/StringTokenizer.h"
#include "Libraries/OstrumCore/Source/Utils/Time.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

namespace ostrum::io {

namespace {

using utils::logging::Logger;
using utils::logging::LogLevel;

constexpr char kFallbackSeparator = '\\';

// The status of the entry itself (a link is not followed); false when it cannot be read.
bool entryStatus(const std::string& path, struct stat& status)
{
    return ::lstat(path.c_str(), &status) == 0;
}

bool pathStatus(const std::string& path, struct stat& status)
{
    return ::stat(path.c_str(), &status) == 0;
}

}  // namespace

bool FileUtils::exists(const std::string& path)
{
    struct stat status
    {
    };
    return pathStatus(path, status);
}

bool FileUtils::isFile(const std::string& path)
{
    struct stat status
    {
    };
    return pathStatus(path, status) && S_ISREG(status.st_mode);
}

bool FileUtils::isDirectory(const std::string& path)
{
    struct stat status
    {
    };
    return pathStatus(path, status) && S_ISDIR(status.st_mode);
}

bool FileUtils::remove(const std::string& path)
{
    struct stat status
    {
    };
    if (!entryStatus(path, status))
    {
        return false;
    }
    if (S_ISDIR(status.st_mode))
    {
        return ::rmdir(path.c_str()) == 0;
    }
    if (S_ISREG(status.st_mode) || S_ISLNK(status.st_mode))
    {
        return ::unlink(path.c_str()) == 0;
    }
    return false;
}

bool FileUtils::makeDirectory(const std::string& path)
{
    return ::mkdir(path.c_str(), 0777) == 0;
}

bool FileUtils::getModificationTime(const std::string& path, utils::Time& out)
{
    struct stat status
    {
    };
    if (!pathStatus(path, status))
    {
        return false;
    }
    out.setMillis(static_cast<int64_t>(status.st_mtime) * 1000);
    return true;
}

bool FileUtils::getFileSize(const std::string& path, int64_t& size)
{
    size = 0;
    struct stat status
    {
    };
    try
    {
        FileInputStream file(path, false);
        if (!pathStatus(path, status))
        {
            throw IOException();
        }
    }
    catch (const IOException&)
    {
        OSTRUM_LOG(Logger::getLogger("FileUtils"), LogLevel::ERROR, "could not get size of file: " << path);
        return false;
    }
    size = static_cast<int64_t>(status.st_size);
    return true;
}

bool FileUtils::getFullPath(std::string& out, const std::string& path)
{
    if (path.empty())
    {
        return false;
    }
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error)
    {
        return false;
    }
    const std::string full = absolute.lexically_normal().string();
    if (full.size() >= PATH_MAX)
    {
        return false;
    }
    out = full;
    return true;
}

bool FileUtils::splitPath(const std::string& path, std::string& directory, std::string& name)
{
    if (!path.empty() && (path.back() == kPathSeparator || path.back() == kFallbackSeparator))
    {
        directory = path;
        return true;
    }
    std::size_t separator = path.rfind(kPathSeparator);
    if (separator == std::string::npos)
    {
        separator = path.rfind(kFallbackSeparator);
    }
    if (separator == std::string::npos)
    {
        name = path;
        return true;
    }
    directory = path.substr(0, separator + 1);
    name = path.substr(separator + 1);
    return true;
}

bool FileUtils::splitPath(const std::string& path, std::string& drive, std::string& directory, std::string& name)
{
    const std::size_t colon = path.find(':');
    if (colon == std::string::npos)
    {
        return splitPath(path, directory, name);
    }
    drive = path.substr(0, colon);
    return splitPath(path.substr(colon + 1), directory, name);
}

bool FileUtils::splitPath(const std::string& path, std::string* drive, std::string* directory, std::string* baseName,
                          std::string* extension)
{
    std::string driveText = drive != nullptr ? *drive : std::string();
    std::string directoryText = directory != nullptr ? *directory : std::string();
    std::string name;
    splitPath(path, driveText, directoryText, name);
    if (drive != nullptr)
    {
        *drive = driveText;
    }
    if (directory != nullptr)
    {
        *directory = directoryText;
    }
    const std::size_t dot = name.rfind('.');
    if (baseName != nullptr)
    {
        *baseName = dot == std::string::npos ? name : name.substr(0, dot);
    }
    if (extension != nullptr && dot != std::string::npos)
    {
        *extension = name.substr(dot);
    }
    return true;
}

bool FileUtils::splitPathList(const std::string& list, std::vector<std::string>& out)
{
    utils::StringTokenizer entries(list, std::string(1, kPathListSeparator));
    while (entries.hasMoreTokens())
    {
        out.push_back(entries.nextToken());
    }
    return true;
}

bool FileUtils::removeDirectoryRecursive(const std::string& path)
{
    struct stat status
    {
    };
    if (!entryStatus(path, status) || !S_ISDIR(status.st_mode))
    {
        return false;
    }
    const std::string base = path.back() == kPathSeparator ? path : path + kPathSeparator;
    PathScanner scanner;
    try
    {
        scanner.scan(path, true);
    }
    catch (const std::runtime_error&)
    {
        return false;
    }
    for (const PathScanner::FileRecord& file : scanner.getFiles())
    {
        if (!remove(base + file.path))
        {
            return false;
        }
    }
    const auto& directories = scanner.getDirectories();
    for (auto it = directories.rbegin(); it != directories.rend(); ++it)
    {
        const std::string prefix = it->path.empty() ? std::string() : it->path + kPathSeparator;
        if (!remove(base + prefix + it->name))
        {
            return false;
        }
    }
    return remove(path);
}

}  // namespace ostrum::io
