// WbemObjectText: the MOF text of a class definition or instance (GetObjectText).
//
// A class shows its local qualifiers, its superclass, the properties it defines or overrides
// with their types, qualifiers and defaults, and its methods with their parameters; an
// instance shows its local qualifiers and every property that has a value. Stateless; safe on
// any thread for objects no other thread changes.
#pragma once

#include "platform/win32/WinTypes.h"

#include <functional>
#include <string>
#include <string_view>

class WbemClassObject;

class WbemObjectText
{
public:
    WbemObjectText() = delete;

    // The text; WBEM_FLAG_NO_FLAVORS in `flags` leaves out the qualifier flavours.
    // Throws std::bad_alloc or _com_error on short memory.
    static std::wstring Format(const WbemClassObject& object, LONG flags);
    // The same text handed to `write` in pieces as it is made, so that a value of megabytes is
    // never held as one text (CimValue::WriteMofLiteral); a view is valid only during the call.
    static void Write(const WbemClassObject& object, LONG flags, const std::function<void(std::wstring_view)>& write);
};
