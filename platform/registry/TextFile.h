// Whole-file reads and atomic whole-file writes for the registry and profile files.
//
// A write goes to a new temporary file in the same folder, is flushed to disk and then
// renamed over the target, so a reader (in this or another process) sees either the old or
// the new file, never a partial one. Stateless; thread-safe (each write uses its own
// temporary name). Writers of the same file must still serialise their read-modify-write.
#pragma once

#include "platform/win32/WinTypes.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

class TextFile
{
public:
    // Files beyond this size are refused as malformed rather than read into memory.
    static constexpr std::uintmax_t kMaxBytes = 8u * 1024u * 1024u;

    // Reads the file into `content`. ERROR_SUCCESS; ERROR_FILE_NOT_FOUND when it does not
    // exist; ERROR_INVALID_DATA when it is larger than kMaxBytes; ERROR_CANTREAD otherwise.
    static DWORD Read(const std::filesystem::path& path, std::string& content);

    // Replaces the file with `content`. ERROR_SUCCESS, or ERROR_CANTWRITE with the old file
    // left as it was and no temporary file left behind.
    static DWORD WriteAtomically(const std::filesystem::path& path, std::string_view content);
};
