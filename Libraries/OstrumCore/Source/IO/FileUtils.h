// File-system helpers: existence and type tests, removal, directory creation, path splitting,
// full paths, file times and sizes, recursive removal and path lists.
//
// Paths are split at the platform's separator ("/"), with "\" as the fallback for texts
// written with the other one. A symbolic link counts as a file: it is removed itself, never
// what it points to. Static functions, safe from any thread (the recursive removal scans with
// a PathScanner of its own).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ostrum::utils {
class Time;
}  // namespace ostrum::utils

namespace ostrum::io {

class FileUtils
{
public:
    FileUtils() = delete;

    static bool exists(const std::string& path);
    static bool isFile(const std::string& path);
    static bool isDirectory(const std::string& path);
    // Removes a file or link, or an empty directory; false otherwise.
    static bool remove(const std::string& path);
    // Creates one directory level.
    static bool makeDirectory(const std::string& path);
    static bool getModificationTime(const std::string& path, utils::Time& out);
    // The size in bytes (64-bit); false, with "could not get size of file: " logged on the
    // logger "FileUtils", when the file cannot be opened.
    static bool getFileSize(const std::string& path, int64_t& size);
    // The absolute form of path (relative to the working directory, "." and ".." resolved
    // by name); false for an empty path or one that does not fit PATH_MAX.
    static bool getFullPath(std::string& out, const std::string& path);

    // directory gets everything up to and including the last separator, name the rest; a
    // path ending in a separator is all directory. Outputs not assigned keep their values.
    static bool splitPath(const std::string& path, std::string& directory, std::string& name);
    // First the text before the first ":" becomes the drive (without the colon).
    static bool splitPath(const std::string& path, std::string& drive, std::string& directory, std::string& name);
    // The name is then split at its last ".": baseName before it, extension from it on.
    static bool splitPath(const std::string& path, std::string* drive, std::string* directory, std::string* baseName,
                          std::string* extension);
    // Appends the non-empty entries of a list separated by the platform's list separator.
    static bool splitPathList(const std::string& list, std::vector<std::string>& out);

    // Removes a directory and everything below it; links inside are removed, never followed.
    // False at the first entry that cannot be removed, or when path is no directory.
    static bool removeDirectoryRecursive(const std::string& path);
};

}  // namespace ostrum::io
