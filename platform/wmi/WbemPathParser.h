// WbemPathParser: the one reading of an object path, shared by the WMI service stand-in (which
// routes by it) and the provider (which finds the instance by it):
//
//   path      := [prefix] class [ "=@" | "." key "=" value { "," key "=" value } ]
//   prefix    := ("\\" | "//") server sep namespace ":" | namespace ":"
//   namespace := name { sep name }          sep := "\" | "/"
//   value     := '"' { char | '\"' | '\\' } '"' | ["-"] digits ["." digits] | TRUE | FALSE
//
// Names are identifiers (WbemName::IsValidIdentifier); keys are unique without regard to case.
// Inside quotes only \" and \\ are escapes; an unquoted value is a number or TRUE/FALSE (case
// ignored, read as TRUE or FALSE).
//
// The text comes from outside: every malformed or over-long path is refused with what was
// expected and at which offset, never read past its end. Stateless; safe on any thread.
#pragma once

#include "platform/wmi/WbemLimits.h"

#include "platform/win32/WinTypes.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class WbemPathParser
{
public:
    struct Key
    {
        std::wstring name;
        // The value with its quotes and escapes removed.
        std::wstring value;
    };

    struct Result
    {
        // Server and namespace of the prefix; empty when the path has none.
        std::wstring server;
        std::wstring ns;
        std::wstring className;
        // True for Class.Key=value{,Key=value} and Class=@.
        bool instance = false;
        // True for Class=@.
        bool singleton = false;
        // The keys in the order written.
        std::vector<Key> keys;
    };

    WbemPathParser() = delete;

    // WBEM_S_NO_ERROR with *result filled; WBEM_E_INVALID_OBJECT_PATH for an empty, malformed
    // or over-long path, or one with more than kMaxKeys keys, with *error (when given) saying
    // what is wrong and where ("= expected after key ID at offset 12");
    // WBEM_E_INVALID_PARAMETER for a null result. *result is left unchanged on failure.
    static HRESULT Parse(std::wstring_view path, Result* result, std::wstring* error = nullptr);

    // Bounds on hostile paths.
    static constexpr std::size_t kMaxPathLength = WbemLimits::kMaxPathLength;
    static constexpr std::size_t kMaxKeys = WbemLimits::kMaxPathKeys;
};
