#include "inhouse/BntLogin/CBntExceptionHandler.h"

#include <array>

#include "inhouse/BntUtility/LogFileWriter.h"
#include "inhouse/BntUtility/StringConversion.h"

using brontel::utility::LogFileWriter;
using brontel::utility::WideToUtf8;

namespace {

constexpr UINT kExceptionMessageChars = 1024;

}  // namespace

void CBntExceptionHandler::EnableFileLogging(LPCWSTR fileName)
{
    const CheckedMutexLock guard(m_lock);
    m_fileName = fileName == nullptr ? L"" : fileName;
}

BOOL CBntExceptionHandler::IsFileLoggingEnabled() const
{
    const CheckedMutexLock guard(m_lock);
    return m_fileName.IsEmpty() ? FALSE : TRUE;
}

CString CBntExceptionHandler::GetLogFileName() const
{
    const CheckedMutexLock guard(m_lock);
    return m_fileName;
}

void CBntExceptionHandler::LogError(LPCWSTR sourceFile, int line, LPCWSTR text, const CException* exception) const
{
    const CString fileName = GetLogFileName();
    if (fileName.IsEmpty())
    {
        return;
    }
    std::string lineText = LogFileWriter::LinePrefix() + " ERROR " +
                           WideToUtf8(sourceFile == nullptr ? L"" : sourceFile) + "(" + std::to_string(line) +
                           "): " + WideToUtf8(text == nullptr ? L"" : text);
    if (exception != nullptr)
    {
        std::array<wchar_t, kExceptionMessageChars> buffer{};
        if (exception->GetErrorMessage(buffer.data(), kExceptionMessageChars, nullptr))
        {
            buffer.back() = L'\0';
            lineText += " | exception: " + WideToUtf8(buffer.data());
        }
    }
    LogFileWriter::AppendLine(WideToUtf8(static_cast<LPCWSTR>(fileName)), LogFileWriter::OneLine(std::move(lineText)));
}
