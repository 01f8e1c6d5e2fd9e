#include "Libraries/OstrumCore/Source/IO/FileOutputStream.h"

#include "Libraries/OstrumCore/Source/IO/FileHandlePosition.h"
#include "Libraries/OstrumCore/Source/IO/FileOpenException.h"

namespace ostrum::io {

FileOutputStream::FileOutputStream(const std::string& path, bool, bool append)
    : m_file(std::fopen(path.c_str(), append ? "ab" : "wb"))
{
    if (m_file == nullptr)
    {
        throw FileOpenException();
    }
    m_open = true;
}

FileOutputStream::~FileOutputStream()
{
    close();
}

std::FILE* FileOutputStream::handleOrThrow() const
{
    if (m_file == nullptr)
    {
        throw IOException();
    }
    return m_file;
}

bool FileOutputStream::isSeekable()
{
    return true;
}

void FileOutputStream::seek(int origin, int offset)
{
    seekFileHandle(handleOrThrow(), origin, offset);
}

int FileOutputStream::getPosition()
{
    return fileHandlePosition(handleOrThrow());
}

int FileOutputStream::write(const unsigned char* buffer, int offset, int length)
{
    if (offset < 0)
    {
        throw IOException();
    }
    return write(buffer + offset, length);
}

int FileOutputStream::write(const unsigned char* buffer, int length)
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
    return static_cast<int>(std::fwrite(buffer, 1, static_cast<std::size_t>(length), file));
}

int FileOutputStream::write(unsigned char byte)
{
    return std::fputc(byte, handleOrThrow()) == EOF ? 0 : 1;
}

void FileOutputStream::close()
{
    if (m_file != nullptr)
    {
        std::fclose(m_file);
        m_file = nullptr;
    }
    m_open = false;
}

int FileOutputStream::flush()
{
    return std::fflush(handleOrThrow());
}

}  // namespace ostrum::io
