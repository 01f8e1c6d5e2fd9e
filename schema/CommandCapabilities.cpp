#include "schema/CommandCapabilities.h"

std::map<CString, bool> ReadCommandCapabilities(std::span<const wchar_t* const> tags, const CString& capabilities)
{
    static constexpr int kFlagLength = 4;
    std::map<CString, bool> result;
    for (const wchar_t* tag : tags)
    {
        if (tag == nullptr)
        {
            continue;
        }
        const CString tagText(tag);
        bool supported = false;
        const int position = capabilities.Find(tag);
        // A capability text opens with its own element, so a command tag stands after it: one at
        // the very start of the text is not read as the device's answer.
        if (position > 0 && !tagText.IsEmpty())
        {
            const int flagStart = position + tagText.GetLength();
            supported = capabilities.GetLength() - flagStart >= kFlagLength &&
                        capabilities.Mid(flagStart, kFlagLength).CompareNoCase(L"true") == 0;
        }
        result[tagText] = supported;
    }
    return result;
}
