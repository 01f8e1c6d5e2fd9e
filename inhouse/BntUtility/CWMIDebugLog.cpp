#include "inhouse/BntUtility/CWMIDebugLog.h"

#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win32/ThreadSafety.h"
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
constexpr wchar_t kLevelKey[] = L"SOFTWARE\\Brontel\\Ivarune\\Fluxmere";
constexpr wchar_t kLevelValue[] = L"LogLevel";
constexpr char kLogFileName[] = "Fluxmere.log";
constexpr char kDefaultFolder[] = "Logs";
// A registry text longer than this is not a folder name of ours.
constexpr DWORD kMaxValueBytes = 32 * 1024;
constexpr UINT kDebugLogExceptionChars = 1024;

// The "LogFilePath" value, expanded; empty when absent, empty or unreadable.
std::wstring ReadLogFolderValue()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_READ, &key) != static_cast<LSTATUS>(ERROR_SUCCESS))
    {
        return {};
    }
    std::wstring value;
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, kLogPathValue, nullptr, &type, nullptr, &size) == static_cast<LSTATUS>(ERROR_SUCCESS) &&
        (type == REG_SZ || type == REG_EXPAND_SZ) && size > 0 && size <= kMaxValueBytes)
    {
        std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
        DWORD bufferSize = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
        if (RegQueryValueExW(key, kLogPathValue, nullptr, &type, reinterpret_cast<LPBYTE>(buffer.data()),
                             &bufferSize) == static_cast<LSTATUS>(ERROR_SUCCESS))
        {
            value = buffer.data();
        }
    }
    RegCloseKey(key);
    if (type == REG_EXPAND_SZ && !value.empty())
    {
        const DWORD needed = ExpandEnvironmentStringsW(value.c_str(), nullptr, 0);
        if (needed > 0 && needed <= kMaxValueBytes)
        {
            std::vector<wchar_t> expanded(needed + 1, L'\0');
            if (ExpandEnvironmentStringsW(value.c_str(), expanded.data(), needed) > 0)
            {
                value = expanded.data();
            }
        }
    }
    return value;
}

// The "LogLevel" value; the default level when absent or not a number of the scale.
CWMIDebugLog::Level ReadLevelValue()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kLevelKey, 0, KEY_READ, &key) != static_cast<LSTATUS>(ERROR_SUCCESS))
    {
        return CWMIDebugLog::kDefaultLevel;
    }
    DWORD value = 0;
    DWORD type = 0;
    DWORD size = sizeof(value);
    const bool read = RegQueryValueExW(key, kLevelValue, nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size) ==
                          static_cast<LSTATUS>(ERROR_SUCCESS) &&
                      type == REG_DWORD && size == sizeof(value);
    RegCloseKey(key);
    if (!read || value > static_cast<DWORD>(CWMIDebugLog::Level::Debug))
    {
        return CWMIDebugLog::kDefaultLevel;
    }
    return static_cast<CWMIDebugLog::Level>(value);
}

// The resolved folder and log file, kept for the home they were resolved under: reading the
// registry file and building paths for every line would cost more than the line. The home is
// named without touching the disk; the log writer creates the folders when it opens the file.
class LogFolderCache
{
public:
    struct Resolved
    {
        std::filesystem::path folder;
        std::string file;
        CWMIDebugLog::Level level = CWMIDebugLog::kDefaultLevel;
    };

    // The folder and the log file's path for the current home.
    Resolved Get()
    {
        const std::filesystem::path home = ProvixaHome::Location();
        const CheckedMutexLock guard(m_lock);
        Refresh(home);
        return m_resolved;
    }

    // Only the log file's path, copied into `file` (its storage reused), and the level.
    void GetFile(std::string& file, CWMIDebugLog::Level& level)
    {
        const std::filesystem::path home = ProvixaHome::Location();
        const CheckedMutexLock guard(m_lock);
        Refresh(home);
        file = m_resolved.file;
        level = m_resolved.level;
    }

private:
    void Refresh(const std::filesystem::path& home) REQUIRES(m_lock)
    {
        if (m_valid && home.native() == m_home.native())
        {
            return;
        }
        // The home is made as it was when the folder was resolved on every line.
        const std::filesystem::path created = ProvixaHome::Folder();
        const std::wstring configured = ReadLogFolderValue();
        // Backslashes in the value are folder separators; a relative value lies under the home.
        m_resolved.folder = configured.empty() ? created / kDefaultFolder : ProvixaHome::PathOf(configured);
        m_resolved.file = (m_resolved.folder / kLogFileName).string();
        m_resolved.level = ReadLevelValue();
        m_home = home;
        m_valid = true;
    }

    CheckedMutex m_lock;
    bool m_valid GUARDED_BY(m_lock) = false;
    std::filesystem::path m_home GUARDED_BY(m_lock);
    Resolved m_resolved GUARDED_BY(m_lock);
};

LogFolderCache& Folders()
{
    // Never destroyed: the destructors of process-wide objects (the application's server
    // threads giving up their undelivered messages) still log while statics go.
    static LogFolderCache* const cache = new LogFolderCache;
    return *cache;
}

// Appends the text as UTF-8. Log texts are nearly always ASCII, which is copied as it
// stands; the encoder sees only what follows the first other character.
void AppendNarrow(std::string& out, LPCWSTR text)
{
    if (text == nullptr)
    {
        return;
    }
    const wchar_t* at = text;
    for (; *at != L'\0' && static_cast<unsigned>(*at) < 0x80u; ++at)
    {
        out.push_back(static_cast<char>(*at));
    }
    if (*at != L'\0')
    {
        out += WideToUtf8(at);
    }
}

void AppendDigits(std::string& out, unsigned value, int width)
{
    char digits[10];
    int count = 0;
    do
    {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0 && count < 10);
    for (int i = count; i < width; ++i)
    {
        out.push_back('0');
    }
    while (count > 0)
    {
        out.push_back(digits[--count]);
    }
}

// What each thread keeps between its lines: its id as text, the current second's local time
// text, and the log file and level resolved for the home's text.
struct ThreadLogCache
{
    std::string threadId = " [" + std::to_string(static_cast<long>(gettid())) + "]";
    std::time_t formattedSecond = -1;
    std::string secondText;
    std::string resolvedFor;
    std::string file;
    CWMIDebugLog::Level level = CWMIDebugLog::kDefaultLevel;
};

// The calling thread's cache. The main thread's is never freed: the destructors of process-wide
// objects log after its thread_local objects are gone. Any other thread's goes with the thread.
thread_local ThreadLogCache* t_cache = nullptr;

struct ThreadCacheReaper
{
    ~ThreadCacheReaper()
    {
        if (gettid() != getpid())
        {
            delete t_cache;
            t_cache = nullptr;
        }
    }
};
ThreadLogCache& ThreadCache()
{
    if (t_cache == nullptr)
    {
        t_cache = new ThreadLogCache;
        // Made here, on this thread, so that its destructor runs when the thread ends.
        thread_local ThreadCacheReaper reaper;
    }
    return *t_cache;
}

// The prefix LogFileWriter::LinePrefix gives, "YYYY-MM-DD HH:MM:SS.mmm [tid]", built from a
// per-thread copy of the thread id and of the current second's local time text (the time zone
// is looked up once per second, not once per line).
void AppendLinePrefix(std::string& out)
{
    ThreadLogCache& cache = ThreadCache();
    const std::string& threadId = cache.threadId;
    std::time_t& formattedSecond = cache.formattedSecond;
    std::string& secondText = cache.secondText;
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    if (seconds != formattedSecond)
    {
        std::tm local{};
        localtime_r(&seconds, &local);
        secondText.clear();
        AppendDigits(secondText, static_cast<unsigned>(local.tm_year + 1900), 4);
        secondText.push_back('-');
        AppendDigits(secondText, static_cast<unsigned>(local.tm_mon + 1), 2);
        secondText.push_back('-');
        AppendDigits(secondText, static_cast<unsigned>(local.tm_mday), 2);
        secondText.push_back(' ');
        AppendDigits(secondText, static_cast<unsigned>(local.tm_hour), 2);
        secondText.push_back(':');
        AppendDigits(secondText, static_cast<unsigned>(local.tm_min), 2);
        secondText.push_back(':');
        AppendDigits(secondText, static_cast<unsigned>(local.tm_sec), 2);
        formattedSecond = seconds;
    }
    out += secondText;
    out.push_back('.');
    AppendDigits(out, static_cast<unsigned>(millis), 3);
    out += threadId;
}

std::string Head(const char* level, LPCWSTR sourceFile, int line)
{
    std::string out;
    out.reserve(160);
    AppendLinePrefix(out);
    out.push_back(' ');
    out += level;
    out.push_back(' ');
    AppendNarrow(out, sourceFile);
    out.push_back('(');
    out += std::to_string(line);
    out += "): ";
    return out;
}

// The file and level are resolved again only when the home's text changes (or there is none,
// and the working directory names it): the shared cache's lock would otherwise be taken per line.
const ThreadLogCache& Target()
{
    ThreadLogCache& target = ThreadCache();
    const char* home = ProvixaHome::ConfiguredText();
    if (home == nullptr || target.file.empty() || target.resolvedFor != home)
    {
        Folders().GetFile(target.file, target.level);
        target.resolvedFor = home == nullptr ? "" : home;
    }
    return target;
}

// The error lines this thread wrote whole (CWMIDebugLog::ErrorLinesWritten).
thread_local std::uint64_t t_errorLinesWritten = 0;

}  // namespace

void CWMIDebugLog::LogInfo(LPCWSTR sourceFile, int line, LPCWSTR text, LPCWSTR detail, bool flag)
{
    const ThreadLogCache& target = Target();
    if (target.level < (flag ? Level::Info : Level::Debug))
    {
        return;
    }
    std::string out = Head(flag ? "INFO" : "DEBUG", sourceFile, line);
    AppendNarrow(out, text);
    if (detail != nullptr && *detail != L'\0')
    {
        out += " | ";
        AppendNarrow(out, detail);
    }
    // Information lines, written on every request, are held and written together.
    LogFileWriter::AppendLineLater(target.file, LogFileWriter::OneLine(std::move(out)));
}

bool CWMIDebugLog::LogError(LPCWSTR sourceFile, int line, LPCWSTR text, HRESULT code, const CException* exception,
                            const CWMIException* wmiException)
{
    // A caller that passes no code of its own still has the one the WMI exception carries.
    if (code == 0 && wmiException != nullptr)
    {
        code = wmiException->GetHResult();
    }
    std::string out = Head("ERROR", sourceFile, line);
    AppendNarrow(out, text);
    if (code != 0)
    {
        char codeText[24];
        std::snprintf(codeText, sizeof(codeText), " (0x%08X)", static_cast<unsigned>(code));
        out += codeText;
    }
    if (exception != nullptr)
    {
        std::array<wchar_t, kDebugLogExceptionChars> buffer{};
        if (exception->GetErrorMessage(buffer.data(), kDebugLogExceptionChars, nullptr))
        {
            buffer.back() = L'\0';
            out += " | exception: ";
            AppendNarrow(out, buffer.data());
        }
    }
    if (wmiException != nullptr)
    {
        char hr[16];
        std::snprintf(hr, sizeof(hr), "0x%08X ", static_cast<unsigned>(wmiException->GetHResult()));
        out += std::string(" | WMI exception: ") + hr + ConvertCStringToUtf8(wmiException->GetMessage());
    }
    // An error line is written at once, after the held lines.
    const bool written = LogFileWriter::AppendLine(Target().file, LogFileWriter::OneLine(std::move(out)));
    if (written)
        ++t_errorLinesWritten;
    return written;
}

std::uint64_t CWMIDebugLog::ErrorLinesWritten()
{
    return t_errorLinesWritten;
}

CString CWMIDebugLog::GetLogFileName()
{
    return ConvertUtf8ToCString(Folders().Get().file);
}

CString CWMIDebugLog::GetLogFolder()
{
    return ConvertUtf8ToCString(Folders().Get().folder.string());
}

}  // namespace brontel::utility
