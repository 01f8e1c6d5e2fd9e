#include "Libraries/OstrumCore/Source/IO/PathScanner.h"

#include "Libraries/OstrumCore/Source/IO/PathSeparators.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <stdexcept>

namespace ostrum::io {

namespace {

constexpr const char* kInvalidRoot = "invalid local root direcctory";
constexpr const char* kInvalidSubDirectory = "invalid local sub-direcctory";

struct DirCloser
{
    void operator()(DIR* dir) const { ::closedir(dir); }
};

std::string join(const std::string& prefix, const std::string& name)
{
    return prefix.empty() ? name : prefix + kPathSeparator + name;
}

}  // namespace

void PathScanner::scan(const std::string& root, bool recursive)
{
    walk(root.empty() ? std::string(".") : root, std::string(), recursive);
}

const std::vector<PathScanner::DirectoryRecord>& PathScanner::getDirectories() const
{
    return m_directories;
}

const std::vector<PathScanner::FileRecord>& PathScanner::getFiles() const
{
    return m_files;
}

void PathScanner::walk(const std::string& directory, const std::string& prefix, bool recursive)
{
    std::vector<std::string> names;
    {
        std::unique_ptr<DIR, DirCloser> listing(::opendir(directory.c_str()));
        if (!listing)
        {
            throw std::runtime_error(prefix.empty() ? kInvalidRoot : kInvalidSubDirectory);
        }
        while (const dirent* entry = ::readdir(listing.get()))
        {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
            {
                names.push_back(name);
            }
        }
    }
    std::sort(names.begin(), names.end());

    std::vector<std::string> subdirectories;
    for (const std::string& name : names)
    {
        struct stat status
        {
        };
        if (::lstat((directory + kPathSeparator + name).c_str(), &status) != 0)
        {
            continue;
        }
        if (S_ISDIR(status.st_mode))
        {
            m_directories.push_back(DirectoryRecord{name, prefix});
            subdirectories.push_back(name);
            continue;
        }
        FileRecord record;
        record.name = name;
        record.path = join(prefix, name);
        record.size = static_cast<int64_t>(status.st_size);
        record.modificationTime.setMillis(static_cast<int64_t>(status.st_mtime) * 1000);
        m_files.push_back(std::move(record));
    }
    if (!recursive)
    {
        return;
    }
    for (const std::string& name : subdirectories)
    {
        walk(directory + kPathSeparator + name, join(prefix, name), true);
    }
}

}  // namespace ostrum::io
