#include "inhouse/BntUtility/LogFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <unordered_map>

namespace brontel::utility {

namespace {

// Files are few (the provider log, the error logs); a process that is handed ever new paths
// closes everything once this many are open rather than run out of descriptors.
constexpr std::size_t kMaxOpenFiles = 16;
// How often the path of an open file is looked at again for a file put in its place (a
// rotation renames the file away); a removed file is noticed at the next line.
constexpr std::chrono::milliseconds kPathCheckInterval{1000};

std::mutex& WriteLock()
{
    static std::mutex lock;
    return lock;
}

// The size at which a log file is rolled over.
std::atomic<std::uintmax_t> g_maxFileBytes{LogFileWriter::kDefaultMaxFileBytes};

// Set once the open files have been closed at exit: a line written after that (by another
// static's destructor) opens, writes and closes its file on its own.
std::atomic<bool> g_closedForExit{false};

// An open file descriptor, closed when the holder goes.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0) {
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

// Opens the file for appending, creating its folders first. -1 when it cannot be opened.
int OpenForAppend(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path file(path);
    if (file.has_parent_path()) {
        std::filesystem::create_directories(file.parent_path(), error);
    }
    int fd = -1;
    do {
        fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Writes the whole buffer; false when the file refuses it.
bool WriteAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t written = write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The files kept open between lines, by path. Each remembers which file it opened, so that a
// file that was removed, or rotated away under the same path, is opened anew. Guarded by
// WriteLock.
class OpenLogFiles {
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

    void Append(const std::string& path, std::string_view data)
    {
        auto found = m_files.find(path);
        if (found != m_files.end() && !StillCurrent(path, found->second)) {
            m_files.erase(found);
            found = m_files.end();
        }
        if (found == m_files.end()) {
            FileDescriptor fd(OpenForAppend(path));
            struct stat opened {};
            if (fd.Get() < 0 || fstat(fd.Get(), &opened) != 0) {
                return;
            }
            if (m_files.size() >= kMaxOpenFiles) {
                m_files.clear();
            }
            found = m_files
                        .emplace(path, OpenFile{std::move(fd), opened.st_dev, opened.st_ino,
                                                std::chrono::steady_clock::now()})
                        .first;
        }
        if (!WriteAll(found->second.fd.Get(), data)) {
            // The next line opens the file again.
            m_files.erase(found);
            return;
        }
        // A full file is rolled over: it becomes PATH.1 (replacing the one before), and the next
        // line starts a new file, so the logs never hold more than twice the limit.
        struct stat written {};
        if (fstat(found->second.fd.Get(), &written) == 0 &&
            static_cast<std::uintmax_t>(written.st_size) >= g_maxFileBytes.load()) {
            m_files.erase(found);
            std::rename(path.c_str(), (path + ".1").c_str());
        }
    }

private:
    struct OpenFile {
        FileDescriptor fd;
        dev_t device;
        ino_t inode;
        std::chrono::steady_clock::time_point pathChecked;
    };

    // False when the open file has been removed, or (looked at once per interval) the path now
    // names another file or none.
    static bool StillCurrent(const std::string& path, OpenFile& file)
    {
        struct stat current {};
        if (fstat(file.fd.Get(), &current) != 0 || current.st_nlink == 0) {
            return false;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now - file.pathChecked < kPathCheckInterval) {
            return true;
        }
        file.pathChecked = now;
        return stat(path.c_str(), &current) == 0 && current.st_dev == file.device && current.st_ino == file.inode;
    }

    std::unordered_map<std::string, OpenFile> m_files;
};

OpenLogFiles& Files()
{
    static OpenLogFiles files;
    return files;
}

}  // namespace

void LogFileWriter::AppendLine(const std::string& path, std::string_view line)
{
    std::string whole(line);
    whole.push_back('\n');
    OpenLogFiles& files = Files();
    const std::scoped_lock guard(WriteLock());
    if (!g_closedForExit.load()) {
        files.Append(path, whole);
        return;
    }
    const FileDescriptor fd(OpenForAppend(path));
    if (fd.Get() >= 0) {
        WriteAll(fd.Get(), whole);
    }
}

void LogFileWriter::SetMaxFileBytes(std::uintmax_t bytes)
{
    g_maxFileBytes.store(bytes == 0 ? kDefaultMaxFileBytes : bytes);
}

std::string LogFileWriter::LinePrefix()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "%04d-%02d-%02d %02d:%02d:%02d.%03d [%ld]", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(millis), static_cast<long>(gettid()));
    return buffer;
}

std::string LogFileWriter::OneLine(std::string text)
{
    for (char& c : text) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return text;
}

}  // namespace brontel::utility
