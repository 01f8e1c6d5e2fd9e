#include "inhouse/BntCoreDb/SqliteMutexes.h"

#include <pthread.h>
#include <sqlite3.h>

#include <atomic>
#include <new>

// The engine names this type only by pointer; its layout is ours.
struct sqlite3_mutex
{
    pthread_mutex_t lock;
};

namespace {

// The engine's static mutexes, SQLITE_MUTEX_STATIC_MAIN (2) to SQLITE_MUTEX_STATIC_VFS3 (13).
constexpr int kFirstStatic = SQLITE_MUTEX_STATIC_MAIN;
constexpr int kStaticCount = SQLITE_MUTEX_STATIC_VFS3 - SQLITE_MUTEX_STATIC_MAIN + 1;
sqlite3_mutex g_static[kStaticCount];

bool Initialise(pthread_mutex_t& lock, int kind)
{
    pthread_mutexattr_t attributes;
    if (pthread_mutexattr_init(&attributes) != 0)
        return false;
    const bool made = pthread_mutexattr_settype(&attributes, kind) == 0 && pthread_mutex_init(&lock, &attributes) == 0;
    pthread_mutexattr_destroy(&attributes);
    return made;
}

int Init()
{
    for (sqlite3_mutex& mutex : g_static)
    {
        if (!Initialise(mutex.lock, PTHREAD_MUTEX_ADAPTIVE_NP))
            return SQLITE_NOMEM;
    }
    return SQLITE_OK;
}

int End()
{
    return SQLITE_OK;
}

sqlite3_mutex* Alloc(int type)
{
    if (type >= kFirstStatic && type < kFirstStatic + kStaticCount)
        return &g_static[type - kFirstStatic];
    if (type != SQLITE_MUTEX_FAST && type != SQLITE_MUTEX_RECURSIVE)
        return nullptr;
    auto* mutex = new (std::nothrow) sqlite3_mutex;
    if (mutex == nullptr)
        return nullptr;
    if (!Initialise(mutex->lock, type == SQLITE_MUTEX_RECURSIVE ? PTHREAD_MUTEX_RECURSIVE : PTHREAD_MUTEX_ADAPTIVE_NP))
    {
        delete mutex;
        return nullptr;
    }
    return mutex;
}

void Free(sqlite3_mutex* mutex)
{
    pthread_mutex_destroy(&mutex->lock);
    delete mutex;
}

void Enter(sqlite3_mutex* mutex)
{
    pthread_mutex_lock(&mutex->lock);
}

int Try(sqlite3_mutex* mutex)
{
    return pthread_mutex_trylock(&mutex->lock) == 0 ? SQLITE_OK : SQLITE_BUSY;
}

void Leave(sqlite3_mutex* mutex)
{
    pthread_mutex_unlock(&mutex->lock);
}

// Only the engine's debugging builds ask; "cannot tell" is answered as held, as it expects.
int CannotTell(sqlite3_mutex*)
{
    return 1;
}

const sqlite3_mutex_methods kMethods = {Init, End, Alloc, Free, Enter, Try, Leave, CannotTell, CannotTell};

std::atomic<bool> g_installed{false};

}  // namespace

bool SqliteMutexes::Install()
{
    if (sqlite3_config(SQLITE_CONFIG_MUTEX, &kMethods) != SQLITE_OK)
        return false;
    g_installed.store(true);
    return true;
}

bool SqliteMutexes::IsInstalled()
{
    return g_installed.load();
}
