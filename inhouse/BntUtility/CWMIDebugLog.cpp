#include "inhouse/BntUtility/CWMIDebugLog.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "inhouse/BntUtility/CWMIException.h"
#include "inhouse/BntUtility/LogFileWriter.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "platform/registry/EnvironmentStrings.h"
#include "platform/registry/ProvixaHome.h"
#include "platform/registry/Registry.h"

namespace brontel::utility {

namespace {

constexpr wchar_t kProductKey[] = L"SOFTWARE\\Brontel\\Ivarune";
constexpr wchar_t kLogPathValue[] = L"LogFilePath";
constexpr char kLogFileName[] = "Fluxmere.log";
constexpr char kDefaultFolder[] = "Logs";
// A registry text longer than this is not a folder name of ours.
constexpr DWORD kMaxValueBytes = 32 * 1024;
constexpr UINT kExceptionMessageChars = 1024;

// The "LogFilePath" value, expanded; empty when absent, empty or unreadable.
std::wstring ReadLogFolderValue()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_READ, &key) != static_cast<LSTATUS>(ERROR_SUCCESS)) {
        return {};
    }
    std::wstring value;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, kLogPathValue, nullptr, &type, nullptr, &size) == static_cast<LSTATUS>(ERROR_SUCCESS) &&
        (type == REG_SZ || type == REG_EXPAND_SZ) && size > 0 && size <= kMaxValueBytes) {
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
        DWORD bufferSize = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
        if (RegQueryValueExW(key, kLogPathValue, nullptr, &type, reinterpret_cast<LPBYTE>(buffer.data()),
                             &bufferSize) == static_cast<LSTATUS>(ERROR_SUCCESS)) {
            value = buffer.data();
        }
    }
    RegCloseKey(key);
    if (type == REG_EXPAND_SZ && !value.empty()) {
        const DWORD needed = ExpandEnvironmentStringsW(value.c_str(), nullptr, 0);
        if (needed > 0 && needed <= kMaxValueBytes) {
            std::vector<wchar_t> expanded(needed + 1, L'\0');
            if (ExpandEnvironmentStringsW(value.c_str(), expanded.data(), needed) > 0) {
                value = expanded.data();
            }
        }
    }
    return value;
}

// The resolved folder, kept for the home it was resolved under: reading the registry file
// for every line would cost more than the line.
class LogFolderCache {
public:
    std::filesystem::path Get()
    {
        const std::filesystem::path home = ProvixaHome::Folder();
        const std::scoped_lock guard(m_lock);
        if (!m_resolved || home != m_home) {
            const std::wstring configured = ReadLogFolderValue();
            // Backslashes in the value are folder separators; a relative value lies under the home.
            m_folder = configured.empty() ? home / kDefaultFolder : ProvixaHome::PathOf(configured);
            m_home = home;
            m_resolved = true;
        }
        return m_folder;
    }

private:
    std::mutex m_lock;
    bool m_resolved = false;               // guarded by m_lock
    std::filesystem::path m_home;          // guarded by m_lock
    std::filesystem::path m_folder;        // guarded by m_lock
};

LogFolderCache& Folders()
{
    static LogFolderCache cache;
    return cache;
}

std::string Narrow(LPCWSTR text) { return text == nullptr ? std::string() : WideToUtf8(text); }

std::string Head(const char* level, LPCWSTR sourceFile, int line)
{
    return LogFileWriter::LinePrefix() + " " + level + " " + Narrow(sourceFile) + "(" + std::to_string(line) + "): ";
}

void Write(std::string line)
{
    LogFileWriter::AppendLine((Folders().Get() / kLogFileName).string(), LogFileWriter::OneLine(std::move(line)));
}

}  // namespace

void CWMIDebugLog::LogInfo(LPCWSTR sourceFile, int line, LPCWSTR text, LPCWSTR detail, bool flag)
{
    std::string out = Head(flag ? "INFO" : "DEBUG", sourceFile, line) + Narrow(text);
    if (detail != nullptr && *detail != L'\0') {
        out += " | " + Narrow(detail);
    }
    Write(std::move(out));
}

void CWMIDebugLog::LogError(LPCWSTR sourceFile, int line, LPCWSTR text, HRESULT code, const CException* exception,
                            const CWMIException* wmiException)
{
    char codeText[24];
    std::snprintf(codeText, sizeof(codeText), " (0x%08X)", static_cast<unsigned>(code));
    std::string out = Head("ERROR", sourceFile, line) + Narrow(text) + codeText;
    if (exception != nullptr) {
        std::array<wchar_t, kExceptionMessageChars> buffer{};
        if (exception->GetErrorMessage(buffer.data(), kExceptionMessageChars, nullptr)) {
            buffer.back() = L'\0';
            out += " | exception: " + Narrow(buffer.data());
        }
    }
    if (wmiException != nullptr) {
        char hr[16];
        std::snprintf(hr, sizeof(hr), "0x%08X ", static_cast<unsigned>(wmiException->GetHResult()));
        out += std::string(" | WMI exception: ") + hr + ConvertCStringToUtf8(wmiException->GetMessage());
    }
    Write(std::move(out));
}

CString CWMIDebugLog::GetLogFileName()
{
    return ConvertUtf8ToCString((Folders().Get() / kLogFileName).string());
}

CString CWMIDebugLog::GetLogFolder() { return ConvertUtf8ToCString(Folders().Get().string()); }

}  // namespace brontel::utility
