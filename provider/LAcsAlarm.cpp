#include "provider/LAcsAlarm.h"

CString LAcsAlarm::GetDisplayText(const CString& text) const
{
    const CString name = GetName();
    if (text.IsEmpty())
    {
        return name;
    }
    switch (GetNotifType() & kDisplayModeMask)
    {
    case kDisplayNameOnly:
        return name;
    case kDisplayNameThenText:
        return name + L" - " + text;
    case kDisplayTextThenName:
        return text + L" - " + name;
    default:
        return text;
    }
}
