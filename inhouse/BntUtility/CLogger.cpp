#include "inhouse/BntUtility/CLogger.h"

#include <array>
#include <cstdio>
#include <filesystem>

#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/LogFileWriter.h"
#include "inhouse/BntUtility/StringConversion.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::LogFileWriter;
using brontel::utility::WideToUtf8;

namespace {

constexpr UINT kExceptionMessageChars = 1024;

std::string ExceptionText(const CException* exception)
{
    if (exception == nullptr)
    {
        return {};
    }
    std::array<wchar_t, kExceptionMessageChars> buffer{};
    if (!exception->GetErrorMessage(buffer.data(), kExceptionMessageChars, nullptr))
    {
        return {};
    }
    buffer.back() = L'\0';
    return WideToUtf8(buffer.data());
}

std::string ResolveFile(LPCWSTR logFile)
{
    const std::string name = logFile == nullptr ? std::string("BrontelError.log") : WideToUtf8(logFile);
    const std::filesystem::path path(name);
    if (path.has_parent_path() || path.is_absolute())
    {
        return name;
    }
    return (std::filesystem::path(WideToUtf8(static_cast<LPCWSTR>(CWMIDebugLog::GetLogFolder()))) / path).string();
}

}  // namespace

void CLogger::LogError(LPCWSTR logFile, const CResult& result, LPCWSTR sourceFile, int line,
                       const CException* exception, bool alsoProviderLog)
{
    char code[16];
    std::snprintf(code, sizeof(code), "0x%08X", static_cast<unsigned>(result.GetCode()));
    std::string text = "result ";
    text += code;
    if (!result.GetText().IsEmpty())
    {
        text += " ";
        text += WideToUtf8(static_cast<LPCWSTR>(result.GetText()));
    }
    const std::string source = sourceFile == nullptr ? std::string() : WideToUtf8(sourceFile);
    std::string lineText = LogFileWriter::LinePrefix() + " ERROR " + source + "(" + std::to_string(line) + "): " + text;
    const std::string inner = ExceptionText(exception);
    if (!inner.empty())
    {
        lineText += " | exception: " + inner;
    }
    LogFileWriter::AppendLine(ResolveFile(logFile), LogFileWriter::OneLine(std::move(lineText)));
    if (alsoProviderLog)
    {
        CWMIDebugLog::LogError(sourceFile, line, brontel::utility::ConvertUtf8ToCString(text),
                               static_cast<HRESULT>(result.GetCode()), exception, nullptr);
    }
}

void CLogger::LogError(LPCWSTR logFile, const CResult& result, LPCWSTR sourceFile, int line, bool alsoProviderLog)
{
    LogError(logFile, result, sourceFile, line, nullptr, alsoProviderLog);
}
