#include "Libraries/OstrumCore/Source/IO/FileInputStream.h"

#include "Libraries/OstrumCore/Source/IO/FileHandlePosition.h"
#include "Libraries/OstrumCore/Source/IO/FileNotFoundException.h"

#include <sys/stat.h>

namespace ostrum::io {

FileInputStream::FileInputStream(const std::string& path, bool text) : m_owns(true), m_file(nullptr)
{
    open(path, text);
}

FileInputStream::FileInputStream() : m_owns(false), m_file(nullptr) {}

FileInputStream::FileInputStream(bool owns, std::FILE* file) : m_owns(owns), m_file(file)
{
    m_open = file != nullptr;
}

FileInputStream::FileInputStream(FileInputStream&& other) noexcept : m_owns(other.m_owns), m_file(other.m_file)
{
    m_open = other.m_open;
    other.m_owns = false;
    other.m_file = nullptr;
    other.m_open = false;
}

FileInputStream::~FileInputStream()
{
    if (m_owns && m_file != nullptr)
    {
        std::fclose(m_file);
    }
    m_file = nullptr;
    m_open = false;
}

void FileInputStream::open(const std::string& path, bool text)
{
    if (m_owns && m_file != nullptr)
    {
        std::fclose(m_file);
    }
    m_file = std::fopen(path.c_str(), text ? "r" : "rb");
    m_owns = true;
    m_open = m_file != nullptr;
    if (m_file == nullptr)
    {
        throw FileNotFoundException(path);
    }
}

std::FILE* FileInputStream::handleOrThrow() const
{
    if (m_file == nullptr)
    {
        throw IOException();
    }
    return m_file;
}

bool FileInputStream::isSeekable()
{
    return true;
}

void FileInputStream::seek(int origin, int offset)
{
    seekFileHandle(handleOrThrow(), origin, offset);
}

int FileInputStream::getPosition()
{
    return fileHandlePosition(handleOrThrow());
}

int FileInputStream::read(unsigned char* buffer, int offset, int length)
{
    if (offset < 0)
    {
        throw IOException();
    }
    return read(buffer + offset, length);
}

int FileInputStream::read(unsigned char* buffer, int length)
{
    if (length < 0)
    {
        throw IOException();
    }
    std::FILE* file = handleOrThrow();
    if (length == 0)
    {
        return 0;
    }
    const std::size_t count = std::fread(buffer, 1, static_cast<std::size_t>(length), file);
    return count == 0 ? -1 : static_cast<int>(count);
}

int FileInputStream::read()
{
    const int c = std::fgetc(handleOrThrow());
    return c == EOF ? -1 : c;
}

int FileInputStream::skip(int count)
{
    return std::fseek(handleOrThrow(), count, SEEK_CUR) == 0 ? 0 : -1;
}

int FileInputStream::isEOF()
{
    return -1;
}

void FileInputStream::close()
{
    if (m_file != nullptr)
    {
        std::fclose(m_file);
        m_file = nullptr;
    }
    m_open = false;
}

int64_t FileInputStream::getLastModified()
{
    struct stat status
    {
    };
    if (m_file == nullptr || ::fstat(::fileno(m_file), &status) != 0)
    {
        return 0;
    }
    return static_cast<int64_t>(status.st_mtime) * 1000;
}

}  // namespace ostrum::io
