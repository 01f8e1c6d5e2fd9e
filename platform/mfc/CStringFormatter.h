// The formatting engine behind CString::Format, FormatV, AppendFormat and FormatMessage.
//
// Format texts keep the Windows meaning of their specifiers: the engine parses each
// specifier itself and reads each argument with the type that meaning names, so a format is
// never handed to the C library as it stands. Stateless: every call works on its own
// arguments and output; safe from any thread.
//
// printf-style formats (Format):
//   %[flags][width][.precision][size]type with flags - + space # 0, width and precision as
//   digits or * (an int argument; a negative width means left alignment, a negative
//   precision none). Sizes: h (16-bit integers, narrow text), l (32-bit integers, as LONG
//   is, and wide text), ll and I64 (64-bit), I32 (32-bit), I (pointer-sized). Types: d i u x
//   X o; c (wide character) and C (narrow); s (wide text) and S (narrow UTF-8 text), both
//   "(null)" for a null pointer; f F e E g G; p (upper-case hexadecimal, pointer width,
//   zero-filled); %% is a percent sign.
//   A specifier that is malformed, names an unknown type (%n among them: nothing is ever
//   written through an argument), asks for a width or precision above kMaxFieldWidth, or
//   whose argument is missing or of a kind that cannot serve it (text for a number, a
//   number for text) is copied to the output as written.
//
// Message formats (FormatMessage):
//   %1 ... %99 insert argument n; %n!spec! formats it with the printf-style spec (without
//   *). A plain insert shows the argument as it is (text as text, integers in decimal,
//   floating point as %g). %n is a line break ("\r\n", as on Windows), %0 ends the message,
//   and % before any other character stands for that character (%% %. %! "% ").
//   Arguments are matched by number; an insert whose argument was not passed, or whose
//   spec cannot be used with it, is copied to the output as written, so nothing is read
//   beyond the arguments given.
#pragma once

#include <cstdarg>
#include <span>
#include <string>
#include <string_view>

#include "platform/mfc/FormatArgument.h"

namespace mfc_detail {

// The largest width or precision honoured; larger ones would only serve to exhaust memory.
constexpr int kMaxFieldWidth = 65536;

class CStringFormatter
{
public:
    // Appends the printf-style format with arguments taken from the list in order.
    static void AppendFormat(std::wstring_view format, std::span<const FormatArgument> arguments, std::wstring& output);

    // Appends the printf-style format with arguments read from the list (the caller
    // guarantees an argument of the right type for every specifier, as with vswprintf).
    static void AppendFormatV(std::wstring_view format, va_list arguments, std::wstring& output);

    // Appends the message format with its numbered inserts taken from the list.
    static void AppendMessage(std::wstring_view format, std::span<const FormatArgument> arguments,
                              std::wstring& output);
};

}  // namespace mfc_detail
