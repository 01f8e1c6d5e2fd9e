// The PROVIXA_HOME folder: the installation's registry file, profile files, logs and database.
//
// The folder is the environment variable PROVIXA_HOME when it is set and not empty, else
// "var" in the working directory. It is looked up on every call, so a test can give each case
// its own home; the path made from a PROVIXA_HOME text is kept until the text changes.
// Thread-safe as long as nobody changes the environment meanwhile.
#pragma once

#include <filesystem>
#include <string_view>
#include <system_error>

class ProvixaHome
{
public:
    // The folder, created (with its parents) when missing, for its owner only (0700): it holds
    // password hashes, device passwords and the field encryption phrase. A folder that cannot
    // be created is still returned, with *error (when given) the system's reason; the file
    // operation that uses it then fails with its own error.
    static std::filesystem::path Folder(std::error_code* error = nullptr);

    // Creates the folder and each missing folder above it for its owner only (0700), whatever
    // the umask; folders that exist already are left as they are. True when the folder exists
    // afterwards; false with *error (when given) set to why the folder could not be made.
    static bool CreatePrivateFolders(const std::filesystem::path& folder, std::error_code* error = nullptr);

    // Creates the file empty, readable and writable by its owner only (0600), when it does not
    // exist; an existing file is left as it is. True when the file exists afterwards.
    static bool CreatePrivateFile(const std::filesystem::path& file);

    // The folder Folder() names, without looking at the disk: for callers that run often and
    // create what they write themselves.
    static std::filesystem::path Location();

    // The PROVIXA_HOME text when it is set and not empty, else null; valid until the
    // environment changes.
    static const char* ConfiguredText();

    // The path of `name` in the folder (which is created as above). Backslashes in the name
    // are folder separators, as the Windows callers write them; an absolute name is returned
    // as it stands.
    static std::filesystem::path PathOf(std::wstring_view name);
};
