// The numbered string resources of the installation: audit texts, notices and messages,
// loaded by number and formatted with CString::FormatMessage inserts.
//
// One read-only table built at compile time; every function is safe from any thread.
// Inserts are written "%n" for a text argument (const wchar_t*) and "%n!ld!" for a 32-bit
// integer argument (LONG), so callers pass:
//   10063..10066  action words of an access request (no inserts)
//   10185..10241, 10270..10275, 11818   device name (%1 text)
//   11349  database server type name (%1 text)
//   11678, 11683, 11755, 20902  no inserts
//   12873  person id (%1 LONG), action word (%2 text), user id (%3 LONG)
//   20528  visitor id (%1 LONG), visitor name (%2 text), host name (%3 text)
//   20702  person id (%1 LONG), person name (%2 text)
//   20704, 20705  badge id text (%1 text), issue code (%2 LONG), person id (%3 LONG), name (%4 text)
//   20733  new badge id text (%1 text), issue code (%2 LONG), stored badge id text (%3 text),
//          stored issue code (%4 LONG), person id (%5 LONG), name (%6 text)
//   20924  the two names of the visit (%1 text, %2 text)
//   20931  visit event id (%1 LONG), event text (%2 text)
//   21415, 21418, 21419  visit name (%1 text), time (%2 text)
//   21416, 21417  visit name (%1 text)
//   23391  name (%1 text), id (%2 LONG)
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

namespace brontel::resources {

// The format text of resource id; null when the installation has no such resource. The
// pointer stays valid for the life of the process.
LPCWSTR FindResourceString(UINT id);
// Sets text to the format text of resource id and answers TRUE; an unknown id empties text
// and answers FALSE.
BOOL LoadResourceString(UINT id, CString& text);

}  // namespace brontel::resources
