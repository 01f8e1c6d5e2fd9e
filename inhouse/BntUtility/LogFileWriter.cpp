#include "inhouse/BntUtility/LogFileWriter.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <mutex>

namespace brontel::utility {

namespace {

std::mutex& WriteLock()
{
    static std::mutex lock;
    return lock;
}

}  // namespace

void LogFileWriter::AppendLine(const std::string& path, std::string_view line)
{
    const std::scoped_lock guard(WriteLock());
    std::error_code error;
    const std::filesystem::path file(path);
    if (file.has_parent_path()) {
        std::filesystem::create_directories(file.parent_path(), error);
    }
    std::ofstream out(file, std::ios::app | std::ios::binary);
    if (!out) {
        return;
    }
    std::string whole(line);
    whole.push_back('\n');
    out.write(whole.data(), static_cast<std::streamsize>(whole.size()));
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
