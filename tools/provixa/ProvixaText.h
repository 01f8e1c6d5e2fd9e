// ProvixaText: conversions between the WMI side's wide text and the UTF-8 that the host reads
// from its command line and writes to its output.
//
// Stateless; safe on any thread.
#pragma once

#include <string>
#include <string_view>

class ProvixaText
{
public:
    ProvixaText() = delete;

    // The text as UTF-8 (characters that cannot be encoded become U+FFFD).
    static std::string ToUtf8(std::wstring_view text);
    // The UTF-8 text as wide text (malformed sequences become U+FFFD).
    static std::wstring FromUtf8(std::string_view text);
    // Why a file could not be opened or read, in the system's words ("Is a directory", "No such
    // file or directory") for `reason`, the errno the call left; `otherwise` when it left none.
    // Every command that reads a file names its failure so.
    static std::string FileFailure(int reason, const char* otherwise = "it cannot be opened");
};
