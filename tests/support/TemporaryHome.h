// A fresh, empty PROVIXA_HOME for the lifetime of one object: a new folder in the system's
// temporary folder, set in the environment on construction; on destruction the previous setting
// is restored and the folder removed with everything in it. Owned by the test that makes it;
// not thread-safe (it changes the process environment, so tests using it run one at a time).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "inhouse/BntUtility/CWMIDebugLog.h"

namespace support {
class TemporaryHome
{
public:
    TemporaryHome();
    ~TemporaryHome();
    TemporaryHome(const TemporaryHome&) = delete;
    TemporaryHome& operator=(const TemporaryHome&) = delete;

    // The home folder.
    const std::filesystem::path& Path() const { return m_path; }

    // Writes a file in the home with exactly these bytes, replacing any earlier one.
    void WriteFile(const std::string& name, const std::string& bytes) const;
    // The bytes of a file in the home ("" when it does not exist).
    std::string ReadFile(const std::string& name) const;
    // Sets the provider log's level (CWMIDebugLog::Level) in the home's registry.
    static void SetLogLevel(brontel::utility::CWMIDebugLog::Level level);
    // The lines of a text file anywhere (none when it does not exist).
    static std::vector<std::string> ReadLines(const std::filesystem::path& file);
    // The lines of a text file that contain the text.
    static int CountLines(const std::filesystem::path& file, const std::string& text);
    // The lines of the provider log that contain the text.
    static int CountProviderLogLines(const std::string& text);

private:
    std::filesystem::path m_path;
    std::optional<std::string> m_previous;
};
}  // namespace support
