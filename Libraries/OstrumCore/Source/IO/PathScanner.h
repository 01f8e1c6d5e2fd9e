// Walks a directory tree and collects records of its directories and files.
//
// The walk opens directories by path and never changes the process's working directory, so
// scans may run on several threads at once (each scanner on one thread). A symbolic link is
// recorded as a file and never followed, so a walk stays inside the tree it was given.
// Records are kept in the order found: a directory precedes its own entries, and entries of
// one directory come in name order.
#pragma once

#include "Libraries/OstrumCore/Source/Utils/Time.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ostrum::io {

class PathScanner
{
public:
    struct DirectoryRecord
    {
        std::string name;
        // The prefix, relative to the scanned root, of the directory that holds this one;
        // empty at the top.
        std::string path;
    };

    struct FileRecord
    {
        std::string name;
        // The path relative to the scanned root: the prefix, a separator and the name.
        std::string path;
        int64_t size = 0;
        utils::Time modificationTime;
    };

    PathScanner() = default;
    PathScanner(const PathScanner&) = delete;
    PathScanner& operator=(const PathScanner&) = delete;
    virtual ~PathScanner() = default;

    // Appends the records of root (the current directory when empty) and, with recursive,
    // of every directory below it. std::runtime_error "invalid local root direcctory" when the
    // root cannot be listed, "invalid local sub-direcctory" when a directory below it cannot.
    void scan(const std::string& root, bool recursive);

    const std::vector<DirectoryRecord>& getDirectories() const;
    const std::vector<FileRecord>& getFiles() const;

private:
    void walk(const std::string& directory, const std::string& prefix, bool recursive);

    std::vector<DirectoryRecord> m_directories;
    std::vector<FileRecord> m_files;
};

}  // namespace ostrum::io
