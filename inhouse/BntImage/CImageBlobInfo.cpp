#include "inhouse/BntImage/CImageBlobInfo.h"

#include <array>
#include <cstring>
#include <string_view>

namespace {
struct MagicBytes
{
    std::string_view bytes;
    WORD format;
};

// Each format by the bytes its files begin with.
constexpr std::array<MagicBytes, 8> kMagic{{
    {std::string_view("\xFF\xD8\xFF", 3), CImageBlobInfo::kJpeg},
    {std::string_view("GIF87a", 6), CImageBlobInfo::kGif},
    {std::string_view("GIF89a", 6), CImageBlobInfo::kGif},
    {std::string_view("\x89PNG\r\n\x1A\n", 8), CImageBlobInfo::kPng},
    {std::string_view("II*\0", 4), CImageBlobInfo::kTiff},
    {std::string_view("MM\0*", 4), CImageBlobInfo::kTiff},
    {std::string_view("\0\0\1\0", 4), CImageBlobInfo::kIcon},
    {std::string_view("BM", 2), CImageBlobInfo::kBitmap},
}};
}  // namespace

bool CImageBlobInfo::LoadFromBlob(const BYTE* data, std::size_t length, int /*frameIndex*/, int /*flags*/)
{
    m_format = kUnknown;
    if (data == nullptr)
        return false;
    for (const MagicBytes& magic : kMagic)
    {
        if (length >= magic.bytes.size() && std::memcmp(data, magic.bytes.data(), magic.bytes.size()) == 0)
        {
            m_format = magic.format;
            return true;
        }
    }
    return false;
}

const wchar_t* CImageBlobInfo::FileExtensionFromFileFormatCode(WORD format)
{
    switch (format)
    {
    case kJpeg:
        return L"jpg";
    case kGif:
        return L"gif";
    case kPng:
        return L"png";
    case kTiff:
        return L"tif";
    case kIcon:
        return L"ico";
    case kBitmap:
        return L"bmp";
    default:
        return L"";
    }
}
