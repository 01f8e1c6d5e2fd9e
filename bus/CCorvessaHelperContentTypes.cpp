// CCorvessaHelper: the MIME type of binary values.
#include "bus/CCorvessaHelper.h"

#include "inhouse/BntImage/CImageBlobInfo.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "platform/mfc/CException.h"
#include "platform/win32/SystemInfo.h"

using brontel::utility::CWMIDebugLog;

namespace {

constexpr wchar_t kHelperContentTypesSource[] = L"CorvessaHelper";

}  // namespace

const std::map<std::string, std::string> CCorvessaHelper::webContentTypeMap = CCorvessaHelper::InitWebContentTypeMap();

std::map<std::string, std::string> CCorvessaHelper::InitWebContentTypeMap()
{
    return {{"jpg", "image/jpeg"}, {"jpeg", "image/jpeg"},  {"gif", "image/gif"},     {"png", "image/png"},
            {"tif", "image/tiff"}, {"ico", "image/x-icon"}, {"bmp", "image/x-ms-bmp"}};
}

std::string CCorvessaHelper::GetContentTypeForProperty(const CString& className, const CString& /*propertyName*/,
                                                       const std::string& bytes)
{
    if (className.CompareNoCase(kMultimediaClass) == 0)
    {
        return GetMimeContentType(bytes);
    }
    return kDefaultContentType;
}

std::string CCorvessaHelper::GetMimeContentType(const std::string& bytes)
{
    std::string result = kDefaultContentType;
    const DWORD start = GetTickCount();
    try
    {
        CImageBlobInfo blob;
        if (blob.LoadFromBlob(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size(), -1, 1))
        {
            std::string extension;
            for (const wchar_t* unit = CImageBlobInfo::FileExtensionFromFileFormatCode(blob.GetFileFormatCode());
                 *unit != L'\0'; ++unit)
            {
                extension.push_back(static_cast<char>(*unit));
            }
            const auto found = webContentTypeMap.find(extension);
            if (found != webContentTypeMap.end())
            {
                result = found->second;
            }
        }
    }
    catch (const CException& failure)
    {
        CWMIDebugLog::LogError(kHelperContentTypesSource, __LINE__, L"", 0, &failure);
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kHelperContentTypesSource, __LINE__, L"");
    }
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed != 0)
    {
        CString text;
        text.Format(L"CCorvessaHelper::GetMimeContentType took %ld ms to determine content type",
                    static_cast<long>(elapsed));
        CWMIDebugLog::LogInfo(kHelperContentTypesSource, __LINE__, text);
    }
    return result;
}
