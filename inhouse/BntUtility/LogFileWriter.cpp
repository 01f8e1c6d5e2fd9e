#include "inhouse/BntUtility/LogFileWriter.h"

#include "platform/registry/ProvixaHome.h"
#include "platform/win32/Clock.h"
#include "platform/win32/ThreadSafety.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <set>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <vector>

namespace brontel::utility {

namespace {

// Files are few (the provider log, the error logs); a process that is handed ever new paths
// closes everything once this many are open rather than run out of descriptors.
constexpr std::size_t kMaxOpenFiles = 16;
// How often the path of an open file is looked at again for a file put in its place (a
// rotation renames the file away); a removed file is noticed at the next line.
constexpr ULONGLONG kPathCheckIntervalMs = 1000;

std::mutex& WriteLock()
{
    static std::mutex lock;
    return lock;
}

// The clock of the path checks; null for the machine's. Constant-initialised, so that a line
// logged while the library's other statics are still being built (the schema's load-time
// refusals) finds it.
constinit std::atomic<const IClock*> g_clock{nullptr};

const IClock& Clock()
{
    const IClock* clock = g_clock.load();
    return clock != nullptr ? *clock : IClock::Machine();
}

// The size at which a log file is rolled over.
std::atomic<std::uintmax_t> g_maxFileBytes{LogFileWriter::kDefaultMaxFileBytes};

// Set once the held lines were written at exit: a line handed in after that (by another
// static's destructor) is written at once.
std::atomic<bool> g_heldWrittenForExit{false};

// Set once the open files have been closed at exit: a line written after that (by another
// static's destructor) opens, writes and closes its file on its own.
std::atomic<bool> g_closedForExit{false};

// An open file descriptor, closed when the holder goes.
class FileDescriptor
{
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
        {
            close(m_fd);
        }
    }
    FileDescriptor(FileDescriptor&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    FileDescriptor& operator=(FileDescriptor&&) = delete;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const { return m_fd; }

private:
    int m_fd;
};

// Opens the file for appending, creating its folders first; for reading too where this account
// may, so that a record another writer left cut can be found. -1 when it cannot be opened.
int OpenForAppend(const std::string& path)
{
    const std::filesystem::path file(path);
    if (file.has_parent_path())
    {
        ProvixaHome::CreatePrivateFolders(file.parent_path());
    }
    int fd = -1;
    for (const int access : {O_RDWR, O_WRONLY})
    {
        do
        {
            // The log names users and devices: the owner's only.
            fd = open(path.c_str(), access | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
        } while (fd < 0 && errno == EINTR);
        if (fd >= 0 || errno != EACCES)
            break;
    }
    return fd;
}

// The write of TestHookWrite while one is set; g_writeHooked spares its lock otherwise.
std::atomic<bool> g_writeHooked{false};

std::mutex& WriteHookLock()
{
    static std::mutex lock;
    return lock;
}

LogFileWriter::WriteCall& WriteHook()
{
    static LogFileWriter::WriteCall hook;
    return hook;
}

// One write of the bytes (again only when a signal came before any was written): the bytes the
// file took, or -1.
ssize_t WriteOnce(int fd, std::string_view data)
{
    LogFileWriter::WriteCall hook;
    if (g_writeHooked.load())
    {
        const std::scoped_lock guard(WriteHookLock());
        hook = WriteHook();
    }
    for (;;)
    {
        const ssize_t written =
            hook ? static_cast<ssize_t>(hook(fd, data.data(), data.size())) : write(fd, data.data(), data.size());
        if (written >= 0 || errno != EINTR)
            return written;
    }
}

// False when the file of `size` bytes is known not to end in a line feed (an empty file, and one
// this account cannot read back, count as ended).
bool EndsWithLineFeed(int fd, off_t size)
{
    char last = '\n';
    return size <= 0 || pread(fd, &last, 1, size - 1) != 1 || last == '\n';
}

// Appends `records` (whole lines with their line feeds) to the file of `size` bytes with one
// write, so that they land whole at its end whatever other processes append; after a record
// another writer left cut, a line feed first. A write the file takes only in part (a full disk)
// is ended with a line feed where the file still takes one: the rest would be a second append,
// which another writer's record could come before. True when all of it was written.
bool AppendRecords(int fd, off_t size, std::string_view records)
{
    std::string ended;
    if (!EndsWithLineFeed(fd, size))
    {
        ended.reserve(records.size() + 1);
        ended.append(1, '\n').append(records);
        records = ended;
    }
    const ssize_t written = WriteOnce(fd, records);
    if (written == static_cast<ssize_t>(records.size()))
        return true;
    if (written > 0 && records[static_cast<std::size_t>(written) - 1] != '\n')
        WriteOnce(fd, "\n");
    return false;
}

// The files kept open between lines, by path. Each remembers which file it opened, so that a
// file that was removed, or rotated away under the same path, is opened anew. Guarded by
// WriteLock.
class OpenLogFiles
{
public:
    OpenLogFiles() = default;
    ~OpenLogFiles()
    {
        const std::scoped_lock guard(WriteLock());
        m_files.clear();
        g_closedForExit.store(true);
    }
    OpenLogFiles(const OpenLogFiles&) = delete;
    OpenLogFiles& operator=(const OpenLogFiles&) = delete;

    // The open file of the path, opened when needed (and anew when it is `stale`, a file found
    // removed, or when the path names another file, looked at once per interval); null when
    // it cannot be opened. Called with WriteLock held.
    std::shared_ptr<const FileDescriptor> FileForLineLocked(const std::string& path, const FileDescriptor* stale)
    {
        auto found = m_files.find(path);
        if (found != m_files.end() && (found->second.fd.get() == stale || !PathStillNamesIt(path, found->second)))
        {
            m_files.erase(found);
            found = m_files.end();
        }
        if (found == m_files.end())
        {
            auto fd = std::make_shared<const FileDescriptor>(OpenForAppend(path));
            struct stat opened
            {
            };
            if (fd->Get() < 0 || fstat(fd->Get(), &opened) != 0)
            {
                return nullptr;
            }
            if (m_files.size() >= kMaxOpenFiles)
            {
                m_files.clear();
            }
            found =
                m_files.emplace(path, OpenFile{std::move(fd), opened.st_dev, opened.st_ino, Clock().GetTickCount64()})
                    .first;
        }
        return found->second.fd;
    }

    // After a line was written to fd: a file that refused it is opened anew for the next line;
    // a full file is rolled over, so it becomes PATH.1 (replacing the one before) and the next
    // line starts a new file, and the logs never hold much more than twice the limit. Nothing
    // is done when another line has already replaced the file. Called with WriteLock held.
    void AfterLineLocked(const std::string& path, const FileDescriptor* fd, bool written, std::uintmax_t size)
    {
        const auto found = m_files.find(path);
        if (found == m_files.end() || found->second.fd.get() != fd)
        {
            return;
        }
        if (!written)
        {
            m_files.erase(found);
            return;
        }
        if (size >= g_maxFileBytes.load())
        {
            m_files.erase(found);
            std::rename(path.c_str(), (path + ".1").c_str());
        }
    }

private:
    struct OpenFile
    {
        // Shared with the threads writing a line to it outside WriteLock.
        std::shared_ptr<const FileDescriptor> fd;
        dev_t device;
        ino_t inode;
        ULONGLONG pathChecked;  // the clock's steady time
    };

    // False when (looked at once per interval) the path now names another file or none.
    static bool PathStillNamesIt(const std::string& path, OpenFile& file)
    {
        // A clock that stands before the last look counts as no time passed.
        const ULONGLONG now = Clock().GetTickCount64();
        if (now <= file.pathChecked || now - file.pathChecked < kPathCheckIntervalMs)
        {
            return true;
        }
        file.pathChecked = now;
        struct stat named
        {
        };
        return stat(path.c_str(), &named) == 0 && named.st_dev == file.device && named.st_ino == file.inode;
    }

    std::unordered_map<std::string, OpenFile> m_files;
};

OpenLogFiles& Files()
{
    static OpenLogFiles files;
    return files;
}

// Appends `whole` (lines with their line feeds) to the file with one write; true when all of it
// is there.
bool WriteLines(const std::string& path, const std::string& whole)
{
    OpenLogFiles& files = Files();
    std::shared_ptr<const FileDescriptor> fd;
    {
        const std::scoped_lock guard(WriteLock());
        if (g_closedForExit.load())
        {
            const FileDescriptor own(OpenForAppend(path));
            struct stat opened
            {
            };
            return own.Get() >= 0 && fstat(own.Get(), &opened) == 0 && AppendRecords(own.Get(), opened.st_size, whole);
        }
        fd = files.FileForLineLocked(path, nullptr);
    }
    // The file is looked at and written outside the lock, so that threads logging at once do
    // not queue behind each other's system calls: it is opened for appending, so one write
    // lands whole at its end.
    struct stat current
    {
    };
    if (fd != nullptr && (fstat(fd->Get(), &current) != 0 || current.st_nlink == 0))
    {
        // Removed since it was opened: the line goes to a new file of the path.
        const std::scoped_lock guard(WriteLock());
        fd = g_closedForExit.load() ? nullptr : files.FileForLineLocked(path, fd.get());
        if (fd != nullptr && fstat(fd->Get(), &current) != 0)
        {
            fd = nullptr;
        }
    }
    if (fd == nullptr)
    {
        return false;
    }
    const bool written = AppendRecords(fd->Get(), current.st_size, whole);
    const std::uintmax_t size = static_cast<std::uintmax_t>(current.st_size) + whole.size();
    if (written && size < g_maxFileBytes.load())
    {
        return true;
    }
    const std::scoped_lock guard(WriteLock());
    if (!g_closedForExit.load())
    {
        files.AfterLineLocked(path, fd.get(), written, size);
    }
    return written;
}

// Lines that AppendLineLater keeps for a moment, on one queue in the order they were handed
// in. A flusher thread, started with the first line, writes them at most kFlushInterval after
// the first of them arrived, or at once when they fill kFlushBytes; a caller finding
// kMaxHeldBytes held writes them itself, so a slow disk cannot make them grow without end.
// Handing a line in takes no lock: threads logging at once would otherwise queue on it. Lines
// reach their files in queue order, also before a line AppendLine writes at once.
class HeldLines
{
public:
    // The open files are made first, so that they outlive the held lines at exit.
    HeldLines() { Files(); }
    // Stops the flusher and writes what is held, so that nothing is lost at a normal exit.
    ~HeldLines()
    {
        {
            const CheckedMutexLock guard(m_wakeLock);
            m_stopping = true;
        }
        m_wake.notify_all();
        if (m_flusher.joinable())
            m_flusher.join();
        WriteHeld(nullptr, nullptr);
        g_heldWrittenForExit.store(true);
    }
    HeldLines(const HeldLines&) = delete;
    HeldLines& operator=(const HeldLines&) = delete;

    void Add(const std::string& path, std::string_view line)
    {
        if (!m_started.load(std::memory_order_acquire))
            StartFlusher();
        auto held = std::make_unique<Line>();
        held->path = Intern(path);
        held->text.reserve(line.size() + 1);
        held->text.append(line).push_back('\n');
        const std::size_t bytes = held->text.size();
        Push(held.release());
        const std::size_t before = m_bytes.fetch_add(bytes);
        if (m_noFlusher.load() || before + bytes >= kMaxHeldBytes)
        {
            WriteHeld(nullptr, nullptr);
        }
        else if (before == 0 || (before < kFlushBytes && before + bytes >= kFlushBytes))
        {
            // Taken so that the flusher cannot miss the change between its test and its wait.
            {
                const CheckedMutexLock guard(m_wakeLock);
            }
            m_wake.notify_one();
        }
    }

    // Writes every held line and then `line` (when given) to `path`. Lines taken by the
    // flusher are in their files before anything after them. True when `line` was written whole
    // (in one write with the held lines of its file).
    bool WriteHeld(const std::string* path, const std::string* line)
    {
        const CheckedMutexLock order(m_writeLock);
        std::vector<std::pair<const std::string*, std::string>> taken;
        for (std::unique_ptr<Line> held(PopLocked()); held != nullptr; held.reset(PopLocked()))
        {
            m_bytes.fetch_sub(held->text.size());
            TextFor(taken, held->path).append(held->text);
        }
        std::string* lineText = line != nullptr ? &TextFor(taken, path).append(*line) : nullptr;
        bool lineWritten = false;
        for (auto& [file, text] : taken)
        {
            const bool written = WriteLines(*file, text);
            if (&text == lineText)
                lineWritten = written;
        }
        return lineWritten;
    }

private:
    // The flush interval: how old a held line may grow before it is in its file.
    static constexpr std::chrono::milliseconds kFlushInterval{100};
    static constexpr std::size_t kFlushBytes = 64 * 1024;
    static constexpr std::size_t kMaxHeldBytes = 1024 * 1024;

    struct Line
    {
        std::atomic<Line*> next{nullptr};
        const std::string* path = nullptr;  // interned: lives as long as the queue
        std::string text;                   // with its line feed
    };

    // The text gathered for a path: held lines name interned paths, a line written at once its
    // caller's.
    static std::string& TextFor(std::vector<std::pair<const std::string*, std::string>>& taken, const std::string* path)
    {
        for (auto& [file, text] : taken)
        {
            if (file == path || *file == *path)
                return text;
        }
        return taken.emplace_back(path, std::string()).second;
    }

    // The one stored copy of a path; the files are few, so the copies are kept till exit.
    const std::string* Intern(const std::string& path)
    {
        thread_local std::string lastPath;
        thread_local const std::string* lastInterned = nullptr;
        if (lastInterned == nullptr || lastPath != path)
        {
            const CheckedMutexLock guard(m_pathsLock);
            lastInterned = &*m_paths.insert(path).first;
            lastPath = path;
        }
        return lastInterned;
    }

    void StartFlusher()
    {
        const CheckedMutexLock guard(m_wakeLock);
        if (m_started.load() || m_stopping)
            return;
        try
        {
            m_flusher = std::thread([this] { Flush(); });
        }
        catch (const std::system_error&)
        {
            // Without a thread every line is written at once, as AppendLine does.
            m_noFlusher.store(true);
        }
        m_started.store(true, std::memory_order_release);
    }

    void Flush()
    {
        CheckedMutexLock lock(m_wakeLock);
        while (!m_stopping)
        {
            lock.Wait(m_wake, [this]() REQUIRES(m_wakeLock) { return m_stopping || m_bytes.load() > 0; });
            lock.WaitFor(m_wake, kFlushInterval,
                         [this]() REQUIRES(m_wakeLock) { return m_stopping || m_bytes.load() >= kFlushBytes; });
            lock.Unlock();
            try
            {
                WriteHeld(nullptr, nullptr);
            }
            catch (const std::bad_alloc&)
            {
                // Short of memory: those lines are lost, the flusher goes on.
            }
            lock.Lock();
        }
    }

    // The queue: many threads push, one (holding m_writeLock) pops. A push swaps the new line
    // in as the head and then links it behind the line it replaced.
    void Push(Line* line)
    {
        line->next.store(nullptr, std::memory_order_relaxed);
        Line* previous = m_head.exchange(line, std::memory_order_acq_rel);
        previous->next.store(line, std::memory_order_release);
    }

    // The oldest line, or null when none is held. A line whose pusher has not linked it yet is
    // waited for: a later line of this thread may lie behind it.
    Line* PopLocked() REQUIRES(m_writeLock)
    {
        Line* tail = m_tail;
        Line* next = tail->next.load(std::memory_order_acquire);
        if (tail == &m_stub)
        {
            if (next == nullptr)
            {
                if (m_head.load(std::memory_order_acquire) == &m_stub)
                    return nullptr;
                next = WaitForLink(tail);
            }
            m_tail = next;
            tail = next;
            next = tail->next.load(std::memory_order_acquire);
        }
        if (next == nullptr)
        {
            if (m_head.load(std::memory_order_acquire) == tail)
                Push(&m_stub);
            next = WaitForLink(tail);
        }
        m_tail = next;
        return tail;
    }

    static Line* WaitForLink(Line* line)
    {
        Line* next = line->next.load(std::memory_order_acquire);
        while (next == nullptr)
        {
            std::this_thread::yield();
            next = line->next.load(std::memory_order_acquire);
        }
        return next;
    }

    // Held while lines are taken and written: the order of lines in a file is the queue's.
    CheckedMutex m_writeLock;
    Line m_stub;
    std::atomic<Line*> m_head{&m_stub};
    Line* m_tail GUARDED_BY(m_writeLock) = &m_stub;
    std::atomic<std::size_t> m_bytes{0};
    std::atomic<bool> m_noFlusher{false};
    std::atomic<bool> m_started{false};

    CheckedMutex m_pathsLock;
    std::set<std::string> m_paths GUARDED_BY(m_pathsLock);

    CheckedMutex m_wakeLock;
    std::condition_variable m_wake;  // lines arrived, filled up, or stopping
    bool m_stopping GUARDED_BY(m_wakeLock) = false;
    std::thread m_flusher;  // started under m_wakeLock; joined at exit
};

HeldLines& Held()
{
    static HeldLines held;
    return held;
}

}  // namespace

bool LogFileWriter::AppendLine(const std::string& path, std::string_view line)
{
    std::string whole(line);
    whole.push_back('\n');
    if (g_heldWrittenForExit.load())
        return WriteLines(path, whole);
    return Held().WriteHeld(&path, &whole);
}

void LogFileWriter::AppendLineLater(const std::string& path, std::string_view line)
{
    if (g_heldWrittenForExit.load())
        AppendLine(path, line);
    else
        Held().Add(path, line);
}

void LogFileWriter::Flush()
{
    if (!g_heldWrittenForExit.load())
        Held().WriteHeld(nullptr, nullptr);
}

void LogFileWriter::SetClock(const IClock* clock)
{
    g_clock.store(clock);
}

void LogFileWriter::TestHookWrite(WriteCall write)
{
    const std::scoped_lock guard(WriteHookLock());
    g_writeHooked.store(static_cast<bool>(write));
    WriteHook() = std::move(write);
}

void LogFileWriter::SetMaxFileBytes(std::uintmax_t bytes)
{
    g_maxFileBytes.store(bytes == 0 ? kDefaultMaxFileBytes : bytes);
}

std::string LogFileWriter::LinePrefix()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "%04d-%02d-%02d %02d:%02d:%02d.%03d [%ld]", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(millis),
                  static_cast<long>(gettid()));
    return buffer;
}

std::string LogFileWriter::OneLine(std::string text)
{
    for (char& c : text)
    {
        if (c == '\r' || c == '\n')
        {
            c = ' ';
        }
    }
    return text;
}

}  // namespace brontel::utility
