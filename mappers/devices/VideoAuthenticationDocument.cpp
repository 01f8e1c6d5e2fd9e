#include "mappers/devices/VideoAuthenticationDocument.h"

#include "inhouse/BntUtility/StringConversion.h"

using qpid::types::Variant;

namespace {

std::string Utf8(const CString& text)
{
    return brontel::utility::ConvertCStringToUtf8(text);
}

}  // namespace

CString VideoAuthenticationDocument::EscapeUserName(const CString& name)
{
    CString escaped;
    const int length = name.GetLength();
    for (int i = 0; i < length; ++i)
    {
        const wchar_t c = name[i];
        escaped += c;
        if (c != L'\\')
            continue;
        if (i + 1 < length && name[i + 1] == L'\\')
        {
            escaped += L'\\';
            ++i;
        }
        else
        {
            escaped += L'\\';
        }
    }
    return escaped;
}

Variant::Map VideoAuthenticationDocument::Build(const CString& userName, const CString& password,
                                                const VideoRights& rights, const CString& created)
{
    Variant::Map permissions;
    permissions["video.ir.view_live_video"] = Variant(rights.viewLive);
    permissions["video.ir.view_recorded_video"] = Variant(rights.viewRecorded);
    permissions["video.ir.search_video"] = Variant(rights.search);
    permissions["video.ir.export_video"] = Variant(rights.exportVideo);
    permissions["video.transmit_audio"] = Variant(rights.transmitAudio);
    permissions["video.control_ptz"] = Variant(rights.ptzPriority > 0);
    permissions["video.ptz_priority"] = Variant(static_cast<std::int32_t>(rights.ptzPriority));
    permissions["video.ptz_userid"] = Variant(static_cast<std::int32_t>(rights.userId));
    Variant::Map document;
    document["source"] = Variant("Ivarune");
    document["user"] = Variant(Utf8(EscapeUserName(userName)));
    document["password"] = Variant(Utf8(password));
    document["permissions"] = Variant(permissions);
    document["created_datetime"] = Variant(Utf8(created));
    return document;
}
