// The process's view of registry.ini under PROVIXA_HOME, shared by every registry handle.
//
// The file is read on first use and read again whenever it changed on disk (another process,
// an editor, a different PROVIXA_HOME): a change is seen by the file's identity, size and
// modification time, so only an in-place rewrite of equal size within one tick of the file
// system's clock could go unnoticed (replacing the file by rename, as we do, never does). A change is applied to a copy
// and written atomically (TextFile::WriteAtomically); the view changes only when the write succeeded. A malformed file
// is never overwritten. One process-wide instance; every operation holds its lock, so readers and writers in this
// process are serialised. Writers in different processes are not coordinated: the last rename wins.
#pragma once

#include "platform/win32/ThreadSafety.h"
#include "platform/registry/RegistryFile.h"
#include "platform/win32/WinTypes.h"

#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <sys/types.h>

class RegistryStore
{
public:
    static RegistryStore& Instance();

    RegistryStore() = default;
    RegistryStore(const RegistryStore&) = delete;
    RegistryStore& operator=(const RegistryStore&) = delete;

    // Runs `read` on the current contents and returns its result; without running it,
    // ERROR_BADKEY when the file is malformed or too large, ERROR_CANTREAD when it cannot be
    // read. A missing file is an empty registry. `read` must not call back into the store.
    DWORD Read(const std::function<DWORD(const RegistryFile&)>& read);

    // Runs `change` on a copy of the current contents; when it returns ERROR_SUCCESS and the
    // contents differ, writes them. Returns the change's error, the read errors above, or
    // ERROR_CANTWRITE when the write failed (nothing changed then).
    DWORD Write(const std::function<DWORD(RegistryFile&)>& change);

private:
    // What identifies one version of the file on disk.
    struct Stamp
    {
        bool m_exists = false;
        dev_t m_device = 0;
        ino_t m_inode = 0;
        off_t m_size = 0;
        long long m_modifiedNanoseconds = 0;
        bool operator==(const Stamp&) const = default;
    };

    static Stamp StampOf(const std::filesystem::path& path);
    // Brings the view up to date with the file; ERROR_SUCCESS or the read errors above.
    DWORD Refresh() REQUIRES(m_lock);

    CheckedMutex m_lock;
    // The file the view was read from, its stamp then, and the view (or
    // the error that reading it gave).
    std::filesystem::path m_path GUARDED_BY(m_lock);
    std::optional<Stamp> m_stamp GUARDED_BY(m_lock);
    RegistryFile m_file GUARDED_BY(m_lock);
    DWORD m_loadError GUARDED_BY(m_lock) = ERROR_SUCCESS;
};
