#include "platform/registry/ProvixaHome.h"

#include "platform/win32/ThreadSafety.h"
#include "platform/registry/WideText.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <mutex>
#include <string>
#include <system_error>

namespace {

// The path last made from a PROVIXA_HOME text: building a path costs more than comparing the
// text it came from.
class ConfiguredHome
{
public:
    std::filesystem::path PathOf(const char* configured)
    {
        const CheckedMutexLock guard(m_lock);
        if (m_text != configured)
        {
            // A relative home is taken from the working directory once, so that every file
            // below it (the profile files included) is named by one absolute path.
            std::error_code error;
            const std::filesystem::path absolute = std::filesystem::absolute(configured, error);
            m_folder = error ? std::filesystem::path(configured) : absolute;
            m_text = configured;
        }
        return m_folder;
    }

private:
    CheckedMutex m_lock;
    std::string m_text GUARDED_BY(m_lock);
    std::filesystem::path m_folder GUARDED_BY(m_lock);
};

ConfiguredHome& Configured()
{
    // Never destroyed: the destructors of process-wide objects still find the home.
    static ConfiguredHome* const home = new ConfiguredHome;
    return *home;
}

}  // namespace

const char* ProvixaHome::ConfiguredText()
{
    const char* configured = std::getenv("PROVIXA_HOME");
    return configured != nullptr && *configured != '\0' ? configured : nullptr;
}

std::filesystem::path ProvixaHome::Location()
{
    if (const char* configured = ConfiguredText())
        return Configured().PathOf(configured);
    // The working directory may change between calls: it is asked every time.
    std::error_code error;
    return std::filesystem::current_path(error) / "var";
}

std::filesystem::path ProvixaHome::Folder(std::error_code* error)
{
    std::filesystem::path folder = Location();
    CreatePrivateFolders(folder, error);
    return folder;
}

bool ProvixaHome::CreatePrivateFolders(const std::filesystem::path& folder, std::error_code* error)
{
    std::error_code ignored;
    if (folder.empty() || std::filesystem::is_directory(folder, ignored))
        return !folder.empty();
    const std::filesystem::path parent = folder.parent_path();
    if (parent != folder)
        CreatePrivateFolders(parent);
    // Made 0700 at once, so no other user can open it even for a moment; set again afterwards
    // because the umask may have taken bits of the owner's own.
    if (::mkdir(folder.c_str(), S_IRWXU) == 0)
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, std::filesystem::perm_options::replace,
                                     ignored);
    // What stands there is no folder (a file): the system says the name exists, a person needs
    // to hear that it is no folder.
    else if (error != nullptr)
        *error = std::error_code(errno == EEXIST ? ENOTDIR : errno, std::generic_category());
    return std::filesystem::is_directory(folder, ignored);
}

bool ProvixaHome::CreatePrivateFile(const std::filesystem::path& file)
{
    int fd = -1;
    do
    {
        fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0)
        ::close(fd);
    std::error_code error;
    return std::filesystem::exists(file, error);
}

std::filesystem::path ProvixaHome::PathOf(std::wstring_view name)
{
    std::string utf8 = WideText::ToUtf8(name);
    for (char& c : utf8)
    {
        if (c == '\\')
            c = '/';
    }
    const std::filesystem::path relative(utf8);
    return relative.is_absolute() ? relative : Folder() / relative;
}
