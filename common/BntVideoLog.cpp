#include "common/BntVideoLog.h"

#include "platform/mfc/TimeStructs.h"
#include "platform/registry/ProvixaHome.h"
#include "platform/win32/SystemInfo.h"

#include <cstdio>
#include <fstream>
#include <mutex>
#include <string>

namespace {

std::mutex& LogLock()
{
    static std::mutex lock;
    return lock;
}

}  // namespace

void BntVideoLog::Write(const CString& text)
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char stamp[64];
    std::snprintf(stamp, sizeof(stamp), "%04u-%02u-%02u %02u:%02u:%02u.%03u [%u] ", now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond, now.wMilliseconds, GetCurrentThreadId());
    std::string line = stamp;
    std::string body = CStringToUtf8(text);
    for (char& c : body)
        if (c == '\r' || c == '\n')
            c = ' ';
    line += body;
    line += '\n';

    std::lock_guard<std::mutex> guard(LogLock());
    const std::filesystem::path path = ProvixaHome::PathOf(kFileName);
    ProvixaHome::CreatePrivateFile(path);
    std::ofstream file(path, std::ios::binary | std::ios::app);
    if (file)
        file.write(line.data(), static_cast<std::streamsize>(line.size()));
}
