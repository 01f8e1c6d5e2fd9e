// PropertyText: one property of a WMI object as text, so that tests compare what an object holds
// with plain strings. Stateless; safe on any thread the object allows.
#pragma once

#include <string>

#include "platform/mfc/CString.h"
#include "platform/wmi/IWbemClassObject.h"

namespace support {
// The property as UTF-8 text (embedded NULs kept): "<no object>" for a null object, "<missing>"
// when the object lacks the property, "<null>" when it has no value, booleans as "1"/"0", a
// byte array as "bytes:<count>", "<unconvertible>" when the value has no text form.
std::string PropertyText(IWbemClassObject* object, const wchar_t* property);
// The same text as a CString, for tests that compare wide text.
CString PropertyCString(IWbemClassObject* object, const wchar_t* property);
}  // namespace support
