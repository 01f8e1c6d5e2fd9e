#include "platform/registry/RegistryStore.h"

#include "platform/registry/ProvixaHome.h"
#include "platform/registry/TextFile.h"

#include <string>

#include <sys/stat.h>

namespace {

constexpr std::wstring_view kRegistryFileName = L"registry.ini";

// Kept alive past static destruction: a detached thread may still read settings at exit.
union ImmortalStore
{
    RegistryStore m_store;
    ImmortalStore() : m_store() {}
    ~ImmortalStore() {}
};

}  // namespace

RegistryStore& RegistryStore::Instance()
{
    static ImmortalStore store;
    return store.m_store;
}

RegistryStore::Stamp RegistryStore::StampOf(const std::filesystem::path& path)
{
    struct stat status = {};
    Stamp stamp;
    if (::stat(path.c_str(), &status) != 0)
        return stamp;
    stamp.m_exists = true;
    stamp.m_device = status.st_dev;
    stamp.m_inode = status.st_ino;
    stamp.m_size = status.st_size;
    stamp.m_modifiedNanoseconds =
        static_cast<long long>(status.st_mtim.tv_sec) * 1'000'000'000LL + status.st_mtim.tv_nsec;
    return stamp;
}

DWORD RegistryStore::Refresh()
{
    const std::filesystem::path path = ProvixaHome::PathOf(kRegistryFileName);
    const Stamp stamp = StampOf(path);
    if (path == m_path && m_stamp && *m_stamp == stamp)
        return m_loadError;

    m_path = path;
    m_stamp = stamp;
    m_file = RegistryFile();
    m_loadError = ERROR_SUCCESS;
    std::string content;
    const DWORD read = TextFile::Read(path, content);
    if (read == ERROR_FILE_NOT_FOUND)
        return m_loadError;
    if (read != ERROR_SUCCESS)
    {
        m_loadError = read == ERROR_INVALID_DATA ? ERROR_BADKEY : ERROR_CANTREAD;
        // An unreadable file is tried again on the next call rather than remembered.
        if (m_loadError == ERROR_CANTREAD)
            m_stamp.reset();
        return m_loadError;
    }
    std::optional<RegistryFile> parsed = RegistryFile::Parse(content);
    if (!parsed)
    {
        m_loadError = ERROR_BADKEY;
        return m_loadError;
    }
    m_file = std::move(*parsed);
    return m_loadError;
}

DWORD RegistryStore::Read(const std::function<DWORD(const RegistryFile&)>& read)
{
    CheckedMutexLock guard(m_lock);
    const DWORD error = Refresh();
    return error != ERROR_SUCCESS ? error : read(m_file);
}

DWORD RegistryStore::Write(const std::function<DWORD(RegistryFile&)>& change)
{
    CheckedMutexLock guard(m_lock);
    const DWORD error = Refresh();
    if (error != ERROR_SUCCESS)
        return error;
    RegistryFile changed = m_file;
    const DWORD changeError = change(changed);
    if (changeError != ERROR_SUCCESS)
        return changeError;
    const std::string text = changed.Serialize();
    if (text == m_file.Serialize())
        return ERROR_SUCCESS;
    if (TextFile::WriteAtomically(m_path, text) != ERROR_SUCCESS)
        return ERROR_CANTWRITE;
    m_file = std::move(changed);
    m_stamp = StampOf(m_path);
    return ERROR_SUCCESS;
}
