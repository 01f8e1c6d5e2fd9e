// The machine-facing helpers of the library: system error texts, separators, the running
// program's path, the working directory, well-known folders and the user's proxy setting.
//
// Folders follow the XDG base-directory and user-directory conventions; the proxy comes from
// the user's http_proxy (or HTTP_PROXY) setting. Static functions, safe from any thread.
#pragma once

#include <cstdint>
#include <string>

namespace ostrum::net {
class InetSocketAddress;
}  // namespace ostrum::net

namespace ostrum {

class Platform
{
public:
    Platform() = delete;

    // The folders getFolder knows, by number.
    enum Folder : int
    {
        DesktopDirectory = 0,
        Documents = 1,
        Fonts = 2,
        ApplicationData = 3,
        Music = 4,
        Videos = 5,
        Pictures = 6,
        Temporary = 7,
        Desktop = 8,
        LocalApplicationData = 9,
        InternetCache = 10,
    };

    // "errCode=0x%08X : " followed by the system's message for the error number.
    static std::string formatError(uint32_t code);
    // The same for the calling thread's last error (errno).
    static std::string formatLastError();
    static std::string getPathSeparator();
    static std::string getPathListSeparator();
    // The program's version as the build embeds it (the PROVIXA_VERSION setting): four
    // decimal numbers joined by dots, missing parts 0 ("6.2" gives 6.2.0.0); empty when the
    // build embeds none or it is not one to four numbers of 0..65535. Computed once.
    static std::string getVersionString();
    // The full path of the running program; empty when it cannot be read.
    static std::string getModulePath();
    // Empty when it cannot be read.
    static std::string getCurrentDirectory();
    // The folder of a kind 0..10 (see Folder); empty for another kind or when the user's home
    // is unknown.
    static std::string getFolder(int kind);
    // Reads the user's proxy server ("[scheme://]host[:port]"; port 80 when none): *enabled
    // is set and *proxy gets the name and port, unresolved. False, with a line on the logger
    // "Platform", when no proxy is configured.
    static bool getProxySettings(bool* enabled, net::InetSocketAddress* proxy);
};

}  // namespace ostrum
