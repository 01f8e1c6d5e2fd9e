#include "platform/registry/ProvixaHome.h"

#include "platform/registry/WideText.h"

#include <cstdlib>
#include <string>
#include <system_error>

std::filesystem::path ProvixaHome::Folder()
{
    std::filesystem::path folder;
    const char* configured = std::getenv("PROVIXA_HOME");
    if (configured != nullptr && *configured != '\0')
    {
        folder = configured;
    }
    else
    {
        std::error_code error;
        folder = std::filesystem::current_path(error) / "var";
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return folder;
}

std::filesystem::path ProvixaHome::PathOf(std::wstring_view name)
{
    std::string utf8 = WideText::ToUtf8(name);
    for (char& c : utf8)
    {
        if (c == '\\')
            c = '/';
    }
    const std::filesystem::path relative(utf8);
    return relative.is_absolute() ? relative : Folder() / relative;
}
