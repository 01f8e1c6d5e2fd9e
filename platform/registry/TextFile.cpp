#include "platform/registry/TextFile.h"

#include <atomic>
#include <cerrno>
#include <fstream>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Closes the descriptor when the write is abandoned on an error path.
class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int Get() const { return m_fd; }
    // Closes now; false when the close reported an error (data may not have reached disk).
    bool Close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool WriteAll(int fd, std::string_view content)
{
    while (!content.empty())
    {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0)
        {
            if (errno == EINTR)
                continue;
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::filesystem::path TemporaryPathFor(const std::filesystem::path& path)
{
    static std::atomic<unsigned> counter{0};
    std::filesystem::path temporary = path;
    temporary += ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
    return temporary;
}

}  // namespace

DWORD TextFile::Read(const std::filesystem::path& path, std::string& content)
{
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found)
        return ERROR_FILE_NOT_FOUND;
    if (error || status.type() != std::filesystem::file_type::regular)
        return ERROR_CANTREAD;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error)
        return ERROR_CANTREAD;
    if (size > kMaxBytes)
        return ERROR_INVALID_DATA;
    std::ifstream stream(path, std::ios::binary);
    if (!stream)
        return ERROR_CANTREAD;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    stream.read(bytes.data(), static_cast<std::streamsize>(size));
    // A file that grew since its size was taken is read up to that size; a shrunk one fails.
    if (static_cast<std::uintmax_t>(stream.gcount()) != size)
        return ERROR_CANTREAD;
    content = std::move(bytes);
    return ERROR_SUCCESS;
}

DWORD TextFile::WriteAtomically(const std::filesystem::path& path, std::string_view content)
{
    const std::filesystem::path temporary = TemporaryPathFor(path);
    // The registry and profile files hold secrets (the field encryption phrase): the owner's only.
    Descriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (file.Get() < 0)
        return ERROR_CANTWRITE;
    const bool written = WriteAll(file.Get(), content) && ::fsync(file.Get()) == 0 && file.Close();
    std::error_code error;
    if (written)
        std::filesystem::rename(temporary, path, error);
    if (!written || error)
    {
        std::filesystem::remove(temporary, error);
        return ERROR_CANTWRITE;
    }
    return ERROR_SUCCESS;
}
