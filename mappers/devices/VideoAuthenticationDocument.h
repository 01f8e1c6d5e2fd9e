// VideoAuthenticationDocument: the document a video recorder's client logs in with: the source
// "Ivarune", the recorder's login (its user name with lone backslashes doubled, its password),
// the calling user's video rights and PTZ priority, and the time it was made (ISO 8601 UTC).
//
// A value built per request; not shared between threads.
#pragma once

#include <string>

#include "platform/mfc/CString.h"
#include "platform/qpid/Variant.h"
#include "platform/win32/WinTypes.h"

struct VideoRights
{
    bool viewLive = false;
    bool viewRecorded = false;
    bool search = false;
    bool exportVideo = false;
    bool transmitAudio = false;
    LONG ptzPriority = 0;
    LONG userId = 0;
};

class VideoAuthenticationDocument
{
public:
    VideoAuthenticationDocument() = delete;

    // The name with every backslash that is not already one of a pair doubled; a pair is kept.
    static CString EscapeUserName(const CString& name);
    // The document as a map of bus values; `created` is the ISO 8601 UTC text.
    static qpid::types::Variant::Map Build(const CString& userName, const CString& password, const VideoRights& rights,
                                           const CString& created);
};
