// WbemPathParser: reads what the WMI service needs of an object path to route a request: the
// optional \\server\namespace: (or namespace:) prefix, the class name, and whether the path
// names an instance (keys, a single unnamed key, or the singleton form Class=@).
//
// The text comes from outside: every malformed or over-long path is refused, never read past
// its end. Stateless; safe on any thread.
#pragma once

#include "platform/wmi/WbemLimits.h"

#include "platform/win32/WinTypes.h"

#include <cstddef>
#include <string>
#include <string_view>

class WbemPathParser
{
public:
    struct Result
    {
        // Server and namespace of the prefix; empty when the path has none.
        std::wstring server;
        std::wstring ns;
        std::wstring className;
        // True for Class.Key=value{,Key=value}, Class=value and Class=@.
        bool instance = false;
    };

    WbemPathParser() = delete;

    // WBEM_S_NO_ERROR with *result filled; WBEM_E_INVALID_OBJECT_PATH for an empty,
    // malformed (bad name, unterminated quote, missing '=', empty or repeated key, trailing
    // text) or over-long path, or one with more than kMaxKeys keys; WBEM_E_INVALID_PARAMETER
    // for a null result. *result is left unchanged on failure.
    static HRESULT Parse(std::wstring_view path, Result* result);

    // Bounds on hostile paths (those of the provider's own path reader).
    static constexpr std::size_t kMaxPathLength = WbemLimits::kMaxPathLength;
    static constexpr std::size_t kMaxKeys = WbemLimits::kMaxPathKeys;
};
