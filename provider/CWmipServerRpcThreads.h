// CWmipServerRpcThreads: the application's three server RPC threads (communication, linkage
// and archive server), each created on first use under the application lock with a pooled
// connection, started, and kept until the application goes. A failed creation is logged and
// tried again on the next use.
//
// Owned by CWmipApp. Thread-safe: creation holds the application lock; a thread is published
// once, fully started, and read without the lock afterwards.
#pragma once

#include <atomic>
#include <memory>

#include "platform/win32/Threading.h"

class LRpcComClass;
class CLSLRpcComClass;
class LCRSRpcComClass;
class LWorkerThread;

class CWmipServerRpcThreads
{
public:
    // ACS.INI switch that sends every communication-server message through the failed store.
    static constexpr wchar_t kRpcComSection[] = L"RPCCom";
    static constexpr wchar_t kDirectToFailedKey[] = L"APIDirectToFailedRPC";

    // applicationLock must outlive the object.
    explicit CWmipServerRpcThreads(CRITICAL_SECTION& applicationLock);
    // Shutdown.
    ~CWmipServerRpcThreads();
    CWmipServerRpcThreads(const CWmipServerRpcThreads&) = delete;
    CWmipServerRpcThreads& operator=(const CWmipServerRpcThreads&) = delete;

    // The thread, created and started on first use; null when no connection manager or
    // connection can be had, or the thread cannot start (each logged). Valid until Shutdown.
    LRpcComClass* CommServer();
    CLSLRpcComClass* LinkageServer();
    LCRSRpcComClass* ArchiveServer();

    // Stops the threads (communication, linkage, archive) and deletes them. A thread that does
    // not stop is left running, detached and logged, and its object is not deleted, since the
    // running thread still uses it.
    void Shutdown();

private:
    template <class T>
    struct Slot
    {
        std::unique_ptr<T> owner;
        std::atomic<T*> published{nullptr};
    };

    // The slot's thread, made by `create` under the application lock when missing.
    template <class T, class Create>
    T* GetOrCreate(Slot<T>& slot, Create create);
    // Shuts one thread down with its own shutdown call; see Shutdown.
    template <class T, class Stop>
    void Release(Slot<T>& slot, const wchar_t* name, Stop stop);

    CRITICAL_SECTION& m_applicationLock;
    Slot<LRpcComClass> m_commServer;
    Slot<CLSLRpcComClass> m_linkageServer;
    Slot<LCRSRpcComClass> m_archiveServer;
};
