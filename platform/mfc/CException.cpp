#include "platform/mfc/CException.h"

#include <cwchar>

namespace {

LPCWSTR FileCauseText(int cause)
{
    switch (cause)
    {
    case CFileException::none:
        return L"No error occurred.";
    case CFileException::fileNotFound:
        return L"The file could not be found.";
    case CFileException::badPath:
        return L"All or part of the path is invalid.";
    case CFileException::tooManyOpenFiles:
        return L"Too many files are open.";
    case CFileException::accessDenied:
        return L"Access to the file was denied.";
    case CFileException::invalidFile:
        return L"An invalid file handle was used.";
    case CFileException::removeCurrentDir:
        return L"The current working directory cannot be removed.";
    case CFileException::directoryFull:
        return L"There are no more directory entries.";
    case CFileException::badSeek:
        return L"An error occurred while setting the file pointer.";
    case CFileException::hardIO:
        return L"A hardware error occurred while accessing the file.";
    case CFileException::sharingViolation:
        return L"A sharing violation occurred while accessing the file.";
    case CFileException::lockViolation:
        return L"A locking violation occurred while accessing the file.";
    case CFileException::diskFull:
        return L"The disk is full.";
    case CFileException::endOfFile:
        return L"An attempt was made to access past the end of the file.";
    default:
        return L"An unknown error occurred while accessing the file.";
    }
}

}  // namespace

BOOL CException::GetErrorMessage(LPWSTR buffer, UINT maxChars, PUINT helpContext) const
{
    if (helpContext != nullptr)
        *helpContext = 0;
    if (buffer != nullptr && maxChars > 0)
        buffer[0] = L'\0';
    return FALSE;
}

int CException::ReportError(UINT, UINT)
{
    return 0;
}

BOOL CException::CopyErrorMessage(LPCWSTR message, LPWSTR buffer, UINT maxChars, PUINT helpContext)
{
    if (helpContext != nullptr)
        *helpContext = 0;
    if (buffer == nullptr || maxChars == 0)
        return TRUE;
    const std::size_t length = message == nullptr ? 0 : std::wcslen(message);
    const std::size_t copied = length < maxChars ? length : maxChars - 1;
    if (copied > 0)
        std::wmemcpy(buffer, message, copied);
    buffer[copied] = L'\0';
    return TRUE;
}

BOOL CMemoryException::GetErrorMessage(LPWSTR buffer, UINT maxChars, PUINT helpContext) const
{
    return CopyErrorMessage(L"Out of memory.", buffer, maxChars, helpContext);
}

BOOL CInvalidArgException::GetErrorMessage(LPWSTR buffer, UINT maxChars, PUINT helpContext) const
{
    return CopyErrorMessage(L"Encountered an improper argument.", buffer, maxChars, helpContext);
}

BOOL CFileException::GetErrorMessage(LPWSTR buffer, UINT maxChars, PUINT helpContext) const
{
    return CopyErrorMessage(FileCauseText(m_cause), buffer, maxChars, helpContext);
}
